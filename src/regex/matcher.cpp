// The backtracking matcher.
#include "regex/matcher.h"

#include "regex/code.h"
#include "regex/errors.h"
#include "regex/regexp.h"
#include "regex/text_services.h"

#include <algorithm>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

enum TBarrierKind : std::int32_t {
    bkAhead,
    bkAheadNot,
    bkBehind,
    bkBehindNot,
    bkAtomic,
    bkCondition,
    bkPossessive
};

TBarrierKind BarrierOf(TRENFAKind k) {
    switch (k) {
    case nkAheadMatch:
        return bkAhead;
    case nkAheadNoMatch:
        return bkAheadNot;
    case nkBehindMatch:
        return bkBehind;
    case nkBehindNoMatch:
        return bkBehindNot;
    case nkIfMatch:
        return bkCondition;
    default:
        return bkAtomic;
    }
}

// How a single code's repetitions can be given back one at a time: by whole code points, by a
// fixed number of units, or only with the end of every repetition recorded.
constexpr int kStepCodePoint = 0;
constexpr int kStepRecorded = -1;

int StepOf(const TRECode* code) {
    const TRECompareOptions folding = CompareBit(coIgnoreWidth) | CompareBit(coIgnoreKana);
    switch (code->Kind()) {
    case ckAnyChar:
    case ckWordChar:
    case ckDigitChar:
    case ckHexDigitChar:
    case ckSpaceChar:
    case ckHorizontalSpaceChar:
    case ckVerticalSpaceChar:
    case ckProperty:
        return kStepCodePoint;
    case ckChar:
        return (static_cast<const TRECharCode*>(code)->CompareOptions() & folding) != 0
                   ? kStepRecorded
                   : code->GetLength();
    case ckLiteral:
        return (static_cast<const TRELiteralCode*>(code)->CompareOptions() & folding) != 0
                   ? kStepRecorded
                   : code->GetLength();
    case ckRangeChar:
        return (static_cast<const TRERangeCharCode*>(code)->CompareOptions() &
                CompareBit(coIgnoreWidth)) != 0
                   ? kStepRecorded
                   : kStepCodePoint;
    case ckCharClass:
        return HasOption(static_cast<const TRECharClassCode*>(code)->Options(), roIgnoreWidth)
                   ? kStepRecorded
                   : kStepCodePoint;
    default:
        return kStepRecorded;
    }
}

// Codes that consume at least one character and test nothing but the text they consume.
bool IsCharacterTest(const TRECode* code) {
    switch (code->Kind()) {
    case ckChar:
    case ckLiteral:
    case ckRangeChar:
    case ckAnyChar:
    case ckWordChar:
    case ckDigitChar:
    case ckHexDigitChar:
    case ckSpaceChar:
    case ckHorizontalSpaceChar:
    case ckVerticalSpaceChar:
    case ckLineBreakChar:
    case ckCharClass:
    case ckProperty:
        return code->GetCharLength() != 0;
    default:
        return false;
    }
}

// A code's test at p, answered from the cache when it knows the unit there.
inline bool TestCached(const TRECode* code, TREUnitCache* cache, const char16_t* p,
                       const char16_t* end, int& len) {
    if (cache == nullptr || p >= end) {
        return code->IsEqual(p, len);
    }
    switch (cache->Lookup(*p)) {
    case TREUnitCache::uaYes:
        len = 1;
        return true;
    case TREUnitCache::uaNo:
        return false;
    case TREUnitCache::uaUnknown:
        break;
    }
    const bool yes = code->IsEqual(p, len);
    if (!yes || len == 1) {
        cache->Store(*p, yes);
    }
    return yes;
}

// The first line-break unit in [p, end), or end.
const char16_t* NextLineBreak(const char16_t* p, const char16_t* end) {
#if defined(__SSE2__)
    // Eight units a step: those up to CR, NEL, LS and PS are worth the full test.
    const __m128i cr = _mm_set1_epi16(0x0D);
    const __m128i nel = _mm_set1_epi16(0x85);
    const __m128i ls = _mm_set1_epi16(0x2028);
    const __m128i ps = _mm_set1_epi16(0x2029);
    const __m128i zero = _mm_setzero_si128();
    for (; end - p >= 8; p += 8) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        const __m128i low = _mm_cmpeq_epi16(_mm_subs_epu16(v, cr), zero);
        const __m128i high = _mm_or_si128(
            _mm_cmpeq_epi16(v, nel), _mm_or_si128(_mm_cmpeq_epi16(v, ls), _mm_cmpeq_epi16(v, ps)));
        auto m = static_cast<unsigned>(_mm_movemask_epi8(_mm_or_si128(low, high)));
        while (m != 0) {
            const int i = __builtin_ctz(m) >> 1;
            if (IsLineBreakChar(p[i])) {
                return p + i;
            }
            m &= ~(3u << (2 * i));
        }
    }
#endif
    for (; p < end; ++p) {
        if (IsLineBreakChar(*p)) {
            return p;
        }
    }
    return end;
}

const char16_t* PrevCodePoint(const char16_t* p, const char16_t* top) {
    --p;
    if (p > top && *p >= 0xDC00 && *p <= 0xDFFF && p[-1] >= 0xD800 && p[-1] <= 0xDBFF) {
        --p;
    }
    return p;
}

} // namespace

void TREMatchEngine::Optimize() {
    FlattenSingleCodeLoops();
    // Memoizing explored (transition, position) pairs is sound only when what follows a
    // transition depends on the position alone.
    FMemoAllowed = true;
    for (const auto& t : FRegExp.FTransitions) {
        switch (t->FKind) {
        case nkGoSub:
        case nkIfMatch:
            FMemoAllowed = false;
            break;
        case nkLoop:
            if (t->FMin > 1 || t->FMax != kInfinite) {
                FMemoAllowed = false;
            }
            break;
        case nkNormal:
        case nkChar:
            if (t->FCode->Kind() == ckReference || t->FCode->Kind() == ckNamedReference ||
                t->FCode->Kind() == ckGlobalPos) {
                FMemoAllowed = false;
            }
            break;
        default:
            break;
        }
    }
    ConvertPossessive();
    CollectLeadCodes();
    CollectTailLiteral();
    ChooseSearchMode();
    MakeUnitCaches();
    FindSingleCharBehinds();
    FindFollowUnits();
    FindLineFollow();
    ResetMemo();
}

