#include "codepage/CodePageNames.h"

#include <array>
#include <cctype>

namespace quillo::codepage {
namespace {

struct Entry {
    int code;
    const char* iconv;
    std::array<const char*, 4> aliases; // detector names besides the iconv one
};

// Codes a detector may name, with the converter used for each.
constexpr Entry kEntries[] = {
    {932, "CP932", {"SHIFT_JIS", "SHIFT-JIS", "SJIS", "WINDOWS-31J"}},
    {51932, "EUC-JP-MS", {"EUC-JP", "EUCJP", nullptr, nullptr}},
    {65001, "UTF-8", {nullptr, nullptr, nullptr, nullptr}},
    {1200, "UTF-16LE", {nullptr, nullptr, nullptr, nullptr}},
    {1201, "UTF-16BE", {nullptr, nullptr, nullptr, nullptr}},
    {12000, "UTF-32LE", {nullptr, nullptr, nullptr, nullptr}},
    {12001, "UTF-32BE", {nullptr, nullptr, nullptr, nullptr}},
    {20127, "ASCII", {"US-ASCII", nullptr, nullptr, nullptr}},
    {50220, "ISO-2022-JP", {nullptr, nullptr, nullptr, nullptr}},
    {1250, "CP1250", {"WINDOWS-1250", nullptr, nullptr, nullptr}},
    {1251, "CP1251", {"WINDOWS-1251", nullptr, nullptr, nullptr}},
    {1252, "CP1252", {"WINDOWS-1252", nullptr, nullptr, nullptr}},
    {1253, "CP1253", {"WINDOWS-1253", nullptr, nullptr, nullptr}},
    {1254, "CP1254", {"WINDOWS-1254", nullptr, nullptr, nullptr}},
    {1255, "CP1255", {"WINDOWS-1255", nullptr, nullptr, nullptr}},
    {1256, "CP1256", {"WINDOWS-1256", nullptr, nullptr, nullptr}},
    {1257, "CP1257", {"WINDOWS-1257", nullptr, nullptr, nullptr}},
    {1258, "CP1258", {"WINDOWS-1258", nullptr, nullptr, nullptr}},
    {874, "CP874", {"TIS-620", "WINDOWS-874", "ISO-8859-11", nullptr}},
    {936, "GBK", {"GB2312", "EUC-CN", nullptr, nullptr}},
    {54936, "GB18030", {nullptr, nullptr, nullptr, nullptr}},
    {950, "BIG5", {"BIG-5", nullptr, nullptr, nullptr}},
    {949, "CP949", {"UHC", "EUC-KR", nullptr, nullptr}},
    {1361, "JOHAB", {nullptr, nullptr, nullptr, nullptr}},
    {51950, "EUC-TW", {nullptr, nullptr, nullptr, nullptr}},
    {50225, "ISO-2022-KR", {nullptr, nullptr, nullptr, nullptr}},
    {50227, "ISO-2022-CN", {nullptr, nullptr, nullptr, nullptr}},
    {52936, "HZ", {"HZ-GB-2312", nullptr, nullptr, nullptr}},
    {20866, "KOI8-R", {nullptr, nullptr, nullptr, nullptr}},
    {21866, "KOI8-U", {nullptr, nullptr, nullptr, nullptr}},
    {866, "CP866", {"IBM866", nullptr, nullptr, nullptr}},
    {855, "CP855", {"IBM855", nullptr, nullptr, nullptr}},
    {852, "CP852", {"IBM852", nullptr, nullptr, nullptr}},
    {437, "CP437", {"IBM437", nullptr, nullptr, nullptr}},
    {10000, "MACINTOSH", {"MAC-ROMAN", nullptr, nullptr, nullptr}},
    {10007, "MAC-CYRILLIC", {"X-MAC-CYRILLIC", nullptr, nullptr, nullptr}},
    {10029, "MAC-CENTRALEUROPE", {nullptr, nullptr, nullptr, nullptr}},
    {28591, "ISO-8859-1", {nullptr, nullptr, nullptr, nullptr}},
    {28592, "ISO-8859-2", {nullptr, nullptr, nullptr, nullptr}},
    {28593, "ISO-8859-3", {nullptr, nullptr, nullptr, nullptr}},
    {28594, "ISO-8859-4", {nullptr, nullptr, nullptr, nullptr}},
    {28595, "ISO-8859-5", {nullptr, nullptr, nullptr, nullptr}},
    {28596, "ISO-8859-6", {nullptr, nullptr, nullptr, nullptr}},
    {28597, "ISO-8859-7", {nullptr, nullptr, nullptr, nullptr}},
    {28598, "ISO-8859-8", {nullptr, nullptr, nullptr, nullptr}},
    {28599, "ISO-8859-9", {nullptr, nullptr, nullptr, nullptr}},
    {28603, "ISO-8859-13", {nullptr, nullptr, nullptr, nullptr}},
    {28605, "ISO-8859-15", {nullptr, nullptr, nullptr, nullptr}},
    {65000, "UTF-7", {nullptr, nullptr, nullptr, nullptr}},
};

bool sameName(std::string_view a, const char* b) {
    std::size_t i = 0;
    for (; i < a.size() && b[i] != '\0'; ++i) {
        if (std::toupper(static_cast<unsigned char>(a[i])) !=
            std::toupper(static_cast<unsigned char>(b[i]))) {
            return false;
        }
    }
    return i == a.size() && b[i] == '\0';
}

} // namespace

const char* IconvNameOf(int code) {
    for (const Entry& e : kEntries) {
        if (e.code == code) {
            return e.iconv;
        }
    }
    return nullptr;
}

int CodePageOfCharset(std::string_view name) {
    for (const Entry& e : kEntries) {
        if (sameName(name, e.iconv)) {
            return e.code;
        }
        for (const char* alias : e.aliases) {
            if (alias != nullptr && sameName(name, alias)) {
                return e.code;
            }
        }
    }
    return 0;
}

} // namespace quillo::codepage
