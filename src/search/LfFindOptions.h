#pragma once

// The options a press of one of the find dialog's buttons carries, and the
// store that holds a dialog's search history.

#include <cstdint>

namespace quillo::search {

// Bit n of a TLfFindOptions set stands for the member with ordinal n.
enum TLfFindOption : std::uint8_t {
    frmDown,
    frmFindNext,
    frmHideMatchCase,
    frmHideWholeWord,
    frmHideUpDown,
    frmMatchCase,
    frmDisableMatchCase,
    frmDisableUpDown,
    frmDisableWholeWord,
    frmReplace,
    frmReplaceAll,
    frmWholeWord,
    frmShowHelp,
    frmUseRegex,
    frmMultiLine,
    frmFindCursor,
    frmFindTop,
};

using TLfFindOptions = std::uint32_t;

constexpr TLfFindOptions FindOptionBit(TLfFindOption o) {
    return TLfFindOptions{1} << o;
}
constexpr bool HasFindOption(TLfFindOptions set, TLfFindOption o) {
    return (set & FindOptionBit(o)) != 0;
}

// The hive a history is kept in.  Only the current user's settings store
// exists here; the other members are kept so that settings written elsewhere
// still name a valid value, and all of them use that one store.
enum TLfRootKey : std::uint8_t {
    regHKEY_CLASSES_ROOT,
    regHKEY_CURRENT_USER,
    regHKEY_LOCAL_MACHINE,
    regHKEY_USERS,
    regHKEY_PERFORMANCE_DATA,
    regHKEY_CURRENT_CONFIG,
    regHKEY_DYN_DATA,
};

// The commands a dialog window sends to its component.
enum class TLfFindCommand : std::uint8_t { fcFindNext, fcReplace, fcReplaceAll };

} // namespace quillo::search
