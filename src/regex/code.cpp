// What every code matches.
#include "regex/code.h"

#include "regex/fold.h"
#include "regex/regexp.h"
#include "regex/text_services.h"
#include "regex/unicode_props.h"

#include <algorithm>

namespace {

// The code point that ends right before p (p > top).
char32_t ReadPrevCodePoint(const char16_t* p, const char16_t* top) {
    const char16_t c = p[-1];
    if (c >= 0xDC00 && c <= 0xDFFF && p - 1 > top && p[-2] >= 0xD800 && p[-2] <= 0xDBFF) {
        return 0x10000 + ((static_cast<char32_t>(p[-2]) - 0xD800) << 10) + (c - 0xDC00);
    }
    return c;
}

// The character and the forms it may take under the compare options, at most 16.
int Variants(char32_t cp, TRECompareOptions options, char32_t* out) {
    int n = 0;
    out[n++] = cp;
    for (int i = 0; i < n; ++i) {
        const char32_t c = out[i];
        char32_t next[6];
        int m = 0;
        if (HasCompareOption(options, coIgnoreCase)) {
            next[m++] = CharUpper(c);
            next[m++] = CharLower(c);
        }
        if (HasCompareOption(options, coIgnoreWidth)) {
            next[m++] = ToFullWidth(c);
            next[m++] = ToHalfWidth(c);
        }
        if (HasCompareOption(options, coIgnoreKana)) {
            next[m++] = ToHiragana(c);
            next[m++] = ToKatakana(c);
        }
        for (int k = 0; k < m && n < 16; ++k) {
            if (std::find(out, out + n, next[k]) == out + n) {
                out[n++] = next[k];
            }
        }
    }
    return n;
}

int KindRank(const TRECode* c) {
    return static_cast<int>(c->Kind());
}

} // namespace

// ---- TRECode ----

const char16_t* TRECode::MatchTopP() const {
    return FRegExp->FMatchTopP;
}
const char16_t* TRECode::MatchEndP() const {
    return FRegExp->FMatchEndP;
}

void TRECode::GetCharRange(int& AMin, int& AMax) const {
    const int n = GetCharLength();
    AMin = n < 0 ? 0 : n;
    AMax = n < 0 ? kUnbounded : n;
}

int TRECode::Compare(const char16_t* AStr) const {
    int len = 0;
    return IsEqual(AStr, len) ? 0 : 1;
}

int TRECode::CompareCode(const TRECode* Dest) const {
    return KindRank(this) < KindRank(Dest) ? -1 : KindRank(this) > KindRank(Dest) ? 1 : 0;
}

bool TRECode::ExecRepeat(const char16_t*& AStr, bool IsStar) const {
    const char16_t* start = AStr;
    int len = 0;
    while (AStr < MatchEndP() && IsEqual(AStr, len) && len > 0) {
        AStr += len;
    }
    return IsStar || AStr != start;
}

bool TRECode::ExecRepeat(const char16_t*& AStr, int AMin, int AMax) const {
    int count = 0;
    int len = 0;
    while (count < AMax && IsEqual(AStr, len)) {
        if (len == 0) {
            return true; // an empty match repeats as often as needed
        }
        AStr += len;
        ++count;
    }
    return count >= AMin;
}

bool TRECode::IsEqual(const char16_t* /*AStr*/, int& Len) const {
    Len = 0;
    return false;
}

bool TRECode::IsInclude(const TRECode* /*ACode*/) const {
    return false;
}

bool TRECode::IsOverlap(const TRECode* /*ACode*/) const {
    return true;
}

// ---- TRECharCode ----

TRECharCode::TRECharCode(TRxRegExp* ARegExp, char32_t AWChar, TREOptions AOptions, bool AConvert)
    : TRECode(ARegExp), FWChar(AWChar), FOptions(AOptions),
      FCompareOptions(ToCompareOptions(AOptions)), FConvert(AConvert) {
    AppendCodePoint(FStrings, AWChar);
    FLength = static_cast<int>(FStrings.size());
}

