#pragma once

#include <initializer_list>
#include <string>
#include <string_view>

// Test texts are written with "→" for TAB; Text() joins lines, each ending in CR LF.
inline std::u16string Tabs(std::u16string_view s) {
    std::u16string out(s);
    for (char16_t& c : out) {
        if (c == u'→') {
            c = u'\t';
        }
    }
    return out;
}

inline std::u16string Text(std::initializer_list<std::u16string_view> lines) {
    std::u16string out;
    for (std::u16string_view line : lines) {
        out += Tabs(line);
        out += u"\r\n";
    }
    return out;
}
