// TREParser reads the lexer's tokens by recursive descent and builds the syntax tree of one
// expression into the engine (FCode, with the leaves in FCodeList and the nodes in
// FBinCodeList). It numbers and names the capture groups in the group table, checks references
// and calls, and rejects what the matcher cannot run. Receives an engine whose code lists are
// empty and whose group table holds group 0 alone. Guarantees: on success every reference and
// call names an existing group and every look-behind carries its exact length range in
// characters; nesting is limited (kMaxNestLevel) and every walk over the tree uses an explicit
// stack, so no expression can exhaust the machine stack; every failure is an ERxRegExpCompile.
#pragma once

#include "regex/bin_code.h"
#include "regex/lexer.h"

#include <string>
#include <string_view>
#include <vector>

class TRxRegExp;
class TRENamedReferenceCode;

class TREParser {
public:
    // Deepest nesting of groups, look-arounds, conditions and inline-option scopes.
    static constexpr int kMaxNestLevel = 1000;
    // Most tree nodes and leaves one expression may make.
    static constexpr std::size_t kMaxCodes = 1000000;

    TREParser(TRxRegExp& ARegExp, std::u16string_view Expression);
    void Parse();

private:
    struct TDeferredCheck {
        int Pos;
        int GroupIndex;
        std::u16string GroupName;
        TRENamedReferenceCode* Code;
    };

    TRECode* ParseUnion();
    TRECode* ParseBranch();
    TRECode* ParseRepeat();
    TRECode* ParseFactor();
    // Helpers off the recursive path are kept out of line, so that each level of nesting costs
    // only the small frames of the recursive functions.
    [[gnu::noinline]] TRECode* ParseSimpleAtom();
    [[gnu::noinline]] TREBinCode* OpenCaptureGroup();
    [[gnu::noinline]] TRECode* ParseReferenceCondition();
    [[gnu::noinline]] TRECode* MakeLeaf();
    [[gnu::noinline]] TRECode* ParseLiteral();
    [[gnu::noinline]] void CheckLookBehind(TREOperator Op, const TRECode* Body, int& AMin,
                                           int& AMax);
    TRECode* ParseParenthesized(TREOperator Op);
    TRECode* ParseLookBehind(TREOperator Op);
    TRECode* ParseCaptureGroup();
    [[gnu::noinline]] TRECode* ParseCharClass();
    [[gnu::noinline]] TRECode* ParseNamedReference();
    [[gnu::noinline]] TRECode* ParseGoSub();
    TRECode* ParseCondition();
    TRECode* ParseBranchReset();
    [[gnu::noinline]] TRECode* ApplyQuantifier(TRECode* Atom);
    [[gnu::noinline]] TRECode* ExpandQuantifier(TRECode* Atom, int AMin, int AMax, bool Suffixed);
    [[gnu::noinline]] void RunDeferredChecks();
    [[gnu::noinline]] void CheckNeverEndingRecursion(TRECode* Body, int GroupIndex);

    void Enter();
    void Leave() { --FNestLevel; }
    TRECode* Leaf(std::unique_ptr<TRECode> Code);
    TREBinCode* Bin(TREOperator Op, TRECode* Left = nullptr, TRECode* Right = nullptr, int AMin = 0,
                    int AMax = 0);
    bool IsOpenGroup(int GroupIndex) const;
    // 1-based position of the last character of the current token, for deferred checks.
    int TokenEndPos() const;
    bool Traditional() const;

    TRxRegExp& FRegExp;
    TRELex FLex;
    int FCurrentGroup = 0;
    int FGroupLevel = 0;
    int FGroupCount = 0;
    bool FHasRecursion = false;
    std::vector<TDeferredCheck> FReferenceErrorList;
    std::vector<TDeferredCheck> FGoSubErrorList;
    std::vector<int> FGroupStack;
    int FNestLevel = 0;
};

// Shortest and longest match of a subtree in characters; false when it has no upper bound.
bool ComputeCharRange(const TRECode* Code, int& AMin, int& AMax);
