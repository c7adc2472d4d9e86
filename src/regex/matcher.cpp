// The backtracking matcher.
#include "regex/matcher.h"

#include "regex/code.h"
#include "regex/errors.h"
#include "regex/regexp.h"

#include <algorithm>

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

const char16_t* PrevCodePoint(const char16_t* p, const char16_t* top) {
    --p;
    if (p > top && *p >= 0xDC00 && *p <= 0xDFFF && p[-1] >= 0xD800 && p[-1] <= 0xDBFF) {
        --p;
    }
    return p;
}

} // namespace

void TREMatchEngine::Optimize() {
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
    ResetMemo();
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
        Undo(e.UndoMark);
        FBarrier = e.Barrier;
        switch (e.Kind) {
        case ekAlt:
            T = e.T;
            Pos = e.Pos;
            return true;
        case ekStarBack: {
            const int left = e.Count - 1;
            const int step = e.ArenaStart >= 0 ? kStepRecorded : StepOf(e.T->FCode);
            const char16_t* p = nullptr;
            if (step == kStepRecorded) {
                p = FArena[static_cast<std::size_t>(e.ArenaStart + left)];
            } else if (step == kStepCodePoint) {
                p = PrevCodePoint(e.Pos, FRegExp.FTextTopP);
            } else {
                p = e.Pos - step;
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
            while (n < t->FMax && code->IsEqual(p, len)) {
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
            // An iteration that matched nothing ends the loop once its minimum is reached.
            t = (empty && frame.Count >= frame.Loop->FMin) ? LoopExit() : LoopDecide(pos);
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
            // Start positions from the shortest look-back to the longest.
            const char16_t* p = pos;
            int m = 0;
            std::vector<const char16_t*> starts;
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

bool TREMatchEngine::Match(const char16_t* AStr) {
    if (FRegExp.FStateList.empty()) {
        throw ERxRegExpRuntime(u"bug: StateList not initialized.");
    }
    for (const char16_t* p = AStr; p <= FRegExp.FMatchEndP; ++p) {
        if (MatchAt(p)) {
            // What was explored before a success may lie on the next search's way.
            if (FMemoActive) {
                std::fill(FMemo.begin(), FMemo.end(), 0);
                std::fill(FLastRun.begin(), FLastRun.end(),
                          std::pair<const char16_t*, const char16_t*>{nullptr, nullptr});
            }
            return true;
        }
    }
    return false;
}