void TREMatchEngine::FindSingleCharBehinds() {
    // A look-behind of exactly one character whose body is one character test.
    FBehindChar.assign(FRegExp.FTransitions.size(), nullptr);
    for (const auto& t : FRegExp.FTransitions) {
        if ((t->FKind != nkBehindMatch && t->FKind != nkBehindNoMatch) || t->FMin != 1 ||
            t->FMax != 1 || t->FTransitTo < 0) {
            continue;
        }
        const TRENFAState* body = FRegExp.FStateList[static_cast<std::size_t>(t->FTransitTo)];
        if (body != nullptr && body->FNext == nullptr &&
            (body->FKind == nkNormal || body->FKind == nkChar) &&
            body->FTransitTo == t->FExtendTo && IsCharacterTest(body->FCode) &&
            body->FCode->GetCharLength() == 1) {
            FBehindChar[t->FIndex] = body->FCode;
        }
    }
}

void TREMatchEngine::FindFollowUnits() {
    // The first unit of an exact literal that alone follows a single-code repetition.
    FFollowUnit.assign(FRegExp.FTransitions.size(), -1);
    for (const auto& t : FRegExp.FTransitions) {
        if (t->FKind != nkStar && t->FKind != nkPlus && t->FKind != nkBound) {
            continue;
        }
        const TRENFAState* next = Head(t->FTransitTo);
        if (next == nullptr || next->FNext != nullptr || next->FKind != nkChar) {
            continue;
        }
        const TRECode* c = next->FCode;
        if (c->Kind() == ckChar && static_cast<const TRECharCode*>(c)->CompareOptions() == 0) {
            FFollowUnit[t->FIndex] = static_cast<const TRECharCode*>(c)->Strings()[0];
        } else if (c->Kind() == ckLiteral &&
                   static_cast<const TRELiteralCode*>(c)->CompareOptions() == 0) {
            FFollowUnit[t->FIndex] = static_cast<const TRELiteralCode*>(c)->Strings()[0];
        }
    }
}

void TREMatchEngine::FindLineFollow() {
    // A character test that must match right after the ^ a line-top search starts with.
    FLineFollow = nullptr;
    if (FLeadCharMode != lcmLineTop) {
        return;
    }
    const TRENFAState* head = Head(FRegExp.FEntryState);
    if (head == nullptr || head->FNext != nullptr || head->FKind != nkNormal ||
        head->FCode->Kind() != ckLineHead) {
        return;
    }
    const TRENFAState* next = Head(head->FTransitTo);
    if (next != nullptr && next->FNext == nullptr &&
        (next->FKind == nkNormal || next->FKind == nkChar ||
         ((next->FKind == nkPlus || next->FKind == nkBound) && next->FMin >= 1)) &&
        IsCharacterTest(next->FCode)) {
        FLineFollow = next->FCode;
    }
}

void TREMatchEngine::MakeUnitCaches() {
    FRepeatCache.clear();
    FRepeatCache.resize(FRegExp.FTransitions.size());
    for (const auto& t : FRegExp.FTransitions) {
        if ((t->FKind == nkStar || t->FKind == nkPlus || t->FKind == nkBound) &&
            StepOf(t->FCode) == kStepCodePoint && TREUnitCache::IsContextFree(t->FCode)) {
            FRepeatCache[t->FIndex] = std::make_unique<TREUnitCache>();
        }
    }
    FLeadCache.reset();
    bool leadsContextFree = FLeadCharMode == lcmHasLead;
    for (const TRELeadCode& lead : FLeadCode) {
        leadsContextFree =
            leadsContextFree && lead.FOffset == 0 && TREUnitCache::IsContextFree(lead.FCode);
    }
    if (leadsContextFree || (FLeadCharMode == lcmMap && FPreMatchLength == 0)) {
        FLeadCache = std::make_unique<TREUnitCache>();
    }
}

void TREMatchEngine::FlattenSingleCodeLoops() {
    // A greedy or possessive loop whose body is one character test, as the parser makes of x*
    // and of x*+ or x{2,}+, runs as a single-code repetition: no loop frame, no undo record per
    // iteration, and the possessive conversion below applies to it.
    for (const auto& owned : FRegExp.FTransitions) {
        TRENFAState* t = owned.get();
        if (t->FKind != nkLoop || t->FMatchKind == lkReluctant || t->FTransitTo < 0 ||
            t->FExtendTo < 0) {
            continue;
        }
        const TRENFAState* body = nullptr;
        bool single = true;
        for (const TRENFAState* n = FRegExp.FStateList[static_cast<std::size_t>(t->FTransitTo)];
             n != nullptr && single; n = n->FNext) {
            if (n->FKind == nkLoopExit && n->FTransitTo == t->FExitTo) {
                continue;
            }
            single = body == nullptr && (n->FKind == nkNormal || n->FKind == nkChar) &&
                     n->FTransitTo == t->FExtendTo;
            body = n;
        }
        const TRENFAState* tail = FRegExp.FStateList[static_cast<std::size_t>(t->FExtendTo)];
        if (!single || body == nullptr || tail == nullptr || tail->FNext != nullptr ||
            tail->FKind != nkLoopEnd || tail->FTransitTo != t->FTransitTo ||
            !IsCharacterTest(body->FCode)) {
            continue;
        }
        t->FKind = t->FMax != kInfinite ? nkBound
                   : t->FMin == 0       ? nkStar
                   : t->FMin == 1       ? nkPlus
                                        : nkBound;
        t->FCode = body->FCode;
        t->FTransitTo = t->FExitTo;
        t->FExtendTo = t->FExitTo;
    }
}

