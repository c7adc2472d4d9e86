#pragma once

#include <QColor>
#include <QtGlobal>

namespace quillo::app {

// Stored colours keep the old form: $00BBGGRR for an RGB colour, or a system
// colour with high byte $FF and the system colour's index below.
QColor ColorFromValue(quint32 value);
quint32 ValueFromColor(const QColor& color);

} // namespace quillo::app
