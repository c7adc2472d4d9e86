#pragma once

// What the document search tells the user goes through this interface; the
// main window shows real message boxes, tests answer from a script.

#include <QMessageBox>
#include <QString>

namespace quillo::search {

enum class TSearchMsgType { mtWarning, mtError, mtInformation, mtConfirmation };

class TSearchPrompts {
public:
    virtual ~TSearchPrompts() = default;
    // Shows a message box; returns the button pressed.
    virtual QMessageBox::StandardButton MessageDlg(const QString& text, TSearchMsgType type,
                                                   QMessageBox::StandardButtons buttons) = 0;
};

} // namespace quillo::search
