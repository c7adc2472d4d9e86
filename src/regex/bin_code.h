// The inner nodes of the syntax tree. A TREBinCode carries an operator and its operands (leaf
// codes or further nodes). Nodes exist only during a compilation; the engine's bin-code list
// owns them, so a tree of any depth is freed without recursion.
#pragma once

#include "regex/code.h"

#include <cstdint>
#include <string>

enum TREOperator : std::uint8_t {
    opEmply,
    opConcat,
    opUnion,
    opGroup,
    opLHead,
    opLTail,
    opQuest,
    opPlus,
    opStar,
    opBound,
    opLoop,
    opAheadMatch,
    opAheadNoMatch,
    opBehindMatch,
    opBehindNoMatch,
    opNoBackTrack,
    opGoSub,
    opIfMatch,
    opIfThen,
    opKeepPattern,
};

enum TRELoopKind : std::uint8_t {
    lkGreedy,
    lkReluctant,
    lkSimpleReluctant,
    lkPossessive,
    lkAny,
    lkCombiningSequence,
};

constexpr int kInfinite = 2147483647;

class TREBinCode : public TRECode {
public:
    TREBinCode(TRxRegExp* ARegExp, TREOperator AOp, TRECode* ALeft, TRECode* ARight, int AMin = 0,
               int AMax = 0)
        : TRECode(ARegExp), FOp(AOp), FLeft(ALeft), FRight(ARight), FMin(AMin), FMax(AMax) {}
    TRECodeKind Kind() const override { return ckBin; }

    TREOperator Op() const { return FOp; }
    TRECode* Left() const { return FLeft; }
    TRECode* Right() const { return FRight; }
    int Min() const { return FMin; }
    int Max() const { return FMax; }
    int GroupIndex() const { return FGroupIndex; }
    const std::u16string& GroupName() const { return FGroupName; }
    TRELoopKind MatchKind() const { return FMatchKind; }
    bool HasRecursion() const { return FHasRecursion; }

    void SetLeft(TRECode* v) { FLeft = v; }
    void SetRight(TRECode* v) { FRight = v; }
    void SetRange(int AMin, int AMax) {
        FMin = AMin;
        FMax = AMax;
    }
    void SetGroupIndex(int v) { FGroupIndex = v; }
    void SetGroupName(std::u16string v) { FGroupName = std::move(v); }
    void SetMatchKind(TRELoopKind v) { FMatchKind = v; }
    void SetHasRecursion(bool v) { FHasRecursion = v; }

private:
    TREOperator FOp;
    TRECode* FLeft;
    TRECode* FRight;
    int FGroupIndex = 0;
    int FMin;
    int FMax;
    TRELoopKind FMatchKind = lkGreedy;
    std::u16string FGroupName;
    bool FHasRecursion = false;
};

// The node behind a code, or nullptr for a leaf.
inline TREBinCode* AsBin(TRECode* c) {
    return c != nullptr && c->Kind() == ckBin ? static_cast<TREBinCode*>(c) : nullptr;
}
inline const TREBinCode* AsBin(const TRECode* c) {
    return c != nullptr && c->Kind() == ckBin ? static_cast<const TREBinCode*>(c) : nullptr;
}
