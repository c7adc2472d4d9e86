// The grammar, quantifiers, groups, classes and the checks made on the tree.
#include "regex/parser.h"

#include "regex/code.h"
#include "regex/messages.h"
#include "regex/regexp.h"
#include "regex/text_services.h"
#include "regex/unicode_props.h"

#include <algorithm>
#include <cstdint>
#include <string>

namespace {

bool IsQuantifier(TREToken t) {
    return t == tkQuest || t == tkStar || t == tkPlus || t == tkBound;
}

bool IsBranchEnd(TREToken t) {
    return t == tkEnd || t == tkUnion || t == tkRPar;
}

std::u16string NumberText(long long n) {
    std::u16string out;
    for (char c : std::to_string(n)) {
        out.push_back(static_cast<char16_t>(c));
    }
    return out;
}

// Saturating arithmetic for length ranges; kUnbounded stays unbounded.
constexpr std::int64_t kRangeLimit = 2147483646;

std::int64_t AddLen(std::int64_t a, std::int64_t b) {
    if (a < 0 || b < 0) {
        return kUnbounded;
    }
    return std::min(a + b, kRangeLimit + 1);
}

std::int64_t MulLen(std::int64_t a, std::int64_t times) {
    if (a < 0) {
        return kUnbounded;
    }
    if (a == 0 || times == 0) {
        return 0;
    }
    if (times >= kInfinite) {
        return kUnbounded;
    }
    return std::min(a * times, kRangeLimit + 1);
}

} // namespace

bool ComputeCharRange(const TRECode* Code, int& AMin, int& AMax) {
    // Post-order over an explicit stack; each visited node leaves its (min, max) on a value stack.
    struct TFrame {
        const TRECode* Code;
        bool Expanded;
    };
    std::vector<TFrame> work{{Code, false}};
    std::vector<std::pair<std::int64_t, std::int64_t>> values;
    while (!work.empty()) {
        TFrame frame = work.back();
        work.pop_back();
        const TREBinCode* bin = AsBin(frame.Code);
        if (frame.Code == nullptr) {
            values.emplace_back(0, 0);
            continue;
        }
        if (bin == nullptr) {
            int lo = 0;
            int hi = 0;
            frame.Code->GetCharRange(lo, hi);
            if (frame.Code->Kind() == ckChar &&
                static_cast<const TRECharCode*>(frame.Code)->Convert()) {
                lo = 0; // ^ or $ may still become an anchor
            }
            values.emplace_back(lo, hi);
            continue;
        }
        const TREOperator op = bin->Op();
        const bool binary = op == opConcat || op == opUnion || op == opIfThen;
        const bool unary = op == opGroup || op == opQuest || op == opPlus || op == opStar ||
                           op == opBound || op == opLoop || op == opNoBackTrack ||
                           op == opKeepPattern || op == opIfMatch;
        if (!frame.Expanded && (binary || unary)) {
            work.push_back({frame.Code, true});
            if (op == opIfMatch) {
                work.push_back({bin->Right(), false}); // the condition itself is zero width
            } else {
                work.push_back({bin->Left(), false});
                if (binary) {
                    work.push_back({bin->Right(), false});
                }
            }
            continue;
        }
        if (!binary && !unary) {
            // Empty, look-arounds: zero width. A call has no known bound.
            values.emplace_back(0, op == opGoSub ? kUnbounded : 0);
            continue;
        }
        const auto left = values.back();
        values.pop_back();
        if (binary) {
            // Both operations are symmetric, so the order of the two values does not matter.
            const auto right = left;
            const auto first = values.back();
            values.pop_back();
            if (op == opConcat) {
                values.emplace_back(AddLen(first.first, right.first),
                                    AddLen(first.second, right.second));
            } else {
                const std::int64_t hi = (first.second < 0 || right.second < 0)
                                            ? kUnbounded
                                            : std::max(first.second, right.second);
                values.emplace_back(std::min(first.first, right.first), hi);
            }
            continue;
        }
        switch (op) {
        case opQuest:
            values.emplace_back(0, left.second);
            break;
        case opPlus:
        case opStar:
        case opBound:
        case opLoop: {
            const std::int64_t lo = op == opPlus ? 1 : op == opStar ? 0 : bin->Min();
            const std::int64_t hi = op == opPlus || op == opStar ? kInfinite : bin->Max();
            const std::int64_t max = left.second == 0 ? 0 : MulLen(left.second, hi);
            values.emplace_back(MulLen(left.first, lo), max);
            break;
        }
        default: // group, atomic group, \K, condition
            values.push_back(left);
            break;
        }
    }
    const auto result = values.back();
    if (result.second < 0 || result.second > kRangeLimit) {
        return false;
    }
    AMin = static_cast<int>(std::min(result.first, kRangeLimit));
    AMax = static_cast<int>(result.second);
    return true;
}