int TRECharCode::Compare(const char16_t* AStr) const {
    int len = 0;
    return IsEqual(AStr, len) ? 0 : 1;
}

bool TRECharCode::ExecRepeat(const char16_t*& AStr, bool IsStar) const {
    return TRECode::ExecRepeat(AStr, IsStar);
}

bool TRECharCode::IsEqual(const char16_t* AStr, int& Len) const {
    if (AStr >= MatchEndP()) {
        return false;
    }
    return CompareText(AStr, MatchEndP(), FStrings.data(), FLength, FCompareOptions, Len);
}

bool TRECharCode::IsInclude(const TRECode* ACode) const {
    if (ACode->Kind() != ckChar) {
        return false;
    }
    const auto* other = static_cast<const TRECharCode*>(ACode);
    return other->FWChar == FWChar && other->FCompareOptions == FCompareOptions;
}

bool TRECharCode::IsOverlap(const TRECode* ACode) const {
    if (ACode->Kind() != ckChar && ACode->Kind() != ckLiteral) {
        // The other kinds answer for a character themselves.
        return ACode->Kind() == ckBin ? true : ACode->IsOverlap(this);
    }
    const bool isChar = ACode->Kind() == ckChar;
    const std::u16string& o = isChar ? static_cast<const TRECharCode*>(ACode)->Strings()
                                     : static_cast<const TRELiteralCode*>(ACode)->Strings();
    const TRECompareOptions opts =
        FCompareOptions | (isChar ? static_cast<const TRECharCode*>(ACode)->CompareOptions()
                                  : static_cast<const TRELiteralCode*>(ACode)->CompareOptions());
    int len = 0;
    const char32_t b = ReadCodePoint(o.data(), o.data() + o.size(), len);
    if (opts == 0) {
        return b == FWChar;
    }
    if (opts == CompareBit(coIgnoreCase)) {
        return CharUpper(CharLower(b)) == CharUpper(CharLower(FWChar));
    }
    return true;
}

// ---- TRELiteralCode ----

TRELiteralCode::TRELiteralCode(TRxRegExp* ARegExp, std::u16string AStrings, TREOptions AOptions)
    : TRECode(ARegExp), FStrings(std::move(AStrings)), FOptions(AOptions),
      FCompareOptions(ToCompareOptions(AOptions)) {
    FLength = static_cast<int>(FStrings.size());
    FCharLength = 0;
    const char16_t* p = FStrings.data();
    const char16_t* end = p + FStrings.size();
    while (p < end) {
        int len = 0;
        ReadCodePoint(p, end, len);
        p += len;
        ++FCharLength;
    }
}

bool TRELiteralCode::ExecRepeat(const char16_t*& AStr, bool IsStar) const {
    return TRECode::ExecRepeat(AStr, IsStar);
}

bool TRELiteralCode::IsEqual(const char16_t* AStr, int& Len) const {
    if (AStr >= MatchEndP()) {
        return false;
    }
    return CompareText(AStr, MatchEndP(), FStrings.data(), FLength, FCompareOptions, Len);
}

bool TRELiteralCode::IsInclude(const TRECode* ACode) const {
    if (ACode->Kind() != ckLiteral) {
        return false;
    }
    const auto* other = static_cast<const TRELiteralCode*>(ACode);
    return other->FStrings == FStrings && other->FCompareOptions == FCompareOptions;
}

bool TRELiteralCode::IsOverlap(const TRECode* ACode) const {
    if (ACode->Kind() == ckChar) {
        return ACode->IsOverlap(this);
    }
    return true;
}

// ---- TRERangeCharCode ----

TRERangeCharCode::TRERangeCharCode(TRxRegExp* ARegExp, char32_t AStartWChar, char32_t ALastWChar,
                                   TREOptions AOptions)
    : TRECode(ARegExp), FStartWChar(AStartWChar), FLastWChar(ALastWChar), FOptions(AOptions),
      FCompareOptions(ToCompareOptions(AOptions)) {}

