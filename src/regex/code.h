// The code classes: the leaves of the syntax tree, one class per kind of character test or
// zero-width assertion. The parser creates them, the automaton puts them on its transitions and
// the matcher calls them to test the text. Every code reads the text only inside the engine's
// match range [FMatchTopP, FMatchEndP) (the character before a position only when that position
// lies after FMatchTopP) and fails at the match end; a successful test reports the UTF-16 units
// it consumed (0 for an assertion).
#pragma once

#include "regex/char_map.h"
#include "regex/options.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class TRxRegExp;

enum TRECodeKind : std::uint8_t {
    ckChar,
    ckLiteral,
    ckRangeChar,
    ckAnyChar,
    ckWordChar,
    ckDigitChar,
    ckHexDigitChar,
    ckSpaceChar,
    ckHorizontalSpaceChar,
    ckVerticalSpaceChar,
    ckLineBreakChar,
    ckCharClass,
    ckCombiningSequence,
    ckBoundary,
    ckReference,
    ckNamedReference,
    ckLineHead,
    ckLineTail,
    ckTextHead,
    ckTextTail,
    ckTextEnd,
    ckProperty,
    ckGlobalPos,
    ckIfThenReference,
    ckIfThenNamedReference,
    ckBin,
};

constexpr int kUnbounded = -1;

class TRECode {
public:
    explicit TRECode(TRxRegExp* ARegExp) : FRegExp(ARegExp) {}
    virtual ~TRECode() = default;
    TRECode(const TRECode&) = delete;
    TRECode& operator=(const TRECode&) = delete;

    virtual TRECodeKind Kind() const = 0;
    // Length in UTF-16 units when it is fixed.
    virtual int GetLength() const { return 1; }
    // Length in characters: 0 for an assertion, -1 when variable.
    virtual int GetCharLength() const { return 1; }
    // Shortest and longest match in characters; max is kUnbounded when there is no limit.
    virtual void GetCharRange(int& AMin, int& AMax) const;
    // As a class member: 0 when the character at AStr belongs; a range answers -1 below, 1 above.
    virtual int Compare(const char16_t* AStr) const;
    // Order of class members.
    virtual int CompareCode(const TRECode* Dest) const;
    virtual bool ExecRepeat(const char16_t*& AStr, bool IsStar) const;
    virtual bool ExecRepeat(const char16_t*& AStr, int AMin, int AMax) const;
    virtual bool IsEqual(const char16_t* AStr, int& Len) const;
    // True only when every character ACode matches is matched by this code too.
    virtual bool IsInclude(const TRECode* ACode) const;
    // False only when no character can be matched by both codes.
    virtual bool IsOverlap(const TRECode* ACode) const;
    // Whether the code consumes characters (false for assertions).
    bool IsConsuming() const { return GetCharLength() != 0; }

    TRxRegExp* RegExp() const { return FRegExp; }

protected:
    const char16_t* MatchTopP() const;
    const char16_t* MatchEndP() const;

    TRxRegExp* FRegExp;
};

// A single literal character; also ^ and $ before the automaton decides whether they anchor.
class TRECharCode : public TRECode {
public:
    TRECharCode(TRxRegExp* ARegExp, char32_t AWChar, TREOptions AOptions, bool AConvert);
    TRECodeKind Kind() const override { return ckChar; }
    int GetLength() const override { return FLength; }
    int GetCharLength() const override { return FCharLength; }
    int Compare(const char16_t* AStr) const override;
    bool ExecRepeat(const char16_t*& AStr, bool IsStar) const override;
    bool IsEqual(const char16_t* AStr, int& Len) const override;
    bool IsInclude(const TRECode* ACode) const override;
    bool IsOverlap(const TRECode* ACode) const override;

    char32_t WChar() const { return FWChar; }
    const std::u16string& Strings() const { return FStrings; }
    TREOptions Options() const { return FOptions; }
    TRECompareOptions CompareOptions() const { return FCompareOptions; }
    bool Convert() const { return FConvert; }

private:
    std::u16string FStrings;
    char32_t FWChar;
    int FLength;
    int FCharLength = 1;
    TREOptions FOptions;
    TRECompareOptions FCompareOptions;
    bool FConvert;
};

