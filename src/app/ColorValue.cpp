// Stored colour values ($00BBGGRR or a system colour) to and from QColor.

#include "app/ColorValue.h"

#include <QGuiApplication>
#include <QPalette>

namespace quillo::app {
namespace {

QColor SystemColor(quint32 index) {
    const QPalette p = QGuiApplication::palette();
    switch (index) {
    case 5: // window background
        return p.color(QPalette::Base);
    case 8:  // window text
    case 18: // button text
        return p.color(QPalette::Text);
    case 13: // highlight
        return p.color(QPalette::Highlight);
    case 14: // highlighted text
        return p.color(QPalette::HighlightedText);
    case 15: // button face
        return p.color(QPalette::Button);
    case 16: // button shadow
        return p.color(QPalette::Mid);
    case 17: // grey text
        return p.color(QPalette::Disabled, QPalette::Text);
    case 20: // button highlight
        return p.color(QPalette::Light);
    default:
        return p.color(QPalette::WindowText);
    }
}

} // namespace

QColor ColorFromValue(quint32 value) {
    if ((value >> 24) == 0xFF) {
        return SystemColor(value & 0xFF);
    }
    return QColor(static_cast<int>(value & 0xFF), static_cast<int>((value >> 8) & 0xFF),
                  static_cast<int>((value >> 16) & 0xFF));
}

quint32 ValueFromColor(const QColor& color) {
    const QColor c = color.toRgb();
    return static_cast<quint32>(c.red()) | (static_cast<quint32>(c.green()) << 8) |
           (static_cast<quint32>(c.blue()) << 16);
}

} // namespace quillo::app