TREParser::TREParser(TRxRegExp& ARegExp, std::u16string_view Expression)
    : FRegExp(ARegExp), FLex(ARegExp, Expression) {}

bool TREParser::Traditional() const {
    return FRegExp.FLexMode == lmTraditionalNFA;
}

void TREParser::Enter() {
    if (++FNestLevel > kMaxNestLevel) {
        FLex.Error(rxmsg::NestTooDeep);
    }
}

TRECode* TREParser::Leaf(std::unique_ptr<TRECode> Code) {
    if (FRegExp.FCodeList.size() + FRegExp.FBinCodeList.size() >= kMaxCodes) {
        FLex.Error(rxmsg::ExpressionTooComplex);
    }
    return FRegExp.AddCode(std::move(Code));
}

TREBinCode* TREParser::Bin(TREOperator Op, TRECode* Left, TRECode* Right, int AMin, int AMax) {
    if (FRegExp.FCodeList.size() + FRegExp.FBinCodeList.size() >= kMaxCodes) {
        FLex.Error(rxmsg::ExpressionTooComplex);
    }
    return FRegExp.AddBinCode(std::make_unique<TREBinCode>(&FRegExp, Op, Left, Right, AMin, AMax));
}

int TREParser::TokenEndPos() const {
    const int pos = FLex.GetCompileErrorPos();
    return pos > 1 ? pos - 1 : pos;
}

bool TREParser::IsOpenGroup(int GroupIndex) const {
    return GroupIndex == 0 || (FGroupLevel > 0 && GroupIndex == FCurrentGroup) ||
           std::find(FGroupStack.begin(), FGroupStack.end(), GroupIndex) != FGroupStack.end();
}

void TREParser::Parse() {
    FCurrentGroup = 0;
    FGroupLevel = 0;
    FGroupCount = 0;
    FHasRecursion = false;
    FNestLevel = 0;
    FReferenceErrorList.clear();
    FGoSubErrorList.clear();
    FGroupStack.clear();
    FLex.GetToken();
    FRegExp.FCode = ParseUnion();
    if (FLex.Token() != tkEnd) {
        FLex.Error(FLex.Token() == tkRPar ? rxmsg::UnmatchedPar : rxmsg::NotCompleted);
    }
    if (FHasRecursion) {
        CheckNeverEndingRecursion(FRegExp.FCode, 0);
    }
    RunDeferredChecks();
}

void TREParser::RunDeferredChecks() {
    const TREGroupCollection& groups = FRegExp.FGroups;
    for (const auto& check : FReferenceErrorList) {
        if (!check.GroupName.empty() || check.Code != nullptr) {
            const std::vector<int> numbers = groups.EnumIndexOfName(check.GroupName);
            if (numbers.empty()) {
                FLex.ErrorAt(rxmsg::InvalidGroupName, check.GroupName, check.Pos);
            }
            if (check.Code != nullptr) {
                check.Code->SetGroupIndexArray(numbers);
            }
        } else if (check.GroupIndex > FGroupCount) {
            FLex.ErrorAt(rxmsg::InvalidGroupNumber, NumberText(check.GroupIndex), check.Pos);
        }
    }
    for (const auto& check : FGoSubErrorList) {
        const std::vector<int> numbers = groups.EnumIndexOfName(check.GroupName);
        if (numbers.empty()) {
            FLex.ErrorAt(rxmsg::InvalidGroupName, check.GroupName, check.Pos);
        }
        if (numbers.size() > 1) {
            FLex.ErrorAt(rxmsg::MultipleDefineCall, u"", check.Pos);
        }
    }
}

