// Reading and writing the main window's sixteen stored values; a value that is
// missing or of the wrong type is left out of what is read.

#include "app/AppSettings.h"

#include "app/AppStrings.h"
#include "platform/SettingsStore.h"

#include <QSettings>

namespace quillo::app {
namespace {

using platform::ReadBool;
using platform::ReadInteger;

std::optional<int> ReadInt(const QSettings& s, const char* name) {
    const auto v = ReadInteger(s, QString::fromLatin1(name));
    if (!v || *v < INT_MIN || *v > INT_MAX) {
        return std::nullopt;
    }
    return static_cast<int>(*v);
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
    if (const auto size = ReadInt(s, "Font-Size"); size && *size > 0) {
        r.Font.Size = *size;
    }
    ReadFlag(s, "Font-Italic", r.Font.Italic);
    ReadFlag(s, "Font-Bold", r.Font.Bold);
    ReadFlag(s, "Font-UnderLine", r.Font.UnderLine);
    ReadFlag(s, "Font-StrikeOut", r.Font.StrikeOut);
    if (const auto color = ReadInteger(s, QStringLiteral("Font-Color"))) {
        r.Font.Color = static_cast<quint32>(*color);
    }

    r.MarginLeft = ReadInt(s, "PrintMargin-Left");
    r.MarginTop = ReadInt(s, "PrintMargin-Top");
    r.MarginRight = ReadInt(s, "PrintMargin-Right");
    r.MarginBottom = ReadInt(s, "PrintMargin-Bottom");
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
