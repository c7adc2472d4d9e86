#include "sqlconv/ColumnList.h"

#include "sqlconv/sqlconv.h"

namespace quillo::sqlconv {

std::u16string TrimTrailingBlanks(std::u16string_view s) {
    std::size_t end = s.size();
    while (end > 0 && (s[end - 1] == u' ' || s[end - 1] == u'\u3000')) {
        --end;
    }
    return std::u16string(s.substr(0, end));
}

std::vector<std::u16string_view> SplitLines(std::u16string_view text) {
    std::vector<std::u16string_view> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t brk = text.find(kLineBreak, start);
        if (brk == std::u16string_view::npos) {
            lines.push_back(text.substr(start));
            break;
        }
        lines.push_back(text.substr(start, brk - start));
        start = brk + kLineBreak.size();
    }
    return lines;
}

FieldSplit SplitAtTab(std::u16string_view s) {
    const std::size_t tab = s.find(kTab);
    if (tab == std::u16string_view::npos) {
        return {std::u16string_view{}, s, false};
    }
    return {s.substr(0, tab), s.substr(tab + 1), true};
}

std::u16string AsciiUpper(std::u16string_view s) {
    std::u16string upper(s);
    for (char16_t& c : upper) {
        if (c >= u'a' && c <= u'z') {
            c = static_cast<char16_t>(c - u'a' + u'A');
        }
    }
    return upper;
}

bool ContainsAny(std::u16string_view upper, std::span<const std::u16string_view> keywords) {
    for (std::u16string_view k : keywords) {
        if (upper.find(k) != std::u16string_view::npos) {
            return true;
        }
    }
    return false;
}

std::u16string JoinWithCommas(const std::vector<std::u16string>& items) {
    std::u16string joined;
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (i > 0) {
            joined += u',';
        }
        joined += items[i];
    }
    return joined;
}

} // namespace quillo::sqlconv