// ---- grammar ----

TRECode* TREParser::ParseUnion() {
    TRECode* left = ParseBranch();
    while (FLex.Token() == tkUnion) {
        FLex.GetToken();
        TRECode* right = ParseBranch();
        left = Bin(opUnion, left, right);
    }
    return left;
}

TRECode* TREParser::ParseBranch() {
    if (IsBranchEnd(FLex.Token())) {
        return Bin(opEmply);
    }
    TRECode* left = ParseRepeat();
    while (!IsBranchEnd(FLex.Token())) {
        TRECode* right = ParseRepeat();
        left = Bin(opConcat, left, right);
    }
    return left;
}

TRECode* TREParser::ParseRepeat() {
    TRECode* atom = ParseFactor();
    if (!IsQuantifier(FLex.Token())) {
        return atom;
    }
    return ApplyQuantifier(atom);
}

TRECode* TREParser::ApplyQuantifier(TRECode* Atom) {
    const TREBinCode* bin = AsBin(Atom);
    if (bin != nullptr && (bin->Op() == opAheadMatch || bin->Op() == opAheadNoMatch)) {
        FLex.Error(rxmsg::LoopOfAhead);
    }
    if (bin == nullptr) {
        const TRECodeKind k = Atom->Kind();
        if (k == ckBoundary || k == ckTextHead || k == ckTextTail || k == ckTextEnd) {
            FLex.Error(rxmsg::LoopOfZeroLength);
        }
    }
    const TREToken quantifier = FLex.Token();
    int lo = 0;
    int hi = kInfinite;
    if (quantifier == tkQuest) {
        hi = 0;
    } else if (quantifier == tkPlus) {
        lo = 1;
    } else if (quantifier == tkBound) {
        lo = FLex.Min();
        hi = FLex.Max();
    }
    FLex.GetToken();
    TRELoopKind kind = lkGreedy;
    if (FLex.Token() == tkQuest) {
        kind = lkReluctant;
        FLex.GetToken();
    } else if (FLex.Token() == tkPlus) {
        kind = lkPossessive;
        FLex.GetToken();
    }
    const bool suffixed = kind != lkGreedy;
    const bool leaf = bin == nullptr;
    TREBinCode* node = nullptr;
    if (quantifier == tkQuest) {
        node = Bin(opQuest, Atom, nullptr, 0, 0);
    } else if (!Traditional() && (quantifier == tkPlus || quantifier == tkBound)) {
        return ExpandQuantifier(Atom, lo, hi, suffixed);
    } else if (quantifier == tkStar) {
        if (!suffixed && leaf && Atom->Kind() == ckAnyChar) {
            node = Bin(opStar, Atom, nullptr, 0, kInfinite);
            kind = lkAny;
        } else if (!suffixed && leaf && Atom->Kind() == ckCombiningSequence) {
            node = Bin(opStar, Atom, nullptr, 0, kInfinite);
            kind = lkCombiningSequence;
        } else {
            node = Bin(opLoop, Atom, nullptr, 0, kInfinite);
        }
    } else if (leaf && !suffixed) {
        node = Bin(quantifier == tkPlus ? opPlus : opBound, Atom, nullptr, lo, hi);
    } else {
        node = Bin(opLoop, Atom, nullptr, lo, hi);
    }
    node->SetMatchKind(kind);
    return node;
}