// A run of two or more literal characters.
class TRELiteralCode : public TRECode {
public:
    TRELiteralCode(TRxRegExp* ARegExp, std::u16string AStrings, TREOptions AOptions);
    TRECodeKind Kind() const override { return ckLiteral; }
    int GetLength() const override { return FLength; }
    int GetCharLength() const override { return FCharLength; }
    bool ExecRepeat(const char16_t*& AStr, bool IsStar) const override;
    bool IsEqual(const char16_t* AStr, int& Len) const override;
    bool IsInclude(const TRECode* ACode) const override;
    bool IsOverlap(const TRECode* ACode) const override;

    const std::u16string& Strings() const { return FStrings; }
    TREOptions Options() const { return FOptions; }
    TRECompareOptions CompareOptions() const { return FCompareOptions; }

private:
    std::u16string FStrings;
    int FLength;
    int FCharLength;
    TREOptions FOptions;
    TRECompareOptions FCompareOptions;
};

// A class range. A character belongs when it, or one of its variants by the range's own
// compare options, lies between the two ends.
class TRERangeCharCode : public TRECode {
public:
    TRERangeCharCode(TRxRegExp* ARegExp, char32_t AStartWChar, char32_t ALastWChar,
                     TREOptions AOptions);
    TRECodeKind Kind() const override { return ckRangeChar; }
    int Compare(const char16_t* AStr) const override;
    int CompareCode(const TRECode* Dest) const override;
    bool IsEqual(const char16_t* AStr, int& Len) const override;
    bool IsInclude(const TRECode* ACode) const override;
    bool IsOverlap(const TRECode* ACode) const override;

    char32_t StartWChar() const { return FStartWChar; }
    char32_t LastWChar() const { return FLastWChar; }
    TREOptions Options() const { return FOptions; }
    TRECompareOptions CompareOptions() const { return FCompareOptions; }

private:
    char32_t FStartWChar;
    char32_t FLastWChar;
    TREOptions FOptions;
    TRECompareOptions FCompareOptions;
};

class TREAnyCharCode : public TRECode {
public:
    TREAnyCharCode(TRxRegExp* ARegExp, TREOptions AOptions);
    TRECodeKind Kind() const override { return ckAnyChar; }
    bool ExecRepeat(const char16_t*& AStr, bool IsStar) const override;
    bool IsEqual(const char16_t* AStr, int& Len) const override;
    bool IsInclude(const TRECode* ACode) const override;
    TREOptions Options() const { return FOptions; }

private:
    TREOptions FOptions;
    TRECompareOptions FCompareOptions;
};

// Base of the one-character tests that may be negated (\w \d \s \h \v, properties, POSIX).
class TRENegatableCode : public TRECode {
public:
    TRENegatableCode(TRxRegExp* ARegExp, bool ANegative) : TRECode(ARegExp), FNegative(ANegative) {}
    bool IsEqual(const char16_t* AStr, int& Len) const override;
    int Compare(const char16_t* AStr) const override;
    int CompareCode(const TRECode* Dest) const override;
    bool IsInclude(const TRECode* ACode) const override;
    bool IsOverlap(const TRECode* ACode) const override;
    bool Negative() const { return FNegative; }
    // The test before negation.
    virtual bool Test(char32_t cp) const = 0;

protected:
    bool FNegative;
};

class TREWordCharCode : public TRENegatableCode {
public:
    using TRENegatableCode::TRENegatableCode;
    TRECodeKind Kind() const override { return ckWordChar; }
    bool Test(char32_t cp) const override;
};

class TREDigitCharCode : public TRENegatableCode {
public:
    using TRENegatableCode::TRENegatableCode;
    TRECodeKind Kind() const override { return ckDigitChar; }
    bool Test(char32_t cp) const override;
};

class TRESpaceCharCode : public TRENegatableCode {
public:
    using TRENegatableCode::TRENegatableCode;
    TRECodeKind Kind() const override { return ckSpaceChar; }
    bool Test(char32_t cp) const override;
};

class TREHexDigitCharCode : public TRENegatableCode {
public:
    using TRENegatableCode::TRENegatableCode;
    TRECodeKind Kind() const override { return ckHexDigitChar; }
    bool Test(char32_t cp) const override;
};

class TREHorizontalSpaceCharCode : public TRENegatableCode {
public:
    using TRENegatableCode::TRENegatableCode;
    TRECodeKind Kind() const override { return ckHorizontalSpaceChar; }
    bool Test(char32_t cp) const override;
};

