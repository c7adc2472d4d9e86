// Captures and the group table.
#include "regex/groups.h"

#include "regex/regexp.h"

void TRECapture::SetEndP(const char16_t* p) {
    FEndP = p;
    FMatched = FStartP != nullptr && p != nullptr;
}

void TRECapture::Reset() {
    FStartP = nullptr;
    FEndP = nullptr;
    FMatched = false;
}

int TRECapture::Index() const {
    if (!FMatched) {
        return 0;
    }
    return static_cast<int>(FStartP - FRegExp->FTextTopP) + 1;
}

int TRECapture::Length() const {
    if (!FMatched || FEndP < FStartP) {
        return 0;
    }
    return static_cast<int>(FEndP - FStartP);
}

std::u16string TRECapture::Strings() const {
    if (!FMatched || FEndP < FStartP) {
        return {};
    }
    return std::u16string(FStartP, FEndP);
}

TRECaptureCollection::TRECaptureCollection(TRxRegExp* ARegExp) : FRegExp(ARegExp) {
    Clear();
}

void TRECaptureCollection::Assign(const TRECaptureCollection& Source) {
    FList.clear();
    for (const auto& c : Source.FList) {
        FList.push_back(std::make_unique<TRECapture>(*c));
    }
    if (FList.empty()) {
        Add();
    }
}

TRECapture& TRECaptureCollection::Add() {
    FList.push_back(std::make_unique<TRECapture>(FRegExp));
    return *FList.back();
}

void TRECaptureCollection::Clear() {
    FList.clear();
    Add();
}

void TRECaptureCollection::Delete(int Index) {
    if (Index >= 0 && Index < Count()) {
        FList.erase(FList.begin() + Index);
    }
    if (FList.empty()) {
        Add();
    }
}

TREGroup::TREGroup(TRxRegExp* ARegExp, std::u16string AGroupName)
    : FRegExp(ARegExp), FGroupName(std::move(AGroupName)), FList(ARegExp) {}

TREGroupCollection::TREGroupCollection(TRxRegExp* ARegExp) : FRegExp(ARegExp) {
    Clear();
}

std::uint32_t TREGroupCollection::HashOf(const std::u16string& Name) {
    std::uint32_t h = 0;
    for (const char16_t u : Name) {
        h = ((h << 2) | (h >> 30)) ^ u;
    }
    return h;
}

int TREGroupCollection::Add(const std::u16string& AGroupName) {
    FItems.push_back(std::make_unique<TREGroup>(FRegExp, AGroupName));
    const int index = Count() - 1;
    if (!AGroupName.empty()) {
        AddName(AGroupName, index);
    }
    return index;
}

void TREGroupCollection::AddName(const std::u16string& Name, int Index) {
    auto& chain = FBuckets[HashOf(Name) % kBucketCount];
    chain.insert(chain.begin(), THashItem{Name, Index});
}

int TREGroupCollection::IndexOfName(const std::u16string& Name) const {
    for (const auto& item : FBuckets[HashOf(Name) % kBucketCount]) {
        if (item.Key == Name) {
            return item.Value;
        }
    }
    return -1;
}

std::vector<int> TREGroupCollection::EnumIndexOfName(const std::u16string& Name) const {
    std::vector<int> result;
    for (const auto& item : FBuckets[HashOf(Name) % kBucketCount]) {
        if (item.Key == Name) {
            result.push_back(item.Value);
        }
    }
    return result;
}

int TREGroupCollection::IndexOfMatchedName(const std::u16string& Name) const {
    for (const auto& item : FBuckets[HashOf(Name) % kBucketCount]) {
        if (item.Key == Name && item.Value < Count() && (*this)[item.Value].Matched()) {
            return item.Value;
        }
    }
    return -1;
}

TREGroup* TREGroupCollection::ByName(const std::u16string& Name) {
    const int i = IndexOfMatchedName(Name);
    return i < 0 ? nullptr : &(*this)[i];
}

bool TREGroupCollection::IsDuplicateGroupName(const std::u16string& Name) const {
    return EnumIndexOfName(Name).size() > 1;
}

void TREGroupCollection::Reset() {
    for (auto& g : FItems) {
        g->Captures().Clear();
    }
}

void TREGroupCollection::Clear() {
    FItems.clear();
    for (auto& chain : FBuckets) {
        chain.clear();
    }
    Add(std::u16string());
}