TRECode* TREParser::ExpandQuantifier(TRECode* Atom, int AMin, int AMax, bool Suffixed) {
    const bool isNode = AsBin(Atom) != nullptr;
    auto loopOf = [&]() {
        TREBinCode* loop = Bin(isNode || Suffixed ? opLoop : opStar, Atom, nullptr, 0, kInfinite);
        return loop;
    };
    if (AMin == 1 && AMax == kInfinite) {
        return Bin(opConcat, Atom, loopOf());
    }
    TRECode* result = nullptr;
    for (int i = 0; i < AMin; ++i) {
        result = result == nullptr ? Atom : Bin(opConcat, result, Atom);
    }
    if (result == nullptr) {
        result = Bin(opEmply);
    }
    if (AMax == kInfinite) {
        return Bin(opConcat, result, loopOf());
    }
    for (int i = AMin; i < AMax; ++i) {
        result = Bin(opConcat, result, Bin(opQuest, Atom, nullptr, 0, 0));
    }
    return result;
}

TRECode* TREParser::ParseFactor() {
    // Only the constructs that nest are handled here; the rest are parsed out of line.
    switch (FLex.Token()) {
    case tkLPar:
    case tkLParWithOption: {
        Enter();
        FLex.PushOptions();
        if (FLex.Token() == tkLParWithOption) {
            FLex.ApplyNewOptions();
        }
        FLex.GetToken();
        TRECode* body = ParseUnion();
        if (FLex.Token() != tkRPar) {
            FLex.Error(rxmsg::UnmatchedPar);
        }
        FLex.PopOptions();
        FLex.GetToken();
        Leave();
        return body;
    }
    case tkGroupBegin:
        return ParseCaptureGroup();
    case tkAheadMatch:
        return ParseParenthesized(opAheadMatch);
    case tkAheadNoMatch:
        return ParseParenthesized(opAheadNoMatch);
    case tkNoBackTrack:
        return ParseParenthesized(opNoBackTrack);
    case tkBehindMatch:
        return ParseLookBehind(opBehindMatch);
    case tkBehindNoMatch:
        return ParseLookBehind(opBehindNoMatch);
    case tkOption: {
        Enter();
        FLex.ApplyNewOptions();
        if (FGroupLevel == 0) {
            FRegExp.FOptions = FLex.Options();
        }
        FLex.GetToken();
        TRECode* rest = ParseUnion();
        Leave();
        return rest;
    }
    case tkKeepPattern: {
        Enter();
        FLex.GetToken();
        TRECode* rest = ParseUnion();
        Leave();
        return Bin(opKeepPattern, rest);
    }
    case tkIfMatch:
    case tkIfMatchRef:
        return ParseCondition();
    case tkBranchReset:
        return ParseBranchReset();
    default:
        return ParseSimpleAtom();
    }
}

TRECode* TREParser::ParseSimpleAtom() {
    const TREOptions options = FLex.Options();
    switch (FLex.Token()) {
    case tkChar:
        return ParseLiteral();
    case tkDot: {
        TRECode* code = Leaf(std::make_unique<TREAnyCharCode>(&FRegExp, options));
        FLex.GetToken();
        return code;
    }
    case tkLHead:
    case tkLTail: {
        TRECode* code = Leaf(std::make_unique<TRECharCode>(&FRegExp, FLex.WChar(), options, true));
        FLex.GetToken();
        return code;
    }
    case tkEmpty:
        FLex.GetToken();
        return Bin(opEmply);
    case tkCharClassFirst:
    case tkNegativeCharClassFirst:
        return ParseCharClass();
    case tkReference: {
        const int n = FLex.Min();
        TRECode* code = Leaf(std::make_unique<TREReferenceCode>(&FRegExp, n, options));
        if (n > FGroupCount) {
            FReferenceErrorList.push_back({TokenEndPos(), n, {}, nullptr});
        }
        FLex.GetToken();
        return code;
    }
    case tkReferenceRelative: {
        const int n = FLex.Min();
        if (n > FGroupCount || n == 0) {
            FLex.ErrorWithArg(rxmsg::InvalidGroupNumber, NumberText(-static_cast<long long>(n)));
        }
        TRECode* code =
            Leaf(std::make_unique<TREReferenceCode>(&FRegExp, FGroupCount - n + 1, options));
        FLex.GetToken();
        return code;
    }
    case tkNamedReference:
        return ParseNamedReference();
    case tkWordChar:
    case tkNEWordChar:
    case tkDigitChar:
    case tkNEDigitChar:
    case tkHexDigitChar:
    case tkNEHexDigitChar:
    case tkSpaceChar:
    case tkNESpaceChar:
    case tkHorizontalSpaceChar:
    case tkNEHorizontalSpaceChar:
    case tkVerticalSpaceChar:
    case tkNEVerticalSpaceChar:
    case tkLineBreak:
    case tkCombiningSequence:
    case tkProperty:
    case tkNEProperty:
    case tkTHead:
    case tkTTail:
    case tkTTailEnd:
    case tkWordBoundary:
    case tkNEWordBoundary:
    case tkGlobalPos: {
        TRECode* code = MakeLeaf();
        FLex.GetToken();
        return code;
    }
    case tkGoSub:
    case tkGoSubRelative:
    case tkGoSubName:
        return ParseGoSub();
    default:
        FLex.Error(rxmsg::NotRecognized);
    }
}