void TREMatchEngine::ConvertPossessive() {
    // A repetition of a single code that nothing after it can match gives nothing back. A
    // called group continues elsewhere than its own end, so patterns with calls keep theirs.
    for (const auto& t : FRegExp.FTransitions) {
        if (t->FKind == nkGoSub) {
            return;
        }
    }
    for (const auto& owned : FRegExp.FTransitions) {
        TRENFAState* t = owned.get();
        if ((t->FKind != nkStar && t->FKind != nkPlus && t->FKind != nkBound) ||
            t->FMatchKind != lkGreedy) {
            continue;
        }
        bool possessive = true;
        std::vector<int> states{t->FTransitTo};
        std::vector<bool> seen(FRegExp.FStateList.size(), false);
        while (possessive && !states.empty()) {
            const int state = states.back();
            states.pop_back();
            if (state < 0 || seen[static_cast<std::size_t>(state)]) {
                continue;
            }
            seen[static_cast<std::size_t>(state)] = true;
            for (const TRENFAState* n = FRegExp.FStateList[static_cast<std::size_t>(state)];
                 n != nullptr && possessive; n = n->FNext) {
                if (n->FKind == nkGroupBegin || n->FKind == nkGroupEnd) {
                    states.push_back(n->FTransitTo);
                } else if (n->FKind == nkEnd) {
                    continue;
                } else if ((n->FKind == nkNormal) &&
                           (n->FCode->Kind() == ckTextEnd ||
                            (n->FCode->Kind() == ckLineTail &&
                             !HasOption(static_cast<const TRELineTailCode*>(n->FCode)->Options(),
                                        roMultiLine)))) {
                    continue; // only the match end satisfies it, which giving back never reaches
                } else if ((n->FKind == nkNormal || n->FKind == nkChar) &&
                           n->FCode->IsConsuming() && !t->FCode->IsOverlap(n->FCode) &&
                           !n->FCode->IsOverlap(t->FCode)) {
                    continue;
                } else {
                    possessive = false;
                }
            }
        }
        if (possessive) {
            t->FMatchKind = lkPossessive;
        }
    }
}

void TREMatchEngine::CollectLeadCodes() {
    FLeadCode.clear();
    FIsNotSimplePattern = false;
    constexpr std::size_t kMaxLeads = 32;
    constexpr int kMaxOffset = 16;
    std::vector<std::pair<int, int>> work{{FRegExp.FEntryState, 0}};
    std::vector<std::pair<int, int>> seen;
    bool ok = true;
    while (ok && !work.empty()) {
        const auto [state, offset] = work.back();
        work.pop_back();
        if (std::find(seen.begin(), seen.end(), std::make_pair(state, offset)) != seen.end()) {
            continue;
        }
        seen.emplace_back(state, offset);
        if (seen.size() > 256 || offset > kMaxOffset || state < 0) {
            ok = false;
            break;
        }
        for (const TRENFAState* t = FRegExp.FStateList[static_cast<std::size_t>(state)];
             t != nullptr && ok; t = t->FNext) {
            switch (t->FKind) {
            case nkGroupBegin:
            case nkEmpty:
                work.emplace_back(t->FTransitTo, offset);
                break;
            case nkLoopExit:
                break;
            case nkBehindMatch:
            case nkBehindNoMatch:
                // A look-behind consumes nothing: what follows it leads the match.
                if (const TRENFAState* end = Head(t->FExtendTo)) {
                    work.emplace_back(end->FTransitTo, offset);
                } else {
                    ok = false;
                }
                break;
            case nkNormal:
            case nkChar:
                if (t->FCode->Kind() == ckAnyChar) {
                    work.emplace_back(t->FTransitTo, offset + 1);
                } else if (t->FCode->Kind() == ckCombiningSequence) {
                    ok = false;
                } else {
                    FLeadCode.push_back({t->FCode, offset});
                }
                break;
            case nkStar:
                FLeadCode.push_back({t->FCode, offset});
                work.emplace_back(t->FTransitTo, offset);
                break;
            case nkPlus:
                FLeadCode.push_back({t->FCode, offset});
                FIsNotSimplePattern = true;
                break;
            case nkBound:
                FLeadCode.push_back({t->FCode, offset});
                FIsNotSimplePattern = true;
                if (t->FMin == 0) {
                    work.emplace_back(t->FTransitTo, offset);
                }
                break;
            case nkLoop:
                if (t->FMin == 0) {
                    work.emplace_back(t->FExitTo, offset);
                    FIsNotSimplePattern = true;
                }
                work.emplace_back(t->FTransitTo, offset);
                break;
            default:
                ok = false;
                break;
            }
            if (FLeadCode.size() > kMaxLeads) {
                ok = false;
            }
        }
    }
    if (!ok) {
        FLeadCode.clear();
        return;
    }
    // A lead code that includes another at the same offset makes the other redundant.
    std::vector<TRELeadCode> kept;
    for (std::size_t i = 0; i < FLeadCode.size(); ++i) {
        bool redundant = false;
        for (std::size_t j = 0; j < FLeadCode.size() && !redundant; ++j) {
            if (i == j || FLeadCode[i].FOffset != FLeadCode[j].FOffset) {
                continue;
            }
            const TRECode* a = FLeadCode[i].FCode;
            const TRECode* b = FLeadCode[j].FCode;
            // Of two codes that include each other the earlier one stays.
            const bool bIncludesA = a == b || b->IsInclude(a);
            const bool aIncludesB = a == b || a->IsInclude(b);
            redundant = bIncludesA && (!aIncludesB || j < i);
        }
        if (!redundant) {
            kept.push_back(FLeadCode[i]);
        }
    }
    FLeadCode = std::move(kept);
}

