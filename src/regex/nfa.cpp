// Building the automaton from the tree, with the anchor rule.
#include "regex/nfa.h"

#include "regex/errors.h"
#include "regex/messages.h"
#include "regex/regexp.h"

#include <cassert>

namespace {

// A step of the explicit build stack: build a subtree between two states, or one of the
// deferred actions that must run after a body has been built.
struct TBuildItem {
    enum TAction : std::uint8_t {
        baBuild,
        baRestoreAnchors, // put back the beginning and end states saved before a body
        baMoveBegin,      // an optional part that started at the beginning moves it to its exit
        baAddEmpty,       // the skip of a reluctant optional part, after its body
        baAddLoopTail,    // nkLoopExit and nkLoopEnd after a loop body
    };
    TAction Action;
    TRECode* Code;
    int Entry;
    int Exit;
    int SavedBegin;
    int SavedEnd;
    TRELoopKind Kind;
};

} // namespace

int TRENFA::NewState() {
    if (FRegExp.FStateList.size() >= kMaxStates) {
        throw ERxRegExpCompile(FormatMessage(rxmsg::ExpressionTooComplex, u"") + u"; ");
    }
    FRegExp.FStateList.push_back(nullptr);
    return static_cast<int>(FRegExp.FStateList.size()) - 1;
}

TRENFAState* TRENFA::AddTransition(TRENFAKind Kind, int From, int Max, int Min, TRECode* Code,
                                   int To) {
    auto t = std::make_unique<TRENFAState>();
    t->FKind = Kind;
    t->FCode = Code;
    t->FTransitTo = To;
    t->FMin = Min;
    t->FMax = Max;
    t->FNext = FRegExp.FStateList[static_cast<std::size_t>(From)];
    t->FIndex = static_cast<std::uint32_t>(FRegExp.FTransitions.size());
    FRegExp.FStateList[static_cast<std::size_t>(From)] = t.get();
    FRegExp.FTransitions.push_back(std::move(t));
    return FRegExp.FTransitions.back().get();
}

TRECode* TRENFA::ConvertAnchor(TRECode* Code, int Entry, int Exit) {
    if (Code->Kind() != ckChar) {
        return Code;
    }
    const auto* c = static_cast<const TRECharCode*>(Code);
    if (!c->Convert()) {
        return Code;
    }
    // The character code stays in the code list (a shared subtree may still point to it).
    if (c->WChar() == u'^' && Entry == FBEntryState) {
        return FRegExp.AddCode(std::make_unique<TRELineHeadCode>(&FRegExp, c->Options()));
    }
    if (c->WChar() == u'$' && Exit == FBExitState) {
        return FRegExp.AddCode(std::make_unique<TRELineTailCode>(&FRegExp, c->Options()));
    }
    return Code;
}

