// Pictures of the main window for a person to look at: the window with
// Japanese text, a selection and the ruler, and each menu opened.  Run by
// `make screenshots`; the folder to write to is the first argument.  The
// program runs in settings and data folders of its own, so nothing of the
// user's is read or changed.

#include "accessories/AccessoryResources.h"
#include "app/Prompts.h"
#include "app/W2kMain.h"
#include "editing/LfMemo.h"
#include "platform/FontSubstitutes.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QMenu>
#include <QMenuBar>
#include <QTemporaryDir>

#include <cstdio>

int main(int argc, char** argv) {
    QTemporaryDir home;
    for (const char* name : {"XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME"}) {
        qputenv(name, home.filePath(QString::fromLatin1(name)).toLocal8Bit());
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("quillo"));
    quillo::platform::InstallFontSubstitutes();
    quillo::accessories::InitAccessoryResources();
    const QString out = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("screenshots");
    QDir().mkpath(out);

    quillo::app::TDialogPrompts prompts; // nothing below asks anything
    quillo::app::TWin2kAppForm form({QStringLiteral("-q")}, prompts);
    form.show();
    QApplication::processEvents();
    auto* memo = form.findChild<quillo::editing::TLfMemo*>(QStringLiteral("Memo1"));
    memo->SetText(QStringLiteral("吾輩は猫である。名前はまだ無い。\r\n"
                                 "\tどこで生れたかとんと見当がつかぬ。\r\n"
                                 "ｶﾀｶﾅ half-width and ASCII 0123456789\r\n"
                                 "が\u3099ぱ combining, 𠀋 outside the BMP\r\n"));
    memo->SetSelStart(memo->LineIndex(1) + 3);
    memo->SetSelLength(4);
    memo->RepaintStrips();
    QApplication::processEvents();

    int saved = 0;
    const auto save = [&](const QImage& image, const QString& name) {
        if (image.save(out + u'/' + name)) {
            ++saved;
        } else {
            std::fprintf(stderr, "screenshots: cannot write %s\n", qPrintable(name));
        }
    };
    save(form.grab().toImage(), QStringLiteral("main-window.png"));
    int index = 0;
    for (QAction* top : form.menuBar()->actions()) {
        QMenu* menu = top->menu();
        menu->popup(form.mapToGlobal(QPoint(10, 30)));
        QApplication::processEvents();
        save(menu->grab().toImage(), QStringLiteral("menu-%1.png").arg(index++));
        menu->hide();
    }
    std::printf("screenshots: %d pictures in %s\n", saved, qPrintable(out));
    return saved == index + 1 ? 0 : 1;
}