class TREVerticalSpaceCharCode : public TRENegatableCode {
public:
    using TRENegatableCode::TRENegatableCode;
    TRECodeKind Kind() const override { return ckVerticalSpaceChar; }
    bool Test(char32_t cp) const override;
};

class TREPropertyCode : public TRENegatableCode {
public:
    TREPropertyCode(TRxRegExp* ARegExp, std::uint16_t AUniCodeProperty, bool ANegative)
        : TRENegatableCode(ARegExp, ANegative), FUniCodeProperty(AUniCodeProperty) {}
    TRECodeKind Kind() const override { return ckProperty; }
    bool Test(char32_t cp) const override;
    int CompareCode(const TRECode* Dest) const override;
    bool IsInclude(const TRECode* ACode) const override;
    std::uint16_t UniCodeProperty() const { return FUniCodeProperty; }

private:
    std::uint16_t FUniCodeProperty;
};

// \R: CR LF, or any one line-break character.
class TRELineBreakCharCode : public TRECode {
public:
    using TRECode::TRECode;
    TRECodeKind Kind() const override { return ckLineBreakChar; }
    int GetLength() const override { return 2; }
    int GetCharLength() const override { return 2; }
    void GetCharRange(int& AMin, int& AMax) const override;
    bool IsEqual(const char16_t* AStr, int& Len) const override;
};

class TRECharClassCode : public TRECode {
public:
    TRECharClassCode(TRxRegExp* ARegExp, TREOptions AOptions, bool ANegative);
    TRECodeKind Kind() const override { return ckCharClass; }
    int Compare(const char16_t* AStr) const override;
    bool IsEqual(const char16_t* AStr, int& Len) const override;
    bool IsInclude(const TRECode* ACode) const override;
    bool IsOverlap(const TRECode* ACode) const override;

    // A single character with its variants by the class's options.
    void AddChar(char32_t cp);
    void AddCode(std::unique_ptr<TRECode> ACode);
    // Drops members included in others and sorts the rest.
    void Finish();

    const TRECharMap& Map() const { return FMap; }
    bool Negative() const { return FNegative; }
    TREOptions Options() const { return FOptions; }
    bool IsSimple() const { return FIsSimple; }
    int MemberCount() const { return static_cast<int>(FCodeList.size()); }
    const TRECode* Member(int i) const { return FCodeList[static_cast<std::size_t>(i)].get(); }

private:
    bool Contains(const char16_t* AStr, int& Len) const;

    TRECharMap FMap;
    bool FNegative;
    std::vector<std::unique_ptr<TRECode>> FCodeList;
    TREOptions FOptions;
    bool FIsSimple = false;
    // Membership of the ASCII characters, worked out once the class is complete.
    bool FAsciiKnown = false;
    bool FAscii[128] = {};
};

// \X: a character that is not a mark, then any number of marks.
class TRECombiningSequence : public TRECode {
public:
    using TRECode::TRECode;
    TRECodeKind Kind() const override { return ckCombiningSequence; }
    int GetLength() const override { return -1; }
    int GetCharLength() const override { return -1; }
    void GetCharRange(int& AMin, int& AMax) const override;
    bool ExecRepeat(const char16_t*& AStr, bool IsStar) const override;
    bool IsEqual(const char16_t* AStr, int& Len) const override;
};

// Base of the zero-width assertions.
class TREAssertionCode : public TRECode {
public:
    using TRECode::TRECode;
    int GetLength() const override { return 0; }
    int GetCharLength() const override { return 0; }
};

class TREBoundaryCode : public TREAssertionCode {
public:
    TREBoundaryCode(TRxRegExp* ARegExp, bool ANegative)
        : TREAssertionCode(ARegExp), FNegative(ANegative) {}
    TRECodeKind Kind() const override { return ckBoundary; }
    bool IsEqual(const char16_t* AStr, int& Len) const override;
    bool Negative() const { return FNegative; }

private:
    bool FNegative;
};

class TREReferenceCode : public TRECode {
public:
    TREReferenceCode(TRxRegExp* ARegExp, int AGroupIndex, TREOptions AOptions);
    TRECodeKind Kind() const override { return ckReference; }
    int GetLength() const override { return -1; }
    int GetCharLength() const override { return -1; }
    void GetCharRange(int& AMin, int& AMax) const override;
    bool IsEqual(const char16_t* AStr, int& Len) const override;
    int GroupIndex() const { return FGroupIndex; }

private:
    int FGroupIndex;
    TREOptions FOptions;
    TRECompareOptions FCompareOptions;
};