TRECode* TREParser::MakeLeaf() {
    std::unique_ptr<TRECode> made;
    TRxRegExp* re = &FRegExp;
    switch (FLex.Token()) {
    case tkWordChar:
    case tkNEWordChar:
        made = std::make_unique<TREWordCharCode>(re, FLex.Token() == tkNEWordChar);
        break;
    case tkDigitChar:
    case tkNEDigitChar:
        made = std::make_unique<TREDigitCharCode>(re, FLex.Token() == tkNEDigitChar);
        break;
    case tkHexDigitChar:
    case tkNEHexDigitChar:
        made = std::make_unique<TREHexDigitCharCode>(re, FLex.Token() == tkNEHexDigitChar);
        break;
    case tkSpaceChar:
    case tkNESpaceChar:
        made = std::make_unique<TRESpaceCharCode>(re, FLex.Token() == tkNESpaceChar);
        break;
    case tkHorizontalSpaceChar:
    case tkNEHorizontalSpaceChar:
        made = std::make_unique<TREHorizontalSpaceCharCode>(re, FLex.Token() ==
                                                                    tkNEHorizontalSpaceChar);
        break;
    case tkVerticalSpaceChar:
    case tkNEVerticalSpaceChar:
        made =
            std::make_unique<TREVerticalSpaceCharCode>(re, FLex.Token() == tkNEVerticalSpaceChar);
        break;
    case tkLineBreak:
        made = std::make_unique<TRELineBreakCharCode>(re);
        break;
    case tkCombiningSequence:
        made = std::make_unique<TRECombiningSequence>(re);
        break;
    case tkProperty:
    case tkNEProperty:
        made = std::make_unique<TREPropertyCode>(re, FLex.UnicodeProperty(),
                                                 FLex.Token() == tkNEProperty);
        break;
    case tkTHead:
        made = std::make_unique<TRETextHeadCode>(re);
        break;
    case tkTTail:
        made = std::make_unique<TRETextTailCode>(re);
        break;
    case tkTTailEnd:
        made = std::make_unique<TRETextEndCode>(re);
        break;
    case tkWordBoundary:
    case tkNEWordBoundary:
        made = std::make_unique<TREBoundaryCode>(re, FLex.Token() == tkNEWordBoundary);
        break;
    default:
        made = std::make_unique<TREGlobalPosCode>(re);
        break;
    }
    return Leaf(std::move(made));
}

TRECode* TREParser::ParseLiteral() {
    const TREOptions options = FLex.Options();
    std::u16string text;
    AppendCodePoint(text, FLex.WChar());
    int count = 1;
    FLex.GetToken();
    if (Traditional()) {
        while (FLex.Token() == tkChar && FLex.Options() == options) {
            const char32_t c = FLex.WChar();
            FLex.GetToken();
            if (IsQuantifier(FLex.Token())) {
                FLex.PushToken();
                break;
            }
            AppendCodePoint(text, c);
            ++count;
        }
    }
    if (count == 1) {
        int len = 0;
        const char32_t c = ReadCodePoint(text.data(), text.data() + text.size(), len);
        return Leaf(std::make_unique<TRECharCode>(&FRegExp, c, options, false));
    }
    return Leaf(std::make_unique<TRELiteralCode>(&FRegExp, std::move(text), options));
}

