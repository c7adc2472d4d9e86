// Reading and writing the main window's sixteen stored values; a value that is
// missing or of the wrong type is left out of what is read.

#include "app/AppSettings.h"

#include "app/AppStrings.h"
#include "platform/SettingsStore.h"

#include <QSettings>

#include <algorithm>

namespace quillo::app {
namespace {

using platform::ReadBool;
using platform::ReadInteger;

// What a stored number may be: anything else costs time or space for
// nothing (a font of a million points, a margin wider than any page).
constexpr int kMinFontPoints = 1;
constexpr int kMaxFontPoints = 200;
constexpr int kMaxMargin = 50000; // half a metre

std::optional<int> ReadInt(const QSettings& s, const char* name) {
    const auto v = ReadInteger(s, QString::fromLatin1(name));
    if (!v || *v < INT_MIN || *v > INT_MAX) {
        return std::nullopt;
    }
    return static_cast<int>(*v);
}

std::optional<int> ReadMargin(const QSettings& s, const char* name) {
    const auto v = ReadInt(s, name);
    return v ? std::optional(std::clamp(*v, 0, kMaxMargin)) : std::nullopt;
}

void ReadFlag(const QSettings& s, const char* name, bool& target) {
    if (const auto v = ReadBool(s, QString::fromLatin1(name))) {
        target = *v;
    }
}

} // namespace

TAppSettingsRead ReadAppSettings(const QSettings& s) {
    TAppSettingsRead r;
    r.WindowLeft = ReadInt(s, "Window-Left");
    r.WindowTop = ReadInt(s, "Window-Top");
    r.WindowWidth = ReadInt(s, "Window-Width");
    r.WindowHeight = ReadInt(s, "Window-Height");

    r.Font.Name = strings::DesignFontName;
    if (const auto name = platform::ReadString(s, QStringLiteral("Font-Name"))) {
        r.Font.Name = *name;
    }
    if (const auto size = ReadInt(s, "Font-Size"); size && *size >= kMinFontPoints) {
        r.Font.Size = std::min(*size, kMaxFontPoints);
    }
    ReadFlag(s, "Font-Italic", r.Font.Italic);
    ReadFlag(s, "Font-Bold", r.Font.Bold);
    ReadFlag(s, "Font-UnderLine", r.Font.UnderLine);
    ReadFlag(s, "Font-StrikeOut", r.Font.StrikeOut);
    if (const auto color = ReadInteger(s, QStringLiteral("Font-Color"))) {
        r.Font.Color = static_cast<quint32>(*color);
    }

    r.MarginLeft = ReadMargin(s, "PrintMargin-Left");
    r.MarginTop = ReadMargin(s, "PrintMargin-Top");
    r.MarginRight = ReadMargin(s, "PrintMargin-Right");
    r.MarginBottom = ReadMargin(s, "PrintMargin-Bottom");
    r.UseBOM = ReadBool(s, QStringLiteral("File-UseBOM"));
    return r;
}

void WriteAppSettings(QSettings& s, const TAppSettingsWrite& v) {
    s.setValue(QStringLiteral("Window-Left"), v.WindowLeft);
    s.setValue(QStringLiteral("Window-Top"), v.WindowTop);
    s.setValue(QStringLiteral("Window-Width"), v.WindowWidth);
    s.setValue(QStringLiteral("Window-Height"), v.WindowHeight);
    s.setValue(QStringLiteral("Font-Name"), v.Font.Name);
    s.setValue(QStringLiteral("Font-Size"), v.Font.Size);
    s.setValue(QStringLiteral("Font-Italic"), v.Font.Italic ? 1 : 0);
    s.setValue(QStringLiteral("Font-Bold"), v.Font.Bold ? 1 : 0);
    s.setValue(QStringLiteral("Font-UnderLine"), v.Font.UnderLine ? 1 : 0);
    s.setValue(QStringLiteral("Font-StrikeOut"), v.Font.StrikeOut ? 1 : 0);
    s.setValue(QStringLiteral("File-UseBOM"), v.UseBOM ? 1 : 0);
    s.setValue(QStringLiteral("Font-Color"), v.Font.Color);
    s.setValue(QStringLiteral("PrintMargin-Left"), v.Margins.Left);
    s.setValue(QStringLiteral("PrintMargin-Top"), v.Margins.Top);
    s.setValue(QStringLiteral("PrintMargin-Right"), v.Margins.Right);
    s.setValue(QStringLiteral("PrintMargin-Bottom"), v.Margins.Bottom);
    s.sync();
    if (s.status() != QSettings::NoError) {
        throw std::runtime_error("settings could not be written");
    }
}

} // namespace quillo::app