int TRERangeCharCode::Compare(const char16_t* AStr) const {
    int len = 0;
    if (IsEqual(AStr, len)) {
        return 0;
    }
    if (AStr >= MatchEndP()) {
        return 1;
    }
    const char32_t c = ReadCodePoint(AStr, MatchEndP(), len);
    return c < FStartWChar ? -1 : 1;
}

int TRERangeCharCode::CompareCode(const TRECode* Dest) const {
    if (Dest->Kind() != ckRangeChar) {
        return TRECode::CompareCode(Dest);
    }
    const auto* other = static_cast<const TRERangeCharCode*>(Dest);
    if (FStartWChar != other->FStartWChar) {
        return FStartWChar < other->FStartWChar ? -1 : 1;
    }
    if (FLastWChar != other->FLastWChar) {
        return FLastWChar < other->FLastWChar ? -1 : 1;
    }
    return 0;
}

bool TRERangeCharCode::IsEqual(const char16_t* AStr, int& Len) const {
    if (AStr >= MatchEndP()) {
        return false;
    }
    int len = 0;
    const char32_t c = ReadCodePoint(AStr, MatchEndP(), len);
    if (c >= FStartWChar && c <= FLastWChar) {
        Len = len;
        return true;
    }
    if (FCompareOptions == 0) {
        return false;
    }
    // A half-width kana with its voiced mark folds into one character.
    int foldedLen = 0;
    const char32_t folded = FoldChar(AStr, MatchEndP(), FCompareOptions, foldedLen);
    if (folded >= FStartWChar && folded <= FLastWChar) {
        Len = foldedLen;
        return true;
    }
    char32_t variants[16];
    const int n = Variants(c, FCompareOptions, variants);
    for (int i = 1; i < n; ++i) {
        if (variants[i] >= FStartWChar && variants[i] <= FLastWChar) {
            Len = len;
            return true;
        }
    }
    return false;
}

bool TRERangeCharCode::IsInclude(const TRECode* ACode) const {
    if (ACode->Kind() == ckRangeChar) {
        const auto* other = static_cast<const TRERangeCharCode*>(ACode);
        return other->FCompareOptions == FCompareOptions && other->FStartWChar >= FStartWChar &&
               other->FLastWChar <= FLastWChar;
    }
    if (ACode->Kind() == ckChar) {
        const auto* other = static_cast<const TRECharCode*>(ACode);
        return other->CompareOptions() == 0 && other->WChar() >= FStartWChar &&
               other->WChar() <= FLastWChar;
    }
    return false;
}

bool TRERangeCharCode::IsOverlap(const TRECode* ACode) const {
    if (FCompareOptions != 0) {
        return true;
    }
    if (ACode->Kind() == ckRangeChar) {
        const auto* other = static_cast<const TRERangeCharCode*>(ACode);
        return other->FCompareOptions != 0 ||
               !(other->FLastWChar < FStartWChar || other->FStartWChar > FLastWChar);
    }
    if (ACode->Kind() == ckChar) {
        const auto* other = static_cast<const TRECharCode*>(ACode);
        return other->CompareOptions() != 0 ||
               (other->WChar() >= FStartWChar && other->WChar() <= FLastWChar);
    }
    return true;
}

// ---- TREAnyCharCode ----

TREAnyCharCode::TREAnyCharCode(TRxRegExp* ARegExp, TREOptions AOptions)
    : TRECode(ARegExp), FOptions(AOptions), FCompareOptions(ToCompareOptions(AOptions)) {}

bool TREAnyCharCode::IsEqual(const char16_t* AStr, int& Len) const {
    if (AStr >= MatchEndP()) {
        return false;
    }
    int len = 0;
    const char32_t c = ReadCodePoint(AStr, MatchEndP(), len);
    if (!HasOption(FOptions, roSingleLine) && IsLineBreakChar(c)) {
        return false;
    }
    Len = len;
    return true;
}