void TREMatchEngine::CollectTailLiteral() {
    // The transitions into the exit state, looking through group ends. When exactly one
    // literal step leads there, every match ends with that literal.
    FTailCode = nullptr;
    std::vector<int> targets{FRegExp.FExitState};
    std::vector<const TRENFAState*> into;
    for (std::size_t k = 0; k < targets.size() && targets.size() < 64; ++k) {
        for (std::size_t state = 0; state < FRegExp.FStateList.size(); ++state) {
            for (const TRENFAState* t = FRegExp.FStateList[state]; t != nullptr; t = t->FNext) {
                if (t->FTransitTo != targets[k]) {
                    continue;
                }
                if (t->FKind == nkGroupEnd) {
                    targets.push_back(static_cast<int>(state));
                } else {
                    into.push_back(t);
                }
            }
        }
    }
    if (targets.size() >= 64 || into.size() != 1 || into[0]->FKind != nkChar) {
        return;
    }
    FTailCode = into[0]->FCode;
}

void TREMatchEngine::ChooseSearchMode() {
    FLeadStrings.Clear();
    FTailStrings.Clear();
    FMap.Clear();
    FLeadCharMode = lcmNone;
    FPreMatchLength = 0;
    auto literalOf = [](const TRECode* c, std::u16string& text, TRECompareOptions& options) {
        if (c->Kind() == ckChar) {
            text = static_cast<const TRECharCode*>(c)->Strings();
            options = static_cast<const TRECharCode*>(c)->CompareOptions();
            return true;
        }
        if (c->Kind() == ckLiteral) {
            text = static_cast<const TRELiteralCode*>(c)->Strings();
            options = static_cast<const TRELiteralCode*>(c)->CompareOptions();
            return true;
        }
        return false;
    };
    std::u16string text;
    TRECompareOptions options = 0;
    if (FLeadCode.size() == 1) {
        const TRELeadCode& lead = FLeadCode[0];
        FPreMatchLength = lead.FOffset;
        if (literalOf(lead.FCode, text, options)) {
            FLeadStrings.SetFindText(text);
            FLeadStrings.SetOptions(options);
            const TRENFAState* first =
                FRegExp.FStateList[static_cast<std::size_t>(FRegExp.FEntryState)];
            const TRENFAState* after =
                first == nullptr || first->FNext != nullptr || first->FTransitTo < 0
                    ? nullptr
                    : FRegExp.FStateList[static_cast<std::size_t>(first->FTransitTo)];
            FLeadCharMode = after != nullptr && after->FKind == nkEnd && first->FKind == nkChar &&
                                    !FIsNotSimplePattern
                                ? lcmSimple
                                : lcmFirstLiteral;
        } else if (lead.FCode->Kind() == ckLineHead) {
            FLeadCharMode =
                HasOption(static_cast<const TRELineHeadCode*>(lead.FCode)->Options(), roMultiLine)
                    ? lcmLineTop
                    : lcmTextTop;
        } else if (lead.FCode->Kind() == ckTextHead) {
            FLeadCharMode = lcmTextTop;
        } else {
            FLeadCharMode = lcmHasLead;
        }
        return;
    }
    if (FLeadCode.empty()) {
        if (FTailCode != nullptr && literalOf(FTailCode, text, options)) {
            FTailStrings.SetFindText(text);
            FTailStrings.SetOptions(options);
            FLeadCharMode = lcmLastLiteral;
        }
        return;
    }
    bool allLiterals = true;
    for (const TRELeadCode& lead : FLeadCode) {
        allLiterals = allLiterals && lead.FOffset == FLeadCode[0].FOffset &&
                      literalOf(lead.FCode, text, options) && options == 0;
    }
    if (allLiterals) {
        // Folded literals stay with the exact lead-code test: a character map cannot hold
        // every form that folds to theirs.
        for (const TRELeadCode& lead : FLeadCode) {
            literalOf(lead.FCode, text, options);
            int len = 0;
            FMap.Add(ReadCodePoint(text.data(), text.data() + text.size(), len));
        }
        FPreMatchLength = FLeadCode[0].FOffset;
        FLeadCharMode = lcmMap;
    } else {
        FLeadCharMode = lcmHasLead;
    }
}

void TREMatchEngine::ResetMemo() {
    FMemo.clear();
    FMemoActive = false;
    FSteps = 0;
    FMemoStride = static_cast<std::uint64_t>(FRegExp.FTextEndP - FRegExp.FTextTopP) + 1;
    FMemoThreshold = 4 * FMemoStride + 20000;
}

void TREMatchEngine::CountWork(std::uint64_t Units) {
    if (FMemoActive || !FMemoAllowed) {
        return;
    }
    FSteps += Units;
    if (FSteps < FMemoThreshold) {
        return;
    }
    // Heavy backtracking: from now on every (transition, position) is explored once.
    const std::uint64_t bits = FMemoStride * FRegExp.FTransitions.size();
    constexpr std::uint64_t kMaxBits = std::uint64_t{1} << 31; // 256 MB
    if (bits <= kMaxBits) {
        FMemo.assign((bits + 63) / 64, 0);
        FLastRun.assign(FRegExp.FTransitions.size(), {nullptr, nullptr});
        FMemoActive = true;
    }
}

bool TREMatchEngine::MemoSeen(const TRENFAState* T, const char16_t* Pos) {
    if (!FMemoActive || FBarrier >= 0 || !FCalls.empty()) {
        return false;
    }
    const std::uint64_t bit =
        T->FIndex * FMemoStride + static_cast<std::uint64_t>(Pos - FRegExp.FTextTopP);
    std::uint64_t& word = FMemo[bit >> 6];
    const std::uint64_t mask = std::uint64_t{1} << (bit & 63);
    if ((word & mask) != 0) {
        return true;
    }
    word |= mask;
    return false;
}

const TRENFAState* TREMatchEngine::Head(int State) const {
    if (State < 0) {
        return nullptr;
    }
    const TRENFAState* t = FRegExp.FStateList[static_cast<std::size_t>(State)];
    while (t != nullptr && t->FKind == nkLoopExit) {
        t = t->FNext;
    }
    return t;
}

