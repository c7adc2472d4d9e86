#include "codepage/DocumentCodes.h"

#include "codepage/codepage.h"

#include <algorithm>
#include <array>
#include <string>

namespace quillo::codepage {
namespace {

constexpr std::array<DocumentCode, 5> kCodes{{
    {kShiftJis,
     CodeForm::ShiftJis,
     "Shift-JIS",
     {},
     "すべてのファイル - ShiftJIS(*.*)",
     "Shift-JIS"},
    {kEucJp, CodeForm::EucJp, "EUC-JP", {}, "すべてのファイル - EUC-JP(*.*)", "EUC-JP"},
    {kUtf8, CodeForm::Utf8, "UTF-8", "\xEF\xBB\xBF", "すべてのファイル - UTF-8(*.*)", "UTF-8"},
    {kUtf16Le, CodeForm::Utf16Le, "UTF-16LE", "\xFF\xFE", "すべてのファイル - Unicode(*.*)",
     "Unicode"},
    {kUtf16Be, CodeForm::Utf16Be, "UTF-16BE", "\xFE\xFF",
     "すべてのファイル - Unicode Big-Endian(*.*)", "Unicode Big endian"},
}};

constexpr const char* kDetectFilter = "すべてのファイル - 自動判別 (*.*)";
constexpr const char* kDetectListName = "自動認識";

} // namespace

std::span<const DocumentCode> DocumentCodes() {
    return kCodes;
}

const DocumentCode* FindDocumentCode(int code) {
    if (code == kUnknownCode) {
        code = kShiftJis;
    }
    const auto it = std::find_if(kCodes.begin(), kCodes.end(),
                                 [code](const DocumentCode& c) { return c.code == code; });
    return it == kCodes.end() ? nullptr : &*it;
}

const DocumentCode& WriterCodeOf(int code) {
    if (const DocumentCode* entry = FindDocumentCode(code)) {
        return *entry;
    }
    throw ECodePageError("文字コード " + std::to_string(code) +
                         " では保存できません。別の文字コードを選んで保存してください。");
}

QStringList OpenFilterList() {
    QStringList list{QString::fromUtf8(kDetectFilter)};
    for (const DocumentCode& c : kCodes) {
        list << QString::fromUtf8(c.filter);
    }
    return list;
}

QStringList RereadList() {
    QStringList list{QString::fromUtf8(kDetectListName)};
    for (const DocumentCode& c : kCodes) {
        list << QString::fromUtf8(c.listName);
    }
    return list;
}

int OpenListCode(int index) {
    return index <= 0 ? kDetectCode : SaveListCode(index - 1);
}

QStringList SaveFilterList() {
    QStringList list;
    for (const DocumentCode& c : kCodes) {
        list << QString::fromUtf8(c.filter);
    }
    return list;
}

int SaveListCode(int index) {
    return kCodes[static_cast<std::size_t>(std::clamp(index, 0, int(kCodes.size()) - 1))].code;
}

int SaveListIndexOf(int code) {
    const DocumentCode* entry = FindDocumentCode(code);
    return entry == nullptr ? -1 : static_cast<int>(entry - kCodes.data());
}

} // namespace quillo::codepage