TRECode* TREParser::ParseParenthesized(TREOperator Op) {
    Enter();
    FLex.GetToken();
    TRECode* body = ParseUnion();
    if (FLex.Token() != tkRPar) {
        FLex.Error(rxmsg::UnmatchedPar);
    }
    TREBinCode* node = Bin(Op, body);
    FLex.GetToken();
    Leave();
    return node;
}

TRECode* TREParser::ParseLookBehind(TREOperator Op) {
    Enter();
    FLex.GetToken();
    TRECode* body = ParseUnion();
    if (FLex.Token() != tkRPar) {
        FLex.Error(rxmsg::UnmatchedPar);
    }
    int lo = 0;
    int hi = 0;
    CheckLookBehind(Op, body, lo, hi);
    TREBinCode* node = Bin(Op, body, nullptr, lo, hi);
    FLex.GetToken();
    Leave();
    return node;
}

void TREParser::CheckLookBehind(TREOperator Op, const TRECode* Body, int& AMin, int& AMax) {
    if (Op == opBehindNoMatch) {
        std::vector<const TRECode*> work{Body};
        while (!work.empty()) {
            const TREBinCode* bin = AsBin(work.back());
            work.pop_back();
            if (bin == nullptr) {
                continue;
            }
            if (bin->Op() == opGroup && bin->GroupIndex() > 0) {
                FLex.Error(rxmsg::BehindNotGroup);
            }
            work.push_back(bin->Left());
            work.push_back(bin->Right());
        }
    }
    if (!ComputeCharRange(Body, AMin, AMax)) {
        FLex.Error(rxmsg::BehindNotVariable);
    }
}

TREBinCode* TREParser::OpenCaptureGroup() {
    FLex.PushOptions();
    ++FGroupCount;
    ++FGroupLevel;
    FGroupStack.push_back(FCurrentGroup);
    FCurrentGroup = FGroupCount;
    const int index = FGroupCount;
    const std::u16string& name = FLex.GroupName();
    TREGroupCollection& groups = FRegExp.FGroups;
    if (index >= groups.Count()) {
        groups.Add(name);
    } else if (!name.empty()) {
        const std::vector<int> known = groups.EnumIndexOfName(name);
        if (std::find(known.begin(), known.end(), index) == known.end()) {
            groups.AddName(name, index);
        }
    }
    TREBinCode* node = Bin(opGroup);
    node->SetGroupIndex(index);
    node->SetGroupName(name);
    return node;
}

TRECode* TREParser::ParseCaptureGroup() {
    Enter();
    TREBinCode* node = OpenCaptureGroup();
    FLex.GetToken();
    TRECode* body = ParseUnion();
    if (FLex.Token() != tkRPar) {
        FLex.Error(rxmsg::UnmatchedPar);
    }
    FCurrentGroup = FGroupStack.back();
    FGroupStack.pop_back();
    --FGroupLevel;
    if (FHasRecursion) {
        CheckNeverEndingRecursion(body, node->GroupIndex());
    }
    node->SetLeft(body);
    FLex.PopOptions();
    FLex.GetToken();
    Leave();
    return node;
}

void TREParser::CheckNeverEndingRecursion(TRECode* Body, int GroupIndex) {
    // A call of the group itself that it reaches without consuming anything, at its top or as
    // an alternative of a top-level alternation, recurses for ever.
    std::vector<const TRECode*> work{Body};
    while (!work.empty()) {
        const TREBinCode* bin = AsBin(work.back());
        work.pop_back();
        if (bin == nullptr) {
            continue;
        }
        if (bin->Op() == opUnion) {
            work.push_back(bin->Left());
            work.push_back(bin->Right());
        } else if (bin->Op() == opGoSub && bin->GroupIndex() == GroupIndex) {
            FLex.Error(rxmsg::NeverEndingRecursion);
        }
    }
}

