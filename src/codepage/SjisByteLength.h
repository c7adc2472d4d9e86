#pragma once

#include <cstdint>
#include <string_view>

namespace quillo::codepage {

// Number of bytes a UTF-16 code unit takes in CP932: 1 for ASCII and half-width
// katakana, 2 for double-byte characters.  A unit CP932 cannot hold counts as 1,
// as a substitute byte would.  The tables of JapaneseTables answer it.
int Cp932UnitBytes(char16_t unit);

// Bytes of the CP932 form of a text; a surrogate pair (never in CP932) counts 1.
std::int64_t Cp932ByteLength(std::u16string_view text);

} // namespace quillo::codepage