class TRENamedReferenceCode : public TRECode {
public:
    TRENamedReferenceCode(TRxRegExp* ARegExp, std::u16string AGroupName,
                          std::vector<int> AGroupIndexArray, TREOptions AOptions);
    TRECodeKind Kind() const override { return ckNamedReference; }
    int GetLength() const override { return -1; }
    int GetCharLength() const override { return -1; }
    void GetCharRange(int& AMin, int& AMax) const override;
    bool IsEqual(const char16_t* AStr, int& Len) const override;
    const std::u16string& GroupName() const { return FGroupName; }
    const std::vector<int>& GroupIndexArray() const { return FGroupIndexArray; }
    // Filled after parsing for a name that was not yet known where the reference stood.
    void SetGroupIndexArray(std::vector<int> AGroupIndexArray);

private:
    std::u16string FGroupName;
    std::vector<int> FGroupIndexArray;
    int FCount;
    TREOptions FOptions;
    TRECompareOptions FCompareOptions;
};

class TRELineHeadCode : public TREAssertionCode {
public:
    TRELineHeadCode(TRxRegExp* ARegExp, TREOptions AOptions)
        : TREAssertionCode(ARegExp), FOptions(AOptions) {}
    TRECodeKind Kind() const override { return ckLineHead; }
    bool IsEqual(const char16_t* AStr, int& Len) const override;
    TREOptions Options() const { return FOptions; }

private:
    TREOptions FOptions;
};

class TRELineTailCode : public TREAssertionCode {
public:
    TRELineTailCode(TRxRegExp* ARegExp, TREOptions AOptions)
        : TREAssertionCode(ARegExp), FOptions(AOptions) {}
    TRECodeKind Kind() const override { return ckLineTail; }
    bool IsEqual(const char16_t* AStr, int& Len) const override;
    TREOptions Options() const { return FOptions; }

private:
    TREOptions FOptions;
};

class TRETextHeadCode : public TREAssertionCode {
public:
    using TREAssertionCode::TREAssertionCode;
    TRECodeKind Kind() const override { return ckTextHead; }
    bool IsEqual(const char16_t* AStr, int& Len) const override;
};

class TRETextTailCode : public TREAssertionCode {
public:
    using TREAssertionCode::TREAssertionCode;
    TRECodeKind Kind() const override { return ckTextTail; }
    bool IsEqual(const char16_t* AStr, int& Len) const override;
};

class TRETextEndCode : public TREAssertionCode {
public:
    using TREAssertionCode::TREAssertionCode;
    TRECodeKind Kind() const override { return ckTextEnd; }
    bool IsEqual(const char16_t* AStr, int& Len) const override;
};

class TREGlobalPosCode : public TREAssertionCode {
public:
    using TREAssertionCode::TREAssertionCode;
    TRECodeKind Kind() const override { return ckGlobalPos; }
    bool IsEqual(const char16_t* AStr, int& Len) const override;
};

class TREIfThenReferenceCode : public TREAssertionCode {
public:
    TREIfThenReferenceCode(TRxRegExp* ARegExp, int AGroupIndex)
        : TREAssertionCode(ARegExp), FGroupIndex(AGroupIndex) {}
    TRECodeKind Kind() const override { return ckIfThenReference; }
    bool IsEqual(const char16_t* AStr, int& Len) const override;
    int GroupIndex() const { return FGroupIndex; }

private:
    int FGroupIndex;
};

class TREIfThenNamedReferenceCode : public TREAssertionCode {
public:
    TREIfThenNamedReferenceCode(TRxRegExp* ARegExp, std::u16string AGroupName)
        : TREAssertionCode(ARegExp), FGroupName(std::move(AGroupName)) {}
    TRECodeKind Kind() const override { return ckIfThenNamedReference; }
    bool IsEqual(const char16_t* AStr, int& Len) const override;
    const std::u16string& GroupName() const { return FGroupName; }

private:
    std::u16string FGroupName;
};

// One of U+000A..U+000D, U+0085, U+2028, U+2029.
constexpr bool IsLineBreakChar(char32_t c) {
    return (c >= 0x0A && c <= 0x0D) || c == 0x85 || c == 0x2028 || c == 0x2029;
}
