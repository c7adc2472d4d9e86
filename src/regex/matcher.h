// TREMatchEngine finds the first match of the automaton at or after a position. It is a
// backtracking matcher that follows transitions depth-first in chain order and keeps every
// alternative it has not tried on one explicit stack; constructs that need a run of their own
// (look-arounds, atomic groups, possessive loops, conditions) are delimited on that same stack
// by barrier entries, so the machine stack is never used in proportion to the pattern or the
// input. Receives a compiled engine whose input and match range are set. Guarantees:
//   - captures are changed only through an undo log, so a path that fails leaves nothing behind;
//   - a loop iteration that is complete can still be backtracked into;
//   - a possessive loop and an atomic group keep no backtrack points;
//   - a call returns to its caller and restores the captures it changed;
//   - calls nest at most kMaxCallDepth deep and a search backtracks at most kMaxBacktracks
//     times (else ERxRegExpRuntime);
//   - once an attempt has backtracked heavily, (transition, position) pairs already explored
//     are not explored again (patterns without back-references, conditions, calls or counted
//     loops), which bounds nested repetitions to polynomial work across all attempts.
#pragma once

#include "regex/char_map.h"
#include "regex/nfa.h"
#include "regex/quick_search.h"
#include "regex/unit_cache.h"

#include <cstdint>
#include <memory>
#include <vector>

class TRxRegExp;
class TRECapture;

enum TRELeadCharMode : std::uint8_t {
    lcmNone,
    lcmFirstLiteral,
    lcmSimple,
    lcmTextTop,
    lcmLineTop,
    lcmLastLiteral,
    lcmHasLead,
    lcmMap,
};

struct TRELeadCode {
    const TRECode* FCode;
    int FOffset;
};

class TREMatchEngine {
public:
    static constexpr int kMaxCallDepth = 5000;
    // Backtracks one search may make before it gives up with ERxRegExpRuntime; only patterns
    // the memo cannot help (back-references, counted loops, calls) ever come near it.
    static constexpr std::uint64_t kMaxBacktracks = 10000000;

    explicit TREMatchEngine(TRxRegExp& ARegExp) : FRegExp(ARegExp) {}

    // Prepares a new compilation: analysis of the automaton.
    void Optimize();
    // Forgets what earlier runs explored (a new input).
    void ResetMemo();
    // True when a match starting at or after AStr was found; the group table then holds it.
    bool Match(const char16_t* AStr);

    // The analysis, for tests and diagnostics.
    TRELeadCharMode LeadCharMode() const { return FLeadCharMode; }
    int PreMatchLength() const { return FPreMatchLength; }
    const TREQuickSearch& LeadStrings() const { return FLeadStrings; }
    const TRECharMap& Map() const { return FMap; }
    const std::vector<TRELeadCode>& LeadCodes() const { return FLeadCode; }

private:
    void FlattenSingleCodeLoops();
    void ConvertPossessive();
    void CollectLeadCodes();
    void CollectTailLiteral();
    void ChooseSearchMode();
    void MakeUnitCaches();
    void FindSingleCharBehinds();
    void FindFollowUnits();
    void FindLineFollow();
    bool LeadMatches(const char16_t* Pos) const;
    bool CanStartAt(const char16_t* Pos);
    const char16_t* Forward(const char16_t* Pos, int Chars) const;
    const char16_t* Back(const char16_t* Pos, int Chars, const char16_t* Limit) const;
    bool Found(const char16_t* Start);