bool TREAnyCharCode::ExecRepeat(const char16_t*& AStr, bool IsStar) const {
    const char16_t* start = AStr;
    if (HasOption(FOptions, roSingleLine)) {
        AStr = std::max(AStr, MatchEndP());
    } else {
        while (AStr < MatchEndP() && !IsLineBreakChar(*AStr)) {
            ++AStr;
        }
    }
    return IsStar || AStr != start;
}

bool TREAnyCharCode::IsInclude(const TRECode* ACode) const {
    if (HasOption(FOptions, roSingleLine)) {
        return ACode->IsConsuming() && ACode->GetCharLength() == 1;
    }
    return ACode->Kind() == ckAnyChar;
}

// ---- negatable one-character tests ----

bool TRENegatableCode::IsEqual(const char16_t* AStr, int& Len) const {
    if (AStr >= MatchEndP()) {
        return false;
    }
    int len = 0;
    const char32_t c = ReadCodePoint(AStr, MatchEndP(), len);
    if (Test(c) == FNegative) {
        return false;
    }
    Len = len;
    return true;
}

int TRENegatableCode::Compare(const char16_t* AStr) const {
    int len = 0;
    return IsEqual(AStr, len) ? 0 : 1;
}

int TRENegatableCode::CompareCode(const TRECode* Dest) const {
    const int byKind = TRECode::CompareCode(Dest);
    if (byKind != 0) {
        return byKind;
    }
    const bool otherNegative = static_cast<const TRENegatableCode*>(Dest)->FNegative;
    return FNegative == otherNegative ? 0 : FNegative ? 1 : -1;
}

bool TRENegatableCode::IsInclude(const TRECode* ACode) const {
    if (ACode->Kind() != Kind()) {
        return false;
    }
    return static_cast<const TRENegatableCode*>(ACode)->FNegative == FNegative;
}

bool TRENegatableCode::IsOverlap(const TRECode* ACode) const {
    if (ACode->Kind() == ckChar) {
        const auto* other = static_cast<const TRECharCode*>(ACode);
        if (other->CompareOptions() == 0) {
            return Test(other->WChar()) != FNegative;
        }
        return true;
    }
    if (ACode->Kind() == Kind()) {
        const auto* other = static_cast<const TRENegatableCode*>(ACode);
        return other->FNegative == FNegative || Kind() == ckProperty;
    }
    return true;
}

bool TREWordCharCode::Test(char32_t cp) const {
    return FRegExp->IsWord(cp);
}
bool TREDigitCharCode::Test(char32_t cp) const {
    return FRegExp->IsDigit(cp);
}
bool TRESpaceCharCode::Test(char32_t cp) const {
    return FRegExp->IsSpace(cp);
}

bool TREHexDigitCharCode::Test(char32_t cp) const {
    return (cp >= '0' && cp <= '9') || (cp >= 'A' && cp <= 'F') || (cp >= 'a' && cp <= 'f');
}

bool TREHorizontalSpaceCharCode::Test(char32_t cp) const {
    return cp == 0x09 || cp == 0x20 || cp == 0xA0 || cp == 0x1680 || cp == 0x180E ||
           (cp >= 0x2000 && cp <= 0x200A) || cp == 0x202F || cp == 0x205F || cp == 0x3000;
}

bool TREVerticalSpaceCharCode::Test(char32_t cp) const {
    return IsLineBreakChar(cp);
}

bool TREPropertyCode::Test(char32_t cp) const {
    return IsProperty(cp, FUniCodeProperty);
}

int TREPropertyCode::CompareCode(const TRECode* Dest) const {
    const int byKind = TRENegatableCode::CompareCode(Dest);
    if (byKind != 0) {
        return byKind;
    }
    const auto other = static_cast<const TREPropertyCode*>(Dest)->FUniCodeProperty;
    return FUniCodeProperty < other ? -1 : FUniCodeProperty > other ? 1 : 0;
}

bool TREPropertyCode::IsInclude(const TRECode* ACode) const {
    return TRENegatableCode::IsInclude(ACode) &&
           static_cast<const TREPropertyCode*>(ACode)->FUniCodeProperty == FUniCodeProperty;
}

