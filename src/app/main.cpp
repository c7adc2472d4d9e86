// The program: the application object, the Japanese interface and the main window.

#include "accessories/AccessoryResources.h"
#include "accessories/Version.h"
#include "app/Prompts.h"
#include "app/W2kMain.h"
#include "platform/FontSubstitutes.h"

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

    QStringList args = QApplication::arguments();
    args.removeFirst();
    quillo::app::TDialogPrompts prompts;
    quillo::app::TWin2kAppForm form(args, prompts);
    form.show();
    return QApplication::exec();
}
