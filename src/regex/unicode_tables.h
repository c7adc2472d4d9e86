// The generated Unicode tables (unicode_tables.cpp, written by tools/gen_unicode_tables.py).
// Receives nothing; guarantees constant data for every code point 0..U+10FFFF, readable from
// any thread. The accessors in unicode_props and text_services are the only readers.
#pragma once

#include <cstdint>

namespace quillo::regex::tables {

constexpr int kStageShift = 7;
constexpr std::uint32_t kStageMask = (1u << kStageShift) - 1;
constexpr int kBlockCount = 197;

extern const char kUnicodeVersion[];
extern const std::uint16_t kPropStage1[0x110000 >> kStageShift];
extern const std::uint16_t kPropStage2[];
extern const std::uint32_t kBlockRanges[kBlockCount * 2];
extern const std::uint8_t kCaseStage1[0x110000 >> kStageShift];
extern const std::uint8_t kCaseStage2[];
extern const std::int32_t kCaseDeltas[];
extern const std::uint32_t kWidthPairs[];
extern const int kWidthPairCount;

} // namespace quillo::regex::tables