// ---- \R ----

void TRELineBreakCharCode::GetCharRange(int& AMin, int& AMax) const {
    AMin = 1;
    AMax = 2;
}

bool TRELineBreakCharCode::IsEqual(const char16_t* AStr, int& Len) const {
    if (AStr >= MatchEndP() || !IsLineBreakChar(*AStr)) {
        return false;
    }
    Len = (*AStr == 0x0D && AStr + 1 < MatchEndP() && AStr[1] == 0x0A) ? 2 : 1;
    return true;
}

// ---- TRECharClassCode ----

TRECharClassCode::TRECharClassCode(TRxRegExp* ARegExp, TREOptions AOptions, bool ANegative)
    : TRECode(ARegExp), FNegative(ANegative), FOptions(AOptions) {}

void TRECharClassCode::AddChar(char32_t cp) {
    char32_t variants[16];
    const int n = Variants(cp, ToCompareOptions(FOptions), variants);
    for (int i = 0; i < n; ++i) {
        FMap.Add(variants[i]);
    }
    FIsSimple = true;
}

void TRECharClassCode::AddCode(std::unique_ptr<TRECode> ACode) {
    FCodeList.push_back(std::move(ACode));
}

void TRECharClassCode::Finish() {
    const std::size_t n = FCodeList.size();
    std::vector<bool> drop(n, false);
    for (std::size_t i = 0; i < n; ++i) {
        for (std::size_t j = 0; j < n && !drop[i]; ++j) {
            if (i == j || drop[j]) {
                continue;
            }
            // Of two equal members the earlier one stays.
            const bool jIncludesI = FCodeList[j]->IsInclude(FCodeList[i].get());
            const bool iIncludesJ = FCodeList[i]->IsInclude(FCodeList[j].get());
            drop[i] = jIncludesI && (!iIncludesJ || j < i);
        }
    }
    std::vector<std::unique_ptr<TRECode>> kept;
    for (std::size_t i = 0; i < n; ++i) {
        if (!drop[i]) {
            kept.push_back(std::move(FCodeList[i]));
        }
    }
    FCodeList = std::move(kept);
    std::stable_sort(FCodeList.begin(), FCodeList.end(),
                     [](const auto& a, const auto& b) { return a->CompareCode(b.get()) < 0; });
    // The members test the text within the engine's match range; point it at each ASCII
    // character in turn for as long as the table is made.
    const char16_t* top = FRegExp->FMatchTopP;
    const char16_t* end = FRegExp->FMatchEndP;
    for (char16_t c = 0; c < 128; ++c) {
        const char16_t text[1] = {c};
        FRegExp->FMatchTopP = text;
        FRegExp->FMatchEndP = text + 1;
        int len = 0;
        FAscii[c] = Contains(text, len) && len == 1;
    }
    FRegExp->FMatchTopP = top;
    FRegExp->FMatchEndP = end;
    FAsciiKnown = true;
}

bool TRECharClassCode::Contains(const char16_t* AStr, int& Len) const {
    int len = 0;
    const char32_t c = ReadCodePoint(AStr, MatchEndP(), len);
    if (FMap.Contains(c)) {
        Len = len;
        return true;
    }
    const TRECompareOptions options = ToCompareOptions(FOptions);
    if (options != 0 && !FMap.Empty()) {
        int foldedLen = 0;
        const char32_t folded = FoldChar(AStr, MatchEndP(), options, foldedLen);
        if (FMap.Contains(folded)) {
            Len = foldedLen;
            return true;
        }
    }
    for (const auto& member : FCodeList) {
        int memberLen = 0;
        if (member->IsEqual(AStr, memberLen)) {
            Len = memberLen;
            return true;
        }
    }
    return false;
}

