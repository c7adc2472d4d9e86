#pragma once

// Line breaks of the text model: every break is CR LF.  Text that comes from
// outside (a file, the clipboard, an input method) is brought to that form here.

#include <QString>
#include <QStringView>

namespace quillo::document {

// Every CR LF, lone CR and lone LF as CR LF; the string itself when it holds
// none of the lone ones.
QString ToCrLf(const QString& text);
// True when the text holds a CR without its LF or an LF without its CR.
bool HasLoneBreak(QStringView text);
// Where position `pos` of `text` lands once ToCrLf has made its lone breaks
// CR LF; pos = text.size() gives the length of the result.
qsizetype CrLfPosition(QStringView text, qsizetype pos);

} // namespace quillo::document
