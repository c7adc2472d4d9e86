#pragma once

// Enumerations and sets of the printer model.  The order of each enumeration
// is the bit order of its set.

#include <cstdint>
#include <initializer_list>

namespace quillo::printing {

enum class THxPrintCap {
    hxPcOrientation,
    hxPcPaperSize,
    hxPcPaperlength,
    hxPcPaperWidth,
    hxPcScale,
    hxPcCopies,
    hxPcDefaultSource,
    hxPcPrintQuality,
    hxPcColor,
    hxPcDuplex,
    hxPcYResolution,
    hxPcTTOption,
    hxPcCollate,
    hxPcFormName,
    hxPcLogPixels,
    hxPcMediaType,
    hxPcDitherType,
};

enum class THxPaperOrientation { hxOrPortrait, hxOrLandScape };

enum class THxDuplex { hxDupSimplex, hxDupHorizontal, hxDupVertical };

enum class THxAvailInfo { hxAvPaperSize, hxAvBin, hxAvQuality, hxAvMaxCopies };

template <typename E> class THxSet {
public:
    constexpr THxSet() = default;
    constexpr THxSet(std::initializer_list<E> members) {
        for (E m : members) {
            Include(m);
        }
    }
    constexpr bool Contains(E m) const { return (FBits & Bit(m)) != 0; }
    constexpr void Include(E m) { FBits |= Bit(m); }
    constexpr void Exclude(E m) { FBits &= ~Bit(m); }
    constexpr bool Empty() const { return FBits == 0; }
    constexpr std::uint32_t Bits() const { return FBits; }
    constexpr bool operator==(const THxSet&) const = default;

private:
    static constexpr std::uint32_t Bit(E m) { return std::uint32_t{1} << static_cast<int>(m); }
    std::uint32_t FBits = 0;
};

using THxPrintCaps = THxSet<THxPrintCap>;
using THxAvailInfos = THxSet<THxAvailInfo>;

// The device-mode field flag that stands for each capability.
std::uint32_t HxPrintCapFlag(THxPrintCap cap);

// Capabilities whose flag is set in a dmFields word.
THxPrintCaps HxPrintCapsFromFields(std::uint32_t fields);

struct THxPoint {
    int X = 0;
    int Y = 0;
    bool operator==(const THxPoint&) const = default;
};

} // namespace quillo::printing
