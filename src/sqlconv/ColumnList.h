#pragma once

// Reading a column list: its lines and the TAB-separated fields of a line.

#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace quillo::sqlconv {

inline constexpr char16_t kTab = u'\t';
inline constexpr std::u16string_view kLineBreak = u"\r\n";

// The lines of a CR LF text, without their breaks.  An empty text has none, and an empty last
// line after a final break is not counted.  The views point into text.
std::vector<std::u16string_view> SplitLines(std::u16string_view text);

// The part of s before its first TAB, and the part after it.  Without a TAB the head is empty
// and the tail is s itself, which is how every field step treats a missing TAB.
struct FieldSplit {
    std::u16string_view head;
    std::u16string_view tail;
    bool hadTab;
};
FieldSplit SplitAtTab(std::u16string_view s);

// ASCII letters upper-cased, everything else kept: the keywords are ASCII, and a locale's
// mapping must not turn other letters (dotless i, long s) into keyword letters.
std::u16string AsciiUpper(std::u16string_view s);

// Whether upper (already upper-cased) contains any of the keywords as a substring.
bool ContainsAny(std::u16string_view upper, std::span<const std::u16string_view> keywords);

// The keywords that make a column numeric.
inline constexpr std::u16string_view kNumericKeywords[] = {
    u"AUTO_UINT", u"TINYINT", u"SMALLINT", u"MEDIUMINT", u"INT",     u"INTEGER", u"BIGINT",
    u"REAL",      u"DOUBLE",  u"FLOAT",    u"DECIMAL",   u"NUMERIC", u"BYTE"};

// Joins items with a comma and no space; an empty item still gets its place.
std::u16string JoinWithCommas(const std::vector<std::u16string>& items);

} // namespace quillo::sqlconv
