#pragma once

// The help window: the program's HTML help pages, opened at their table of
// contents, with back, forward and contents buttons.

#include <QMainWindow>
#include <QString>

class QTextBrowser;
class QAction;

namespace quillo::accessories {

class THelpWindow : public QMainWindow {
    Q_OBJECT

public:
    explicit THelpWindow(QWidget* parent = nullptr);

    // Shows the table of contents; a missing help folder shows a message instead.
    void ShowContents();
    QTextBrowser* Browser() const { return FBrowser; }

private:
    QTextBrowser* FBrowser;
    QAction* FBack;
    QAction* FForward;
};

// The table of contents: help/ja/index.html in the program's shared data
// folder (installed), or beside the program, or in the source tree of this
// build; empty when none exists.
QString HelpContentsPath();

// Shows the one help window of the program at its table of contents.
THelpWindow* ShowHelpContents(QWidget* caller);
// Closes the help window when it is open (the program is ending).
void CloseHelp();

// The support page, set when the program is built.
QString SupportPageAddress();
// Opens the support page in the desktop's browser; false when it could not.
bool OpenSupportPage();

} // namespace quillo::accessories
