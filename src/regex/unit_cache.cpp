// Which codes may be answered from a unit cache.
#include "regex/unit_cache.h"

#include "regex/code.h"

namespace {

bool Folds(TRECompareOptions options) {
    return (options & (CompareBit(coIgnoreWidth) | CompareBit(coIgnoreKana))) != 0;
}

bool FoldsOption(TREOptions options) {
    return HasOption(options, roIgnoreWidth) || HasOption(options, roIgnoreKana);
}

} // namespace

bool TREUnitCache::IsContextFree(const TRECode* Code) {
    switch (Code->Kind()) {
    case ckAnyChar:
    case ckWordChar:
    case ckDigitChar:
    case ckHexDigitChar:
    case ckSpaceChar:
    case ckHorizontalSpaceChar:
    case ckVerticalSpaceChar:
    case ckProperty:
        return true;
    case ckChar: {
        const auto* c = static_cast<const TRECharCode*>(Code);
        return c->GetLength() == 1 && !Folds(c->CompareOptions());
    }
    case ckRangeChar:
        return !Folds(static_cast<const TRERangeCharCode*>(Code)->CompareOptions());
    case ckCharClass: {
        const auto* c = static_cast<const TRECharClassCode*>(Code);
        if (FoldsOption(c->Options())) {
            return false;
        }
        for (int i = 0; i < c->MemberCount(); ++i) {
            if (!IsContextFree(c->Member(i))) {
                return false;
            }
        }
        return true;
    }
    default:
        return false;
    }
}
