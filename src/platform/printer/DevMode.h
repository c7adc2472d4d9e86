#pragma once

// The job settings of one printer, kept in our own record.  Field names and
// flag values follow the device-mode record that printer drivers have long
// used, so that the printer model reads the same on every platform; the CUPS
// back end translates the record to job attributes.

#include <cstdint>

namespace quillo::platform {

inline constexpr std::uint32_t DM_ORIENTATION = 0x00000001;
inline constexpr std::uint32_t DM_PAPERSIZE = 0x00000002;
inline constexpr std::uint32_t DM_PAPERLENGTH = 0x00000004;
inline constexpr std::uint32_t DM_PAPERWIDTH = 0x00000008;
inline constexpr std::uint32_t DM_SCALE = 0x00000010;
inline constexpr std::uint32_t DM_COPIES = 0x00000100;
inline constexpr std::uint32_t DM_DEFAULTSOURCE = 0x00000200;
inline constexpr std::uint32_t DM_PRINTQUALITY = 0x00000400;
inline constexpr std::uint32_t DM_COLOR = 0x00000800;
inline constexpr std::uint32_t DM_DUPLEX = 0x00001000;
inline constexpr std::uint32_t DM_YRESOLUTION = 0x00002000;
inline constexpr std::uint32_t DM_TTOPTION = 0x00004000;
inline constexpr std::uint32_t DM_COLLATE = 0x00008000;
inline constexpr std::uint32_t DM_FORMNAME = 0x00010000;
inline constexpr std::uint32_t DM_LOGPIXELS = 0x00020000;
inline constexpr std::uint32_t DM_MEDIATYPE = 0x02000000;
inline constexpr std::uint32_t DM_DITHERTYPE = 0x04000000;

// The paper number of a size given in dmPaperWidth and dmPaperLength.
inline constexpr std::int16_t DMPAPER_USER = 256;

// Negative print qualities name a quality instead of a resolution.
inline constexpr std::int16_t DMRES_DRAFT = -1;
inline constexpr std::int16_t DMRES_LOW = -2;
inline constexpr std::int16_t DMRES_MEDIUM = -3;
inline constexpr std::int16_t DMRES_HIGH = -4;

struct DevMode {
    std::uint32_t dmFields = 0;
    std::int16_t dmOrientation = 1; // 1 portrait, 2 landscape
    std::int16_t dmPaperSize = 0;   // paper number, DMPAPER_USER for a user size
    std::int16_t dmPaperLength = 0; // tenths of a millimetre
    std::int16_t dmPaperWidth = 0;  // tenths of a millimetre
    std::int16_t dmScale = 100;     // percent
    std::int16_t dmCopies = 1;
    std::int16_t dmDefaultSource = 0; // bin number
    std::int16_t dmPrintQuality = 0;  // x resolution in dpi, or a DMRES_ value
    std::int16_t dmColor = 1;         // 1 monochrome, 2 colour
    std::int16_t dmDuplex = 1;        // 1 simplex, 2 vertical, 3 horizontal
    std::int16_t dmYResolution = 0;
    std::int16_t dmCollate = 0; // 0 or 1

    bool operator==(const DevMode&) const = default;
};

} // namespace quillo::platform
