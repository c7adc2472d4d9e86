// The program: the application object, the Japanese interface and the main window.

#include "accessories/AccessoryResources.h"
#include "accessories/Version.h"
#include "app/Prompts.h"
#include "app/W2kMain.h"
#include "platform/FileNames.h"
#include "platform/FontSubstitutes.h"
#include "platform/ProcessEnd.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("quillo"));
    QApplication::setOrganizationName(QStringLiteral("Orvane"));
    QApplication::setApplicationVersion(QStringLiteral(QUILLO_VERSION));

    // The interface speaks Japanese, the standard dialogs included.
    QLocale::setDefault(QLocale(QLocale::Japanese, QLocale::Japan));
    QTranslator qtTranslator;
    if (qtTranslator.load(QStringLiteral("qt_ja"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        QApplication::installTranslator(&qtTranslator);
    }
    quillo::platform::InstallFontSubstitutes();
    quillo::accessories::InitAccessoryResources();
    quillo::accessories::ReadProgramVersion();
    QGuiApplication::setDesktopFileName(QStringLiteral("quillo"));

    // The names as the file system has them: arguments() would turn a name
    // that is no UTF-8 (a Shift-JIS one) into one that does not exist.  Qt's
    // own options are gone from argv by now.
    QStringList args;
    for (int i = 1; i < argc; ++i) {
        args << quillo::platform::DecodeFileName(argv[i]);
    }
    quillo::app::TDialogPrompts prompts;
    quillo::app::TWin2kAppForm form(args, prompts);
    // Goes before the window: after a normal close nothing more is kept.
    const quillo::platform::TEndWatcher endWatcher(
        [&form](quillo::platform::TEndCause cause) { return form.KeepWorkAtEnd(cause); });
    form.show();
    return QApplication::exec();
}