const TRENFAState* TREMatchEngine::Viable(const TRENFAState* T, const char16_t* Pos) const {
    // Character steps that fail here are not worth a stack entry.
    while (T != nullptr) {
        if (T->FKind == nkLoopExit) {
            T = T->FNext;
            continue;
        }
        if (T->FKind != nkNormal && T->FKind != nkChar) {
            return T;
        }
        int len = 0;
        if (T->FCode->IsEqual(Pos, len)) {
            return T;
        }
        T = T->FNext;
    }
    return nullptr;
}

void TREMatchEngine::Push(TEntryKind Kind, const TRENFAState* T, const char16_t* Pos, int Count,
                          int ArenaStart) {
    FStack.push_back(
        {Kind, T, Pos, static_cast<std::uint32_t>(FUndo.size()), FBarrier, Count, ArenaStart});
}

TRECapture& TREMatchEngine::Capture(int Group) {
    return FRegExp.FGroups[Group].Current();
}

void TREMatchEngine::SetCapture(int Group, const char16_t* Start, const char16_t* End,
                                bool Matched) {
    TRECapture& c = Capture(Group);
    TUndo u{};
    u.Kind = ukCapture;
    u.Index = Group;
    u.Capture = {c.StartP(), c.EndP(), c.Matched()};
    FUndo.push_back(u);
    c.Set(Start, End, Matched);
}

void TREMatchEngine::PushLoop(const TLoopFrame& Frame) {
    TUndo u{};
    u.Kind = ukLoopPush;
    FUndo.push_back(u);
    FLoops.push_back(Frame);
}

void TREMatchEngine::PopLoop() {
    TUndo u{};
    u.Kind = ukLoopPop;
    u.Loop = FLoops.back();
    FUndo.push_back(u);
    FLoops.pop_back();
}

void TREMatchEngine::SetLoop(const TLoopFrame& Frame) {
    TUndo u{};
    u.Kind = ukLoopSet;
    u.Loop = FLoops.back();
    FUndo.push_back(u);
    FLoops.back() = Frame;
}

void TREMatchEngine::Undo(std::uint32_t Mark) {
    while (FUndo.size() > Mark) {
        const TUndo& u = FUndo.back();
        switch (u.Kind) {
        case ukCapture:
            Capture(u.Index).Set(u.Capture.Start, u.Capture.End, u.Capture.Matched);
            break;
        case ukLoopPush:
            FLoops.pop_back();
            break;
        case ukLoopPop:
            FLoops.push_back(u.Loop);
            break;
        case ukLoopSet:
            FLoops.back() = u.Loop;
            break;
        case ukCallPush:
            FSavedCaptures.resize(FCalls.back().SavedCaptures);
            FCalls.pop_back();
            break;
        case ukCallPop:
            FCalls.push_back(u.Call);
            break;
        }
        FUndo.pop_back();
    }
}

void TREMatchEngine::Cut(int BarrierIndex) {
    const TEntry& b = FStack[static_cast<std::size_t>(BarrierIndex)];
    FBarrier = b.Barrier;
    FArena.resize(static_cast<std::size_t>(b.ArenaStart));
    FStack.resize(static_cast<std::size_t>(BarrierIndex));
}

const TRENFAState* TREMatchEngine::ExitOf(const TRENFAState* Construct) const {
    // The nkMatchEnd at the end of a construct's body leads to the state after it.
    const TRENFAState* end = Head(Construct->FExtendTo);
    return end == nullptr ? nullptr : Head(end->FTransitTo);
}

const TRENFAState* TREMatchEngine::LoopDecide(const char16_t* Pos) {
    TLoopFrame frame = FLoops.back();
    const TRENFAState* loop = frame.Loop;
    if (frame.Count < loop->FMin) {
        frame.IterStart = Pos;
        SetLoop(frame);
        return Head(loop->FTransitTo);
    }
    if (loop->FMax != kInfinite && frame.Count >= loop->FMax) {
        return LoopExit();
    }
    if (loop->FMatchKind == lkReluctant) {
        Push(ekLoopIter, loop, Pos);
        return LoopExit();
    }
    Push(ekLoopExit, loop, Pos);
    frame.IterStart = Pos;
    SetLoop(frame);
    return Head(loop->FTransitTo);
}

const TRENFAState* TREMatchEngine::LoopExit() {
    const TLoopFrame frame = FLoops.back();
    PopLoop();
    if (frame.BarrierIndex >= 0) {
        Cut(frame.BarrierIndex);
    }
    return Head(frame.Loop->FExitTo);
}

const TRENFAState* TREMatchEngine::Call(const TRENFAState* T) {
    if (static_cast<int>(FCalls.size()) >= kMaxCallDepth) {
        throw ERxRegExpRuntime(u"Recursive call nested too deep");
    }
    const int group = T->FGroupIndex;
    const auto saved = static_cast<std::uint32_t>(FSavedCaptures.size());
    for (int i = 0; i < FRegExp.FGroups.Count(); ++i) {
        const TRECapture& c = Capture(i);
        FSavedCaptures.push_back({c.StartP(), c.EndP(), c.Matched()});
    }
    TUndo u{};
    u.Kind = ukCallPush;
    FUndo.push_back(u);
    FCalls.push_back({T, group, saved});
    if (group == 0) {
        return Head(FRegExp.FEntryState);
    }
    const TREGroup& g = FRegExp.FGroups[group];
    for (const TRENFAState* t =
             g.Entry() < 0 ? nullptr : FRegExp.FStateList[static_cast<std::size_t>(g.Entry())];
         t != nullptr; t = t->FNext) {
        if (t->FKind == nkGroupBegin && t->FGroupIndex == group) {
            return t;
        }
    }
    return nullptr;
}