    enum TEntryKind : std::uint8_t {
        ekAlt,       // resume a transition
        ekStarBack,  // give back one more repetition of a single code
        ekLoopExit,  // leave a greedy loop here
        ekLoopIter,  // run one more iteration of a reluctant loop
        ekBarrier,   // the start of a sub-run; popping it means the sub-run failed
        ekBehindTry, // a look-behind body from one more start position
    };
    struct TEntry {
        TEntryKind Kind;
        const TRENFAState* T;
        const char16_t* Pos;
        std::uint32_t UndoMark;
        std::int32_t Barrier; // the barrier register when the entry was made
        std::int32_t Count;   // repetitions left to give back; arena start for a barrier
        std::int32_t ArenaStart;
    };
    struct TLoopFrame {
        const TRENFAState* Loop;
        int Count;
        const char16_t* IterStart;
        int BarrierIndex;
    };
    struct TCallFrame {
        const TRENFAState* Call;
        int Group;
        std::uint32_t SavedCaptures;
    };
    struct TCaptureValue {
        const char16_t* Start;
        const char16_t* End;
        bool Matched;
    };
    enum TUndoKind : std::uint8_t {
        ukCapture,
        ukLoopPush,
        ukLoopPop,
        ukLoopSet,
        ukCallPush,
        ukCallPop
    };
    // One record per change; only the member of its kind is meaningful.
    struct TUndo {
        TUndoKind Kind;
        int Index;
        union {
            TCaptureValue Capture;
            TLoopFrame Loop;
            TCallFrame Call;
        };
    };

    bool MatchAt(const char16_t* Start);
    bool Run(const char16_t* Start);
    bool Backtrack(const TRENFAState*& T, const char16_t*& Pos);
    const TRENFAState* Head(int State) const;
    const TRENFAState* Viable(const TRENFAState* T, const char16_t* Pos) const;
    void Push(TEntryKind Kind, const TRENFAState* T, const char16_t* Pos, int Count = 0,
              int ArenaStart = -1);
    void Undo(std::uint32_t Mark);
    void Cut(int BarrierIndex);
    void SetCapture(int Group, const char16_t* Start, const char16_t* End, bool Matched);
    TRECapture& Capture(int Group);
    void PushLoop(const TLoopFrame& Frame);
    void PopLoop();
    void SetLoop(const TLoopFrame& Frame);
    const TRENFAState* LoopDecide(const char16_t* Pos);
    const TRENFAState* LoopExit();
    const TRENFAState* Call(const TRENFAState* T);
    const TRENFAState* Return();
    const TRENFAState* ExitOf(const TRENFAState* Construct) const;
    bool MemoSeen(const TRENFAState* T, const char16_t* Pos);
    void CountWork(std::uint64_t Units);
    void ClearRun();

    TRxRegExp& FRegExp;
    // Analysis.
    std::vector<TRELeadCode> FLeadCode;
    const TRECode* FTailCode = nullptr;
    TREQuickSearch FLeadStrings;
    TREQuickSearch FTailStrings;
    bool FIsNotSimplePattern = false;
    TRELeadCharMode FLeadCharMode = lcmNone;
    TRECharMap FMap;
    int FPreMatchLength = 0;
    // What the context-free lead tests, and each context-free single-code repetition (by
    // transition index), answered for the units met so far.
    std::unique_ptr<TREUnitCache> FLeadCache;
    std::vector<std::unique_ptr<TREUnitCache>> FRepeatCache;
    // The one character test of each look-behind that is nothing more (by transition index).
    std::vector<const TRECode*> FBehindChar;
    // The first unit of the exact literal that alone follows a single-code repetition, or -1.
    std::vector<std::int32_t> FFollowUnit;
    // The character test that must match at a line top for a line-top search, or nullptr.
    const TRECode* FLineFollow = nullptr;
    // Run state.
    std::vector<TEntry> FStack;
    std::vector<TUndo> FUndo;
    std::vector<TLoopFrame> FLoops;
    std::vector<TCallFrame> FCalls;
    std::vector<TCaptureValue> FSavedCaptures;
    std::vector<const char16_t*> FArena;
    std::vector<const char16_t*> FBehindStarts;
    int FBarrier = -1;
    // Explosion memo.
    bool FMemoAllowed = false;
    bool FMemoActive = false;
    std::uint64_t FSteps = 0;
    std::uint64_t FBacktracks = 0;
    std::uint64_t FMemoThreshold = 0;
    // One bit per (transition, position), made when the memo is first needed.
    std::vector<std::uint64_t> FMemo;
    std::uint64_t FMemoStride = 0;
    // The last run of each unbounded single-code repetition while the memo is active: a new
    // run starting inside it can only reach continuations already explored.
    std::vector<std::pair<const char16_t*, const char16_t*>> FLastRun;
};
