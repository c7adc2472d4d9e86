#pragma once

// The main window's sixteen stored values.

#include "printing/PageMargins.h"

#include <QString>

#include <optional>

class QSettings;

namespace quillo::app {

struct TStoredFont {
    QString Name;
    int Size = 12; // points
    bool Italic = false;
    bool Bold = false;
    bool UnderLine = false;
    bool StrikeOut = false;
    quint32 Color = 0;
};

// hundredths of a millimetre
using TPrintMargins = printing::TPageMargins;

// What the store held; absent values stay empty, the font starts from the
// stored defaults ("ＭＳ ゴシック", 12 points, no style, black).  Numbers out
// of their range are brought into it: a font size to 1 to 200 points, a
// margin to 0 to 50000; the window's place is the window's to fit.
struct TAppSettingsRead {
    std::optional<int> WindowLeft, WindowTop, WindowWidth, WindowHeight;
    TStoredFont Font;
    std::optional<int> MarginLeft, MarginTop, MarginRight, MarginBottom;
    std::optional<bool> UseBOM;
};

struct TAppSettingsWrite {
    int WindowLeft = 0, WindowTop = 0, WindowWidth = 0, WindowHeight = 0;
    TStoredFont Font;
    bool UseBOM = false;
    TPrintMargins Margins;
};

// Reads the values present at the top of the store.
TAppSettingsRead ReadAppSettings(const QSettings& settings);
// Writes all sixteen values, in their fixed order.
void WriteAppSettings(QSettings& settings, const TAppSettingsWrite& values);

} // namespace quillo::app