bool TRECharClassCode::IsEqual(const char16_t* AStr, int& Len) const {
    if (AStr >= MatchEndP()) {
        return false;
    }
    if (*AStr < 128 && FAsciiKnown) {
        if (FAscii[*AStr] == FNegative) {
            return false;
        }
        Len = 1;
        return true;
    }
    int len = 0;
    const bool in = Contains(AStr, len);
    if (in == FNegative) {
        return false;
    }
    if (FNegative) {
        ReadCodePoint(AStr, MatchEndP(), len);
    }
    Len = len;
    return true;
}

int TRECharClassCode::Compare(const char16_t* AStr) const {
    int len = 0;
    return IsEqual(AStr, len) ? 0 : 1;
}

bool TRECharClassCode::IsInclude(const TRECode* ACode) const {
    if (FNegative) {
        return false;
    }
    if (ACode->Kind() == ckChar) {
        const auto* other = static_cast<const TRECharCode*>(ACode);
        return other->CompareOptions() == 0 && FMap.Contains(other->WChar());
    }
    for (const auto& member : FCodeList) {
        if (member->IsInclude(ACode)) {
            return true;
        }
    }
    return false;
}

bool TRECharClassCode::IsOverlap(const TRECode* ACode) const {
    if (FNegative || ACode->Kind() != ckChar) {
        return true;
    }
    const auto* other = static_cast<const TRECharCode*>(ACode);
    if (other->CompareOptions() != 0 || FOptions != 0) {
        return true;
    }
    if (FMap.Contains(other->WChar())) {
        return true;
    }
    for (const auto& member : FCodeList) {
        if (member->IsOverlap(ACode)) {
            return true;
        }
    }
    return false;
}

// ---- \X ----

void TRECombiningSequence::GetCharRange(int& AMin, int& AMax) const {
    AMin = 1;
    AMax = kUnbounded;
}

bool TRECombiningSequence::IsEqual(const char16_t* AStr, int& Len) const {
    const char16_t* end = MatchEndP();
    if (AStr >= end) {
        return false;
    }
    int len = 0;
    const char32_t first = ReadCodePoint(AStr, end, len);
    if (GetMajorCategory(first) == upM) {
        return false;
    }
    const char16_t* p = AStr + len;
    while (p < end) {
        const char32_t c = ReadCodePoint(p, end, len);
        if (GetMajorCategory(c) != upM) {
            break;
        }
        p += len;
    }
    Len = static_cast<int>(p - AStr);
    return true;
}

bool TRECombiningSequence::ExecRepeat(const char16_t*& AStr, bool IsStar) const {
    const char16_t* start = AStr;
    AStr = std::max(AStr, MatchEndP());
    return IsStar || AStr != start;
}

// ---- assertions ----

bool TREBoundaryCode::IsEqual(const char16_t* AStr, int& Len) const {
    const bool before = AStr > MatchTopP() && FRegExp->IsWord(ReadPrevCodePoint(AStr, MatchTopP()));
    int len = 0;
    const bool after = AStr < MatchEndP() && FRegExp->IsWord(ReadCodePoint(AStr, MatchEndP(), len));
    Len = 0;
    return (before != after) != FNegative;
}

bool TRELineHeadCode::IsEqual(const char16_t* AStr, int& Len) const {
    Len = 0;
    if (AStr == MatchTopP()) {
        return true;
    }
    if (!HasOption(FOptions, roMultiLine) || AStr <= MatchTopP() || AStr > MatchEndP()) {
        return false;
    }
    const char16_t prev = AStr[-1];
    if (!IsLineBreakChar(prev)) {
        return false;
    }
    // CR LF is one line break: no line starts between its two characters.
    return !(prev == 0x0D && AStr < MatchEndP() && *AStr == 0x0A);
}

bool TRELineTailCode::IsEqual(const char16_t* AStr, int& Len) const {
    Len = 0;
    if (AStr == MatchEndP()) {
        return true;
    }
    if (!HasOption(FOptions, roMultiLine) || AStr > MatchEndP() || !IsLineBreakChar(*AStr)) {
        return false;
    }
    return !(*AStr == 0x0A && AStr > MatchTopP() && AStr[-1] == 0x0D);
}