void TRENFA::Compile() {
    FRegExp.ClearAutomaton();
    FRegExp.FEntryState = NewState();
    FRegExp.FExitState = NewState();
    FBEntryState = FRegExp.FEntryState;
    FBExitState = FRegExp.FExitState;
    AddTransition(nkEnd, FRegExp.FExitState, 0, 0, nullptr, -1);

    std::vector<TBuildItem> work;
    work.push_back({TBuildItem::baBuild, FRegExp.FCode, FRegExp.FEntryState, FRegExp.FExitState, 0,
                    0, lkGreedy});
    // Opens an anchor scope around a body between s1 and s2 of a construct between entry and
    // exit: the restore item is pushed first, so it runs after the body.
    auto scoped = [&](TRECode* body, int entry, int exit, int s1, int s2) {
        work.push_back(
            {TBuildItem::baRestoreAnchors, nullptr, 0, 0, FBEntryState, FBExitState, lkGreedy});
        if (entry == FBEntryState) {
            FBEntryState = s1;
        }
        if (exit == FBExitState) {
            FBExitState = s2;
        }
        work.push_back({TBuildItem::baBuild, body, s1, s2, 0, 0, lkGreedy});
    };
    auto buildLoop = [&](const TREBinCode* bin, int entry, int exit, int lo, int hi) {
        const int s1 = NewState();
        const int s2 = NewState();
        TRENFAState* t = AddTransition(nkLoop, entry, hi, lo, nullptr, s1);
        t->FMatchKind = bin->MatchKind();
        t->FExtendTo = s2;
        t->FExitTo = exit;
        if (lo == 0 && entry == FBEntryState) {
            work.push_back({TBuildItem::baMoveBegin, nullptr, entry, exit, 0, 0, lkGreedy});
        }
        work.push_back({TBuildItem::baAddLoopTail, nullptr, s1, exit, 0, s2, lkGreedy});
        scoped(bin->Left(), entry, exit, s1, s2);
    };
    while (!work.empty()) {
        const TBuildItem item = work.back();
        work.pop_back();
        switch (item.Action) {
        case TBuildItem::baRestoreAnchors:
            FBEntryState = item.SavedBegin;
            FBExitState = item.SavedEnd;
            continue;
        case TBuildItem::baMoveBegin:
            if (FBEntryState == item.Entry) {
                FBEntryState = item.Exit;
            }
            continue;
        case TBuildItem::baAddEmpty:
            AddTransition(nkEmpty, item.Entry, 0, 0, nullptr, item.Exit)->FMatchKind = item.Kind;
            continue;
        case TBuildItem::baAddLoopTail:
            // item.Entry is the body start, item.Exit the loop's exit, SavedEnd the body end.
            AddTransition(nkLoopExit, item.Entry, 0, 0, nullptr, item.Exit);
            AddTransition(nkLoopEnd, item.SavedEnd, 0, 0, nullptr, item.Entry);
            continue;
        case TBuildItem::baBuild:
            break;
        }
        TRECode* code = item.Code;
        const int entry = item.Entry;
        const int exit = item.Exit;
        TREBinCode* bin = AsBin(code);
        if (bin == nullptr) {
            code = ConvertAnchor(code, entry, exit);
            const bool literal = code->Kind() == ckChar || code->Kind() == ckLiteral;
            AddTransition(literal ? nkChar : nkNormal, entry, 0, 0, code, exit);
            continue;
        }
        switch (bin->Op()) {
        case opEmply:
        case opLHead:
        case opLTail:
            AddTransition(nkEmpty, entry, 0, 0, nullptr, exit);
            break;
        case opConcat: {
            const int middle = NewState();
            work.push_back({TBuildItem::baBuild, bin->Right(), middle, exit, 0, 0, lkGreedy});
            work.push_back({TBuildItem::baBuild, bin->Left(), entry, middle, 0, 0, lkGreedy});
            break;
        }
        case opUnion:
            // The right alternative is built first, so the left one heads the chain. Every
            // alternative starts where the union starts, also when the one built before it
            // was optional and moved the beginning on.
            work.push_back({TBuildItem::baBuild, bin->Left(), entry, exit, 0, 0, lkGreedy});
            work.push_back(
                {TBuildItem::baRestoreAnchors, nullptr, 0, 0, FBEntryState, FBExitState, lkGreedy});
            work.push_back({TBuildItem::baBuild, bin->Right(), entry, exit, 0, 0, lkGreedy});
            break;
        case opGroup: {
            const int s1 = NewState();
            const int s2 = NewState();
            if (bin->GroupIndex() > 0 && bin->GroupIndex() < FRegExp.FGroups.Count()) {
                TREGroup& g = FRegExp.FGroups[bin->GroupIndex()];
                if (g.Entry() < 0) {
                    g.SetEntry(entry);
                    g.SetWayout(s2);
                }
            }
            AddTransition(nkGroupBegin, entry, 0, 0, nullptr, s1)->FGroupIndex = bin->GroupIndex();
            AddTransition(nkGroupEnd, s2, 0, 0, nullptr, exit)->FGroupIndex = bin->GroupIndex();
            scoped(bin->Left(), entry, exit, s1, s2);
            break;
        }
        case opQuest:
            if (bin->MatchKind() == lkPossessive) {
                // A possessive optional part is a possessive loop of at most one iteration.
                buildLoop(bin, entry, exit, 0, 1);
                break;
            }
            if (entry == FBEntryState) {
                work.push_back({TBuildItem::baMoveBegin, nullptr, entry, exit, 0, 0, lkGreedy});
            }
            if (bin->MatchKind() == lkReluctant) {
                work.push_back(
                    {TBuildItem::baAddEmpty, nullptr, entry, exit, 0, 0, bin->MatchKind()});
            } else {
                AddTransition(nkEmpty, entry, 0, 0, nullptr, exit)->FMatchKind = bin->MatchKind();
            }
            work.push_back({TBuildItem::baBuild, bin->Left(), entry, exit, 0, 0, lkGreedy});
            break;
        case opPlus:
        case opStar:
        case opBound: {
            const TRENFAKind kind = bin->Op() == opPlus   ? nkPlus
                                    : bin->Op() == opStar ? nkStar
                                                          : nkBound;
            const int lo = bin->Op() == opPlus ? 1 : bin->Op() == opStar ? 0 : bin->Min();
            const int hi = bin->Op() == opBound ? bin->Max() : kInfinite;
            TRENFAState* t = AddTransition(kind, entry, hi, lo, bin->Left(), exit);
            t->FMatchKind = bin->MatchKind();
            t->FExtendTo = exit;
            if (bin->Op() == opStar && entry == FBEntryState) {
                FBEntryState = exit;
            }
            break;
        }
        case opLoop:
            buildLoop(bin, entry, exit, bin->Min(), bin->Max());
            break;
        case opAheadMatch:
        case opAheadNoMatch:
        case opBehindMatch:
        case opBehindNoMatch:
        case opNoBackTrack: {
            const int s1 = NewState();
            const int s2 = NewState();
            const TRENFAKind kind = bin->Op() == opAheadMatch      ? nkAheadMatch
                                    : bin->Op() == opAheadNoMatch  ? nkAheadNoMatch
                                    : bin->Op() == opBehindMatch   ? nkBehindMatch
                                    : bin->Op() == opBehindNoMatch ? nkBehindNoMatch
                                                                   : nkNoBackTrack;
            TRENFAState* t = AddTransition(kind, entry, bin->Max(), bin->Min(), nullptr, s1);
            t->FExtendTo = s2;
            AddTransition(nkMatchEnd, s2, 0, 0, nullptr, exit);
            scoped(bin->Left(), entry, exit, s1, s2);
            break;
        }
        case opGoSub: {
            int index = bin->GroupIndex();
            if (index < 0) {
                index = FRegExp.FGroups.IndexOfName(bin->GroupName());
            }
            assert(index >= 0 && "BUG?: Not Define Group Index");
            if (index < 0 || index >= FRegExp.FGroups.Count()) {
                throw ERxRegExpRuntime(u"BUG?: Not Define Group Index");
            }
            TRENFAState* t = AddTransition(nkGoSub, entry, 0, 0, nullptr, exit);
            t->FGroupIndex = index;
            t->FHasRecursion = bin->HasRecursion();
            break;
        }
        case opIfMatch: {
            const int s1 = NewState();
            const int s2 = NewState();
            const int from = NewState();
            TRENFAState* t = AddTransition(nkIfMatch, entry, 0, 0, nullptr, s1);
            t->FExtendTo = s2;
            t->FConditionFrom = from;
            AddTransition(nkMatchEnd, s2, 0, 0, nullptr, exit);
            scoped(bin->Right(), entry, exit, s1, exit);
            work.push_back({TBuildItem::baBuild, bin->Left(), from, s2, 0, 0, lkGreedy});
            break;
        }
        case opIfThen: {
            if (bin->Right() != nullptr) {
                const int no = NewState();
                AddTransition(nkIfThen, entry, 0, 0, nullptr, no);
                work.push_back({TBuildItem::baBuild, bin->Right(), no, exit, 0, 0, lkGreedy});
            }
            const int yes = NewState();
            AddTransition(nkIfThen, entry, 0, 0, nullptr, yes);
            work.push_back({TBuildItem::baBuild, bin->Left(), yes, exit, 0, 0, lkGreedy});
            break;
        }
        case opKeepPattern: {
            const int k = NewState();
            AddTransition(nkKeepPattern, entry, 0, 0, nullptr, k);
            work.push_back({TBuildItem::baBuild, bin->Left(), k, exit, 0, 0, lkGreedy});
            break;
        }
        }
    }
}