TRECode* TREParser::ParseCharClass() {
    const TREOptions options = FLex.Options();
    auto owned = std::make_unique<TRECharClassCode>(&FRegExp, options,
                                                    FLex.Token() == tkNegativeCharClassFirst);
    TRECharClassCode* cls = owned.get();
    TRECode* code = Leaf(std::move(owned));
    TRxRegExp* re = &FRegExp;
    FLex.GetToken();
    bool first = true;
    for (;;) {
        const TREToken t = FLex.Token();
        if (t == tkCharClassEnd && !first) {
            break;
        }
        switch (t) {
        case tkChar:
            cls->AddChar(FLex.WChar());
            break;
        case tkRangeChar: {
            TREOptions rangeOptions = options;
            const char32_t a = FLex.StartWChar();
            const char32_t b = FLex.LastWChar();
            const bool sameCase =
                (GetGeneralCategory(a) == upLu && GetGeneralCategory(b) == upLu) ||
                (GetGeneralCategory(a) == upLl && GetGeneralCategory(b) == upLl);
            if (!sameCase) {
                // Case folding would pull in characters outside the range; this range alone
                // goes without it.
                rangeOptions &= static_cast<TREOptions>(~OptionBit(roIgnoreCase));
            }
            cls->AddCode(std::make_unique<TRERangeCharCode>(re, a, b, rangeOptions));
            break;
        }
        case tkWordChar:
        case tkNEWordChar:
            cls->AddCode(std::make_unique<TREWordCharCode>(re, t == tkNEWordChar));
            break;
        case tkDigitChar:
        case tkNEDigitChar:
            cls->AddCode(std::make_unique<TREDigitCharCode>(re, t == tkNEDigitChar));
            break;
        case tkSpaceChar:
        case tkNESpaceChar:
            cls->AddCode(std::make_unique<TRESpaceCharCode>(re, t == tkNESpaceChar));
            break;
        case tkHorizontalSpaceChar:
        case tkNEHorizontalSpaceChar:
            cls->AddCode(
                std::make_unique<TREHorizontalSpaceCharCode>(re, t == tkNEHorizontalSpaceChar));
            break;
        case tkVerticalSpaceChar:
        case tkNEVerticalSpaceChar:
            cls->AddCode(
                std::make_unique<TREVerticalSpaceCharCode>(re, t == tkNEVerticalSpaceChar));
            break;
        case tkPosixBracket:
        case tkNEPosixBracket:
        case tkProperty:
        case tkNEProperty:
            cls->AddCode(std::make_unique<TREPropertyCode>(
                re, FLex.UnicodeProperty(), t == tkNEPosixBracket || t == tkNEProperty));
            break;
        default:
            FLex.Error(first ? rxmsg::InvalidCharClass : rxmsg::UnmatchedBracket);
        }
        first = false;
        FLex.GetToken();
    }
    cls->Finish();
    FLex.GetToken();
    return code;
}

TRECode* TREParser::ParseNamedReference() {
    const std::u16string name = FLex.GroupName();
    std::vector<int> numbers = FRegExp.FGroups.EnumIndexOfName(name);
    const bool known = !numbers.empty();
    // A group still open has no capture to compare with yet.
    numbers.erase(std::remove_if(numbers.begin(), numbers.end(),
                                 [&](int n) { return n != 0 && IsOpenGroup(n); }),
                  numbers.end());
    auto owned = std::make_unique<TRENamedReferenceCode>(&FRegExp, name, numbers, FLex.Options());
    TRENamedReferenceCode* ref = owned.get();
    TRECode* code = Leaf(std::move(owned));
    if (!known) {
        FReferenceErrorList.push_back({TokenEndPos(), 0, name, ref});
    }
    FLex.GetToken();
    return code;
}