bool TRETextHeadCode::IsEqual(const char16_t* AStr, int& Len) const {
    Len = 0;
    return AStr == MatchTopP();
}

bool TRETextTailCode::IsEqual(const char16_t* AStr, int& Len) const {
    Len = 0;
    const char16_t* p = AStr;
    while (p < MatchEndP() && IsLineBreakChar(*p)) {
        ++p;
    }
    return p == MatchEndP();
}

bool TRETextEndCode::IsEqual(const char16_t* AStr, int& Len) const {
    Len = 0;
    return AStr == MatchEndP();
}

bool TREGlobalPosCode::IsEqual(const char16_t* AStr, int& Len) const {
    Len = 0;
    return AStr == FRegExp->FGlobalEndP;
}

bool TREIfThenReferenceCode::IsEqual(const char16_t* /*AStr*/, int& Len) const {
    Len = 0;
    const TREGroupCollection& groups = FRegExp->FGroups;
    return FGroupIndex >= 0 && FGroupIndex < groups.Count() && groups[FGroupIndex].Matched();
}

bool TREIfThenNamedReferenceCode::IsEqual(const char16_t* /*AStr*/, int& Len) const {
    Len = 0;
    return FRegExp->FGroups.IndexOfMatchedName(FGroupName) >= 0;
}

// ---- back-references ----

namespace {

bool MatchCapture(const TRxRegExp* re, int index, TRECompareOptions options, const char16_t* AStr,
                  int& Len) {
    const TREGroupCollection& groups = re->FGroups;
    if (index < 0 || index >= groups.Count() || !groups[index].Matched()) {
        return false;
    }
    const char16_t* start = groups[index].StartP();
    const char16_t* end = groups[index].EndP();
    if (end < start) {
        return false;
    }
    const int n = static_cast<int>(end - start);
    if (n == 0) {
        Len = 0;
        return true;
    }
    if (AStr >= re->FMatchEndP) {
        return false;
    }
    return CompareText(AStr, re->FMatchEndP, start, n, options, Len);
}

} // namespace

TREReferenceCode::TREReferenceCode(TRxRegExp* ARegExp, int AGroupIndex, TREOptions AOptions)
    : TRECode(ARegExp), FGroupIndex(AGroupIndex), FOptions(AOptions),
      FCompareOptions(ToCompareOptions(AOptions)) {}

void TREReferenceCode::GetCharRange(int& AMin, int& AMax) const {
    AMin = 0;
    AMax = kUnbounded;
}

bool TREReferenceCode::IsEqual(const char16_t* AStr, int& Len) const {
    return MatchCapture(FRegExp, FGroupIndex, FCompareOptions, AStr, Len);
}

TRENamedReferenceCode::TRENamedReferenceCode(TRxRegExp* ARegExp, std::u16string AGroupName,
                                             std::vector<int> AGroupIndexArray, TREOptions AOptions)
    : TRECode(ARegExp), FGroupName(std::move(AGroupName)),
      FGroupIndexArray(std::move(AGroupIndexArray)),
      FCount(static_cast<int>(FGroupIndexArray.size())), FOptions(AOptions),
      FCompareOptions(ToCompareOptions(AOptions)) {}

void TRENamedReferenceCode::SetGroupIndexArray(std::vector<int> AGroupIndexArray) {
    FGroupIndexArray = std::move(AGroupIndexArray);
    FCount = static_cast<int>(FGroupIndexArray.size());
}

void TRENamedReferenceCode::GetCharRange(int& AMin, int& AMax) const {
    AMin = 0;
    AMax = kUnbounded;
}

bool TRENamedReferenceCode::IsEqual(const char16_t* AStr, int& Len) const {
    for (int i = 0; i < FCount; ++i) {
        if (MatchCapture(FRegExp, FGroupIndexArray[static_cast<std::size_t>(i)], FCompareOptions,
                         AStr, Len)) {
            return true;
        }
    }
    return false;
}
