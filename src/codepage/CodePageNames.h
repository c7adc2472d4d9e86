#pragma once

#include <string_view>

namespace quillo::codepage {

// iconv's name for a code page number, or nullptr when we know no converter.
const char* IconvNameOf(int code);

// Code page number for a charset name as detectors report it (case does not
// matter), or 0 when the name is unknown.
int CodePageOfCharset(std::string_view name);

} // namespace quillo::codepage
