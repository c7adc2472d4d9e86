#pragma once

// The help window: the program's HTML help pages, opened at their table of
// contents, with back, forward and contents buttons.

#include <QMainWindow>
#include <QString>
#include <QUrl>

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

// A page of the help: help/ja/<page> in the program's shared data folder
// (installed), or beside the program, or in the source tree of this build;
// empty when none exists.
QString HelpPagePath(const QString& page);
// The table of contents, help/ja/index.html.
QString HelpContentsPath();

// Shows the one help window of the program at its table of contents.
THelpWindow* ShowHelpContents(QWidget* caller);
// Closes the help window when it is open (the program is ending).
void CloseHelp();

// The support page installed with the help (how to report a problem, where
// the settings and backups are); empty when the help is missing.
QUrl SupportPageAddress();
// Opens the support page in the desktop's browser, or in the help window
// when the desktop cannot; false when there is no page to open.
bool OpenSupportPage(QWidget* caller);

} // namespace quillo::accessories
