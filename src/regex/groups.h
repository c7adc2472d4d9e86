// The group table: one TREGroup per capture group (entry 0 is the whole match), each with its
// captures, and the name registrations. Receives group numbers from the parser in the order the
// groups open; guarantees that a name answers its most recent registration first and that
// reading a capture never reads outside the input (an unmatched capture is empty).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class TRxRegExp;

class TRECapture {
public:
    explicit TRECapture(TRxRegExp* ARegExp) : FRegExp(ARegExp) {}

    const char16_t* StartP() const { return FStartP; }
    const char16_t* EndP() const { return FEndP; }
    bool Matched() const { return FMatched; }
    void SetStartP(const char16_t* p) { FStartP = p; }
    void Set(const char16_t* AStartP, const char16_t* AEndP, bool AMatched) {
        FStartP = AStartP;
        FEndP = AEndP;
        FMatched = AMatched;
    }
    // Setting the end marks the capture matched when its start is set.
    void SetEndP(const char16_t* p);
    void Reset();
    // 1-based position of the start in the input; 0 when not matched.
    int Index() const;
    int Length() const;
    std::u16string Strings() const;

private:
    TRxRegExp* FRegExp;
    const char16_t* FStartP = nullptr;
    bool FMatched = false;
    const char16_t* FEndP = nullptr;
};

class TRECaptureCollection {
public:
    explicit TRECaptureCollection(TRxRegExp* ARegExp);
    void Assign(const TRECaptureCollection& Source);
    TRECapture& Add();
    // Leaves one empty capture.
    void Clear();
    void Delete(int Index);
    int Count() const { return static_cast<int>(FList.size()); }
    TRECapture& operator[](int i) { return *FList[static_cast<std::size_t>(i)]; }
    const TRECapture& operator[](int i) const { return *FList[static_cast<std::size_t>(i)]; }

private:
    TRxRegExp* FRegExp;
    std::vector<std::unique_ptr<TRECapture>> FList;
};

class TREGroup {
public:
    TREGroup(TRxRegExp* ARegExp, std::u16string AGroupName);

    const std::u16string& GroupName() const { return FGroupName; }
    int Entry() const { return FEntry; }
    int Wayout() const { return FWayout; }
    void SetEntry(int v) { FEntry = v; }
    void SetWayout(int v) { FWayout = v; }
    int Level() const { return FLevel; }
    TRECaptureCollection& Captures() { return FList; }
    const TRECaptureCollection& Captures() const { return FList; }

    TRECapture& Current() { return FList[FLevel]; }
    const TRECapture& Current() const { return FList[FLevel]; }
    const char16_t* StartP() const { return Current().StartP(); }
    const char16_t* EndP() const { return Current().EndP(); }
    bool Matched() const { return Current().Matched(); }
    std::u16string Strings() const { return Current().Strings(); }
    int Index() const { return Current().Index(); }
    int Length() const { return Current().Length(); }

private:
    TRxRegExp* FRegExp;
    std::u16string FGroupName;
    int FEntry = -1;
    int FWayout = -1;
    TRECaptureCollection FList;
    int FLevel = 0;
};

class TREGroupCollection {
public:
    static constexpr int kBucketCount = 17;

    explicit TREGroupCollection(TRxRegExp* ARegExp);

    int Count() const { return static_cast<int>(FItems.size()); }
    TREGroup& operator[](int i) { return *FItems[static_cast<std::size_t>(i)]; }
    const TREGroup& operator[](int i) const { return *FItems[static_cast<std::size_t>(i)]; }
    // Appends a group; a non-empty name is registered for it. Returns its number.
    int Add(const std::u16string& AGroupName);
    // Registers one more name for an existing group (a branch reset reusing its number).
    void AddName(const std::u16string& Name, int Index);
    // Most recent registration of the name, -1 when none.
    int IndexOfName(const std::u16string& Name) const;
    // Every number registered under the name, most recent first.
    std::vector<int> EnumIndexOfName(const std::u16string& Name) const;
    // Most recent registration whose group has matched, -1 when none.
    int IndexOfMatchedName(const std::u16string& Name) const;
    // The group found by IndexOfMatchedName, nullptr when none.
    TREGroup* ByName(const std::u16string& Name);
    bool IsDuplicateGroupName(const std::u16string& Name) const;
    void Reset();
    // Back to group 0 alone, without name registrations.
    void Clear();

    static std::uint32_t HashOf(const std::u16string& Name);

private:
    struct THashItem {
        std::u16string Key;
        int Value;
    };

    TRxRegExp* FRegExp;
    std::vector<std::unique_ptr<TREGroup>> FItems;
    // Each chain holds its newest registration first.
    std::vector<THashItem> FBuckets[kBucketCount];
};