const TRENFAState* TREMatchEngine::Return() {
    const TCallFrame frame = FCalls.back();
    // Captures go back to what they were before the call.
    for (int i = 0; i < FRegExp.FGroups.Count(); ++i) {
        const TCaptureValue& v =
            FSavedCaptures[frame.SavedCaptures + static_cast<std::uint32_t>(i)];
        const TRECapture& c = Capture(i);
        if (c.StartP() != v.Start || c.EndP() != v.End || c.Matched() != v.Matched) {
            SetCapture(i, v.Start, v.End, v.Matched);
        }
    }
    TUndo u{};
    u.Kind = ukCallPop;
    u.Call = frame;
    FUndo.push_back(u);
    FCalls.pop_back();
    return Head(frame.Call->FTransitTo);
}

bool TREMatchEngine::Backtrack(const TRENFAState*& T, const char16_t*& Pos) {
    while (!FStack.empty()) {
        const TEntry e = FStack.back();
        FStack.pop_back();
        CountWork(1);
        if (++FBacktracks > kMaxBacktracks) {
            throw ERxRegExpRuntime(u"Backtracking limit over");
        }
        Undo(e.UndoMark);
        FBarrier = e.Barrier;
        switch (e.Kind) {
        case ekAlt:
            T = e.T;
            Pos = e.Pos;
            return true;
        case ekStarBack: {
            int left = e.Count - 1;
            const int step = e.ArenaStart >= 0 ? kStepRecorded : StepOf(e.T->FCode);
            const char16_t* p = nullptr;
            if (step == kStepRecorded) {
                p = FArena[static_cast<std::size_t>(e.ArenaStart + left)];
            } else if (step == kStepCodePoint) {
                p = PrevCodePoint(e.Pos, FRegExp.FTextTopP);
            } else {
                p = e.Pos - step;
            }
            const std::int32_t follow = FFollowUnit[e.T->FIndex];
            if (follow >= 0 && step != kStepRecorded) {
                // Where the literal after the repetition cannot start, giving back one more
                // repetition is all that can happen: do it here.
                while (left > e.T->FMin && (p >= FRegExp.FMatchEndP || *p != follow)) {
                    p = step == kStepCodePoint ? PrevCodePoint(p, FRegExp.FTextTopP) : p - step;
                    --left;
                }
            }
            if (left > e.T->FMin) {
                FStack.push_back(e);
                FStack.back().Count = left;
                FStack.back().Pos = p;
            } else if (e.ArenaStart >= 0) {
                FArena.resize(static_cast<std::size_t>(e.ArenaStart));
            }
            T = Head(e.T->FTransitTo);
            Pos = p;
            return true;
        }
        case ekLoopExit:
            Pos = e.Pos;
            T = LoopExit();
            return true;
        case ekLoopIter: {
            Pos = e.Pos;
            TLoopFrame frame = FLoops.back();
            frame.IterStart = Pos;
            SetLoop(frame);
            T = Head(e.T->FTransitTo);
            return true;
        }
        case ekBehindTry:
            T = Head(e.T->FTransitTo);
            Pos = e.Pos;
            return true;
        case ekBarrier:
            FArena.resize(static_cast<std::size_t>(e.ArenaStart));
            switch (static_cast<TBarrierKind>(e.Count)) {
            case bkAheadNot:
            case bkBehindNot:
                // The body cannot match: the negative look-around holds.
                Pos = e.Pos;
                T = ExitOf(e.T);
                return true;
            case bkCondition: {
                // The condition failed: the no-branch, or nothing when there is none.
                const TRENFAState* yes = Head(e.T->FTransitTo);
                Pos = e.Pos;
                T = yes != nullptr && yes->FNext != nullptr ? Head(yes->FNext->FTransitTo)
                                                            : ExitOf(e.T);
                return true;
            }
            default:
                continue;
            }
        }
    }
    return false;
}

void TREMatchEngine::ClearRun() {
    FStack.clear();
    FUndo.clear();
    FLoops.clear();
    FCalls.clear();
    FSavedCaptures.clear();
    FArena.clear();
    FBarrier = -1;
}

