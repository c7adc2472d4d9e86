#include "sqlconv/ColumnList.h"
#include "sqlconv/sqlconv.h"

namespace quillo::sqlconv {
namespace {

void DropOneTrailingComma(std::u16string& s) {
    if (!s.empty() && s.back() == u',') {
        s.pop_back();
    }
}

// A text default becomes an SQL string literal, so its quotes are doubled; left as they were,
// a default such as O'Brien would end the literal early.
void AppendQuoted(std::u16string& out, std::u16string_view value) {
    out += u'\'';
    for (char16_t c : value) {
        if (c == u'\'') {
            out += u'\'';
        }
        out += c;
    }
    out += u'\'';
}

// One column definition, without the comma or closing of the statement.  Each step that looks
// for a TAB leaves the rest as it was when there is none.
std::u16string ColumnDefinition(std::u16string_view line) {
    const FieldSplit first = SplitAtTab(line);
    std::u16string out = TrimTrailingBlanks(first.head);
    DropOneTrailingComma(out);

    std::u16string_view rest = first.tail;
    const FieldSplit type = SplitAtTab(rest);
    const bool numeric = ContainsAny(AsciiUpper(type.head), kNumericKeywords);
    out += kTab;
    out += type.head;
    rest = type.tail;
    DropOneTrailingComma(out);

    const FieldSplit dflt = SplitAtTab(rest);
    if (!dflt.head.empty()) {
        if (numeric) {
            out += u"\tDEFAULT ";
            out += dflt.head;
        } else {
            out += u" DEFAULT ";
            AppendQuoted(out, dflt.head);
        }
    }
    rest = dflt.tail;

    if (!rest.empty()) {
        out += kTab;
        out += rest;
    }
    return out;
}

} // namespace

std::optional<std::u16string> ConvertToCreateTable(std::u16string_view text) {
    const std::vector<std::u16string_view> lines = SplitLines(text);
    std::u16string result = u"CREATE TABLE new_table(";
    result += kLineBreak;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (lines[i].find(kTab) == std::u16string_view::npos) {
            return std::nullopt;
        }
        result += ColumnDefinition(lines[i]);
        result += i + 1 < lines.size() ? u"," : u");";
        result += kLineBreak;
    }
    return result;
}

} // namespace quillo::sqlconv
