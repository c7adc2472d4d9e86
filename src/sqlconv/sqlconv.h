#pragma once

// The SQL conversion commands: each takes the whole text of the document (lines separated by
// CR LF) and gives the whole text that replaces it.  A column list has one column per line,
// fields separated by TAB, the column name first.  An empty last line after a final line break
// is not a line of the list.  Lines are read whole, however long.

#include <optional>
#include <string>
#include <string_view>

namespace quillo::sqlconv {

// s without its trailing run of spaces (U+0020) and ideographic spaces (U+3000).
std::u16string TrimTrailingBlanks(std::u16string_view s);

// Each conversion gives std::nullopt when a line of the list has no TAB: the command then leaves
// the document as it is.  Otherwise it gives the new text, which may equal the old one (the
// read conversion of an empty text).

// "CREATE TABLE new_table(" and one column definition per line; every line ends in CR LF.
std::optional<std::u16string> ConvertToCreateTable(std::u16string_view text);

// One C# statement per column that reads it from a data reader; every line ends in CR LF.
std::optional<std::u16string> ConvertToCSharpRead(std::u16string_view text);

// A C# statement that formats an INSERT command: two lines, no line break at the end.
std::optional<std::u16string> ConvertToCSharpInsert(std::u16string_view text);

// A C# statement that formats an UPDATE command: two lines, no line break at the end.
std::optional<std::u16string> ConvertToCSharpUpdate(std::u16string_view text);

} // namespace quillo::sqlconv