bool TREMatchEngine::Run(const char16_t* Start) {
    ClearRun();
    const char16_t* pos = Start;
    const char16_t* const matchTop = FRegExp.FMatchTopP;
    const TRENFAState* t = Head(FRegExp.FEntryState);
    bool pushAlternatives = true;
    for (;;) {
        if (t == nullptr) {
            if (!Backtrack(t, pos)) {
                return false;
            }
            pushAlternatives = true;
            continue;
        }
        if (MemoSeen(t, pos)) {
            t = nullptr; // explored before from here, without success
            continue;
        }
        if (pushAlternatives && t->FNext != nullptr) {
            if (const TRENFAState* alt = Viable(t->FNext, pos)) {
                Push(ekAlt, alt, pos);
            }
        }
        pushAlternatives = true;
        switch (t->FKind) {
        case nkNormal:
        case nkChar: {
            int len = 0;
            if (t->FCode->IsEqual(pos, len)) {
                pos += len;
                t = Head(t->FTransitTo);
            } else {
                t = nullptr;
            }
            break;
        }
        case nkEmpty:
        case nkIfThen:
        case nkLPar:
        case nkRPar:
            t = Head(t->FTransitTo);
            break;
        case nkLoopExit:
            t = nullptr;
            break;
        case nkStar:
        case nkPlus:
        case nkBound: {
            const TRECode* code = t->FCode;
            const bool remember =
                FMemoActive && FBarrier < 0 && FCalls.empty() && t->FMax == kInfinite;
            if (remember) {
                const auto& last = FLastRun[t->FIndex];
                if (pos > last.first && pos < last.second) {
                    t = nullptr;
                    break;
                }
            }
            const int step = StepOf(code);
            const auto arenaStart = static_cast<int>(FArena.size());
            if (step == kStepRecorded) {
                FArena.push_back(pos);
            }
            const char16_t* p = pos;
            int n = 0;
            int len = 0;
            const bool canJoin = remember && step != kStepRecorded && t->FMin <= 1 &&
                                 FLastRun[t->FIndex].second != nullptr;
            bool joined = false;
            TREUnitCache* cache = FRepeatCache[t->FIndex].get();
            const char16_t* const matchEnd = FRegExp.FMatchEndP;
            if (cache != nullptr && !canJoin) {
                // The units the cache knows to belong, one at a time without further ado.
                while (n < t->FMax && p < matchEnd && cache->Lookup(*p) == TREUnitCache::uaYes) {
                    ++p;
                    ++n;
                }
            }
            while (n < t->FMax && TestCached(code, cache, p, matchEnd, len)) {
                if (len == 0) {
                    // An empty match satisfies every further repetition at once.
                    n = std::max(n, t->FMin);
                    break;
                }
                p += len;
                ++n;
                if (step == kStepRecorded) {
                    FArena.push_back(p);
                }
                if (canJoin && p == FLastRun[t->FIndex].first) {
                    joined = true;
                    break;
                }
            }
            if (joined) {
                // The earlier run from here on has had its continuations explored; only the
                // positions before it are new.
                if (t->FMin == 0) {
                    p = step == kStepCodePoint ? PrevCodePoint(p, FRegExp.FTextTopP) : p - step;
                    --n;
                }
                FLastRun[t->FIndex].first = pos;
            } else if (remember) {
                auto& last = FLastRun[t->FIndex];
                // Runs that end at the same place cover each other's starts.
                last = {last.second == p && last.first < pos ? last.first : pos, p};
            }
            CountWork(static_cast<std::uint64_t>(n));
            if (n < t->FMin) {
                FArena.resize(static_cast<std::size_t>(arenaStart));
                t = nullptr;
                break;
            }
            if (t->FMatchKind == lkPossessive || n == t->FMin) {
                FArena.resize(static_cast<std::size_t>(arenaStart));
            } else {
                Push(ekStarBack, t, p, n, step == kStepRecorded ? arenaStart : -1);
            }
            pos = p;
            t = Head(t->FTransitTo);
            break;
        }
        case nkLoop: {
            int barrier = -1;
            if (t->FMatchKind == lkPossessive) {
                Push(ekBarrier, t, pos, bkPossessive, static_cast<int>(FArena.size()));
                barrier = static_cast<int>(FStack.size()) - 1;
                FBarrier = barrier;
            }
            PushLoop({t, 0, pos, barrier});
            t = LoopDecide(pos);
            break;
        }
        case nkLoopEnd: {
            TLoopFrame frame = FLoops.back();
            ++frame.Count;
            const bool empty = pos == frame.IterStart;
            SetLoop(frame);
            // An iteration that matched nothing ends an unbounded loop once its minimum is
            // reached; a bounded one may go on to its maximum, as its copies would.
            t = (empty && frame.Count >= frame.Loop->FMin && frame.Loop->FMax == kInfinite)
                    ? LoopExit()
                    : LoopDecide(pos);
            break;
        }
        case nkGroupBegin:
            SetCapture(t->FGroupIndex, pos, nullptr, false);
            t = Head(t->FTransitTo);
            break;
        case nkGroupEnd: {
            const TRECapture& c = Capture(t->FGroupIndex);
            SetCapture(t->FGroupIndex, c.StartP(), pos, c.StartP() != nullptr);
            if (!FCalls.empty() && FCalls.back().Group == t->FGroupIndex) {
                t = Return();
            } else {
                t = Head(t->FTransitTo);
            }
            break;
        }
        case nkGoSub:
            // A group's begin is entered alone, without the other alternatives of its state.
            pushAlternatives = t->FGroupIndex == 0;
            t = Call(t);
            break;
        case nkAheadMatch:
        case nkAheadNoMatch:
        case nkNoBackTrack:
            Push(ekBarrier, t, pos, BarrierOf(t->FKind), static_cast<int>(FArena.size()));
            FBarrier = static_cast<int>(FStack.size()) - 1;
            t = Head(t->FTransitTo);
            break;
        case nkBehindMatch:
        case nkBehindNoMatch: {
            if (const TRECode* one = FBehindChar[t->FIndex]) {
                // One character test: try it on the character before, without a sub-run.
                bool holds = false;
                if (pos > matchTop) {
                    const char16_t* p = PrevCodePoint(pos, matchTop);
                    int len = 0;
                    holds = one->IsEqual(p, len) && p + len == pos;
                }
                if (t->FKind == nkBehindNoMatch) {
                    holds = !holds;
                }
                t = holds ? ExitOf(t) : nullptr;
                break;
            }
            // Start positions from the shortest look-back to the longest.
            const char16_t* p = pos;
            int m = 0;
            std::vector<const char16_t*>& starts = FBehindStarts;
            starts.clear();
            while (m < t->FMax && p > matchTop) {
                p = PrevCodePoint(p, matchTop);
                ++m;
                if (m >= t->FMin) {
                    starts.push_back(p);
                }
            }
            if (t->FMin == 0) {
                starts.insert(starts.begin(), pos);
            }
            if (starts.empty()) {
                t = t->FKind == nkBehindMatch ? nullptr : ExitOf(t);
                break;
            }
            Push(ekBarrier, t, pos, BarrierOf(t->FKind), static_cast<int>(FArena.size()));
            FBarrier = static_cast<int>(FStack.size()) - 1;
            for (auto it = starts.rbegin(); it != starts.rend(); ++it) {
                Push(ekBehindTry, t, *it);
            }
            t = nullptr;
            break;
        }
        case nkIfMatch:
            Push(ekBarrier, t, pos, bkCondition, static_cast<int>(FArena.size()));
            FBarrier = static_cast<int>(FStack.size()) - 1;
            t = Head(t->FConditionFrom);
            break;
        case nkMatchEnd: {
            const int index = FBarrier;
            const TEntry b = FStack[static_cast<std::size_t>(index)];
            const TRENFAState* exit = Head(t->FTransitTo);
            switch (static_cast<TBarrierKind>(b.Count)) {
            case bkBehind:
            case bkBehindNot:
                if (pos != b.Pos) {
                    t = nullptr; // the body must end where the look-behind stands
                    break;
                }
                [[fallthrough]];
            case bkAhead:
            case bkAheadNot:
                Cut(index);
                pos = b.Pos;
                if (b.Count == bkAheadNot || b.Count == bkBehindNot) {
                    Undo(b.UndoMark);
                    t = nullptr;
                } else {
                    t = exit;
                }
                break;
            case bkCondition: {
                Cut(index);
                pos = b.Pos;
                const TRENFAState* yes = Head(b.T->FTransitTo);
                t = yes == nullptr ? nullptr : Head(yes->FTransitTo);
                break;
            }
            default:
                Cut(index);
                t = exit;
                break;
            }
            break;
        }
        case nkKeepPattern:
            SetCapture(0, pos, nullptr, false);
            t = Head(t->FTransitTo);
            break;
        case nkEnd:
            if (!FCalls.empty() && FCalls.back().Group == 0) {
                t = Return();
                break;
            }
            {
                const TRECapture& c = Capture(0);
                Capture(0).Set(c.StartP(), pos, true);
            }
            return true;
        }
    }
}