TRECode* TREParser::ParseGoSub() {
    TREBinCode* node = Bin(opGoSub);
    int index = -1;
    if (FLex.Token() == tkGoSubName) {
        const std::u16string name = FLex.GroupName();
        node->SetGroupName(name);
        index = FRegExp.FGroups.IndexOfName(name);
        if (index < 0) {
            FGoSubErrorList.push_back({TokenEndPos(), -1, name, nullptr});
        }
    } else {
        const int n = FLex.Min();
        if (FLex.Token() == tkGoSub) {
            index = n;
        } else if (n > 0) {
            // Numbers are read saturating; so is the sum, which then names no group.
            index = n > kInfinite - FGroupCount ? kInfinite : FGroupCount + n;
        } else {
            index = FGroupCount + n + 1;
            if (n == 0 || index <= 0) {
                FLex.ErrorWithArg(rxmsg::InvalidGroupNumber, NumberText(n));
            }
        }
        if (index > FGroupCount) {
            FReferenceErrorList.push_back({TokenEndPos(), index, {}, nullptr});
        }
    }
    node->SetGroupIndex(index);
    if (index >= 0 && IsOpenGroup(index)) {
        node->SetHasRecursion(true);
        FHasRecursion = true;
    }
    FLex.GetToken();
    return node;
}

TRECode* TREParser::ParseReferenceCondition() {
    const std::u16string& name = FLex.GroupName();
    TRECode* condition = nullptr;
    if (name.empty()) {
        const int n = FLex.Min();
        condition = Leaf(std::make_unique<TREIfThenReferenceCode>(&FRegExp, n));
        if (n > FGroupCount) {
            FReferenceErrorList.push_back({TokenEndPos(), n, {}, nullptr});
        }
    } else {
        condition = Leaf(std::make_unique<TREIfThenNamedReferenceCode>(&FRegExp, name));
        if (FRegExp.FGroups.IndexOfName(name) < 0) {
            FReferenceErrorList.push_back({TokenEndPos(), 0, name, nullptr});
        }
    }
    FLex.GetToken();
    return condition;
}

TRECode* TREParser::ParseCondition() {
    Enter();
    FLex.PushOptions();
    const bool byReference = FLex.Token() == tkIfMatchRef;
    TRECode* condition = nullptr;
    if (byReference) {
        condition = ParseReferenceCondition();
    } else {
        FLex.GetToken();
        condition = ParseFactor();
        const TREBinCode* bin = AsBin(condition);
        if (bin == nullptr || (bin->Op() != opAheadMatch && bin->Op() != opAheadNoMatch &&
                               bin->Op() != opBehindMatch && bin->Op() != opBehindNoMatch)) {
            FLex.Error(rxmsg::InvalidCondition);
        }
    }
    TRECode* yes = ParseBranch();
    TRECode* no = nullptr;
    if (FLex.Token() == tkUnion) {
        FLex.GetToken();
        no = ParseBranch();
    }
    if (FLex.Token() != tkRPar) {
        FLex.Error(byReference ? rxmsg::UnmatchedPar : rxmsg::TooManyBranches);
    }
    TREBinCode* node = Bin(opIfMatch, condition, Bin(opIfThen, yes, no));
    FLex.PopOptions();
    FLex.GetToken();
    Leave();
    return node;
}

TRECode* TREParser::ParseBranchReset() {
    Enter();
    FLex.PushOptions();
    const int start = FGroupCount;
    int reached = start;
    FLex.GetToken();
    TRECode* result = nullptr;
    for (;;) {
        FGroupCount = start;
        TRECode* alternative = ParseBranch();
        reached = std::max(reached, FGroupCount);
        result = result == nullptr ? alternative : Bin(opUnion, result, alternative);
        if (FLex.Token() != tkUnion) {
            break;
        }
        FLex.GetToken();
    }
    // Later groups are numbered after the alternative that opened the most.
    FGroupCount = reached;
    if (FLex.Token() != tkRPar) {
        FLex.Error(rxmsg::UnmatchedPar);
    }
    FLex.PopOptions();
    FLex.GetToken();
    Leave();
    return result;
}
