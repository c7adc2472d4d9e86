// TRENFA turns the syntax tree into the automaton the matcher runs: a list of states, each the
// head of an ordered chain of transitions (the transition added last is tried first). Besides
// character steps there are transitions that stand for whole constructs (repetitions, groups,
// look-arounds, calls, conditions). ^ and $ become anchors where they stand at the start or end
// of the expression. Receives a tree the parser accepted; guarantees that every call names an
// existing group, that the tree is walked with an explicit stack (any depth), and that the
// automaton stays within kMaxStates (else ERxRegExpCompile).
#pragma once

#include "regex/bin_code.h"

#include <cstdint>
#include <memory>
#include <vector>

class TRxRegExp;

enum TRENFAKind : std::uint8_t {
    nkNormal,
    nkChar,
    nkEmpty,
    nkStar,
    nkPlus,
    nkBound,
    nkLoop,
    nkLoopExit,
    nkLoopEnd,
    nkGroupBegin,
    nkGroupEnd,
    nkLPar,
    nkRPar,
    nkGoSub,
    nkAheadMatch,
    nkAheadNoMatch,
    nkBehindMatch,
    nkBehindNoMatch,
    nkNoBackTrack,
    nkMatchEnd,
    nkIfMatch,
    nkIfThen,
    nkKeepPattern,
    nkEnd,
};

// One transition.
struct TRENFAState {
    TRENFAKind FKind = nkEmpty;
    TRECode* FCode = nullptr;
    int FTransitTo = -1;
    TRENFAState* FNext = nullptr;
    int FGroupIndex = 0;
    int FMin = 0;
    int FMax = 0;
    TRELoopKind FMatchKind = lkGreedy;
    // The inner state the construct runs to: end of a loop body, of a look-around or atomic
    // body, of a condition.
    int FExtendTo = -1;
    bool FHasRecursion = false;
    // nkIfMatch: the state the condition starts from (its own state, so that a condition
    // that is one alternative of an alternation shares no chain with the others).
    int FConditionFrom = -1;
    // nkLoop: the state after the loop.
    int FExitTo = -1;
    // Position in the engine's transition list.
    std::uint32_t FIndex = 0;
};

class TRENFA {
public:
    static constexpr std::size_t kMaxStates = 4000000;

    explicit TRENFA(TRxRegExp& ARegExp) : FRegExp(ARegExp) {}
    void Compile();

private:
    int NewState();
    TRENFAState* AddTransition(TRENFAKind Kind, int From, int Max, int Min, TRECode* Code, int To);
    TRECode* ConvertAnchor(TRECode* Code, int Entry, int Exit);

    TRxRegExp& FRegExp;
    int FBEntryState = 0;
    int FBExitState = 0;
};