bool TREMatchEngine::MatchAt(const char16_t* Start) {
    TREGroupCollection& groups = FRegExp.FGroups;
    for (int i = 0; i < groups.Count(); ++i) {
        groups[i].Current().Reset();
    }
    groups[0].Current().Set(Start, nullptr, false);
    if (Run(Start)) {
        return true;
    }
    for (int i = 0; i < groups.Count(); ++i) {
        groups[i].Current().Reset();
    }
    return false;
}

const char16_t* TREMatchEngine::Forward(const char16_t* Pos, int Chars) const {
    const char16_t* end = FRegExp.FMatchEndP;
    for (int i = 0; i < Chars; ++i) {
        if (Pos >= end) {
            return nullptr;
        }
        int len = 0;
        ReadCodePoint(Pos, end, len);
        Pos += len;
    }
    return Pos;
}

const char16_t* TREMatchEngine::Back(const char16_t* Pos, int Chars, const char16_t* Limit) const {
    for (int i = 0; i < Chars; ++i) {
        if (Pos <= Limit) {
            return nullptr;
        }
        Pos = PrevCodePoint(Pos, Limit);
    }
    return Pos;
}

bool TREMatchEngine::LeadMatches(const char16_t* Pos) const {
    for (const TRELeadCode& lead : FLeadCode) {
        const char16_t* at = Forward(Pos, lead.FOffset);
        int len = 0;
        if (at != nullptr && lead.FCode->IsEqual(at, len)) {
            return true;
        }
    }
    return false;
}

bool TREMatchEngine::CanStartAt(const char16_t* Pos) {
    const char16_t* const end = FRegExp.FMatchEndP;
    const bool cached = FLeadCache != nullptr && Pos < end;
    if (cached) {
        const TREUnitCache::TAnswer a = FLeadCache->Lookup(*Pos);
        if (a != TREUnitCache::uaUnknown) {
            return a == TREUnitCache::uaYes;
        }
    }
    bool yes = false;
    if (FLeadCharMode == lcmMap) {
        const char16_t* at = Forward(Pos, FPreMatchLength);
        yes = at != nullptr && FMap.IsExists(at, end);
    } else {
        yes = LeadMatches(Pos);
    }
    if (cached) {
        FLeadCache->Store(*Pos, yes);
    }
    return yes;
}

bool TREMatchEngine::Found(const char16_t* Start) {
    if (!MatchAt(Start)) {
        return false;
    }
    // What was explored before a success may lie on the next search's way.
    if (FMemoActive) {
        std::fill(FMemo.begin(), FMemo.end(), 0);
        std::fill(FLastRun.begin(), FLastRun.end(),
                  std::pair<const char16_t*, const char16_t*>{nullptr, nullptr});
    }
    return true;
}

bool TREMatchEngine::Match(const char16_t* AStr) {
    if (FRegExp.FStateList.empty()) {
        throw ERxRegExpRuntime(u"bug: StateList not initialized.");
    }
    const char16_t* const end = FRegExp.FMatchEndP;
    FBacktracks = 0;
    switch (FLeadCharMode) {
    case lcmSimple: {
        const char16_t* p = FLeadStrings.Exec(AStr, end);
        if (p == nullptr) {
            return false;
        }
        TREGroupCollection& groups = FRegExp.FGroups;
        for (int i = 0; i < groups.Count(); ++i) {
            groups[i].Current().Reset();
        }
        groups[0].Current().Set(p, p + FLeadStrings.MatchLen(), true);
        return true;
    }
    case lcmFirstLiteral:
        for (const char16_t* p = FLeadStrings.Exec(AStr, end); p != nullptr;
             p = FLeadStrings.ExecNext()) {
            const char16_t* start = Back(p, FPreMatchLength, AStr);
            if (start != nullptr && Found(start)) {
                return true;
            }
        }
        return false;
    case lcmTextTop:
        return AStr == FRegExp.FMatchTopP && Found(AStr);
    case lcmLineTop:
        // The start, then every position after a line-break character.
        for (const char16_t* p = AStr;;) {
            int len = 0;
            if ((FLineFollow == nullptr || FLineFollow->IsEqual(p, len)) && Found(p)) {
                return true;
            }
            const char16_t* lineBreak = p < end ? NextLineBreak(p, end) : end;
            if (lineBreak >= end) {
                return false;
            }
            p = lineBreak + 1;
        }
    case lcmLastLiteral:
        if (FTailStrings.Exec(AStr, end) == nullptr) {
            return false;
        }
        break;
    case lcmMap:
    case lcmHasLead:
        for (const char16_t* p = AStr; p <= end; ++p) {
            if (FLeadCache != nullptr) {
                // Units known not to start a match are passed over by the table alone.
                while (p < end && FLeadCache->Lookup(*p) == TREUnitCache::uaNo) {
                    ++p;
                }
            }
            if (CanStartAt(p) && Found(p)) {
                return true;
            }
        }
        return false;
    case lcmNone:
        break;
    }
    for (const char16_t* p = AStr; p <= end; ++p) {
        if (Found(p)) {
            return true;
        }
    }
    return false;
}
