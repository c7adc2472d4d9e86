// The help window over the program's HTML help pages, and the support page.

#include "accessories/HelpWindow.h"

#include <QAction>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QFileInfo>
#include <QPointer>
#include <QTextBrowser>
#include <QToolBar>
#include <QUrl>

namespace quillo::accessories {

namespace {

QPointer<THelpWindow>& TheHelpWindow() {
    static QPointer<THelpWindow> window;
    return window;
}

} // namespace

THelpWindow::THelpWindow(QWidget* parent) : QMainWindow(parent), FBrowser(new QTextBrowser(this)) {
    setWindowTitle(QStringLiteral("quillo ヘルプ"));
    setAttribute(Qt::WA_DeleteOnClose);
    resize(720, 560);
    FBrowser->setOpenExternalLinks(true);
    setCentralWidget(FBrowser);

    QToolBar* bar = addToolBar(QStringLiteral("ヘルプ"));
    bar->setMovable(false);
    FBack = bar->addAction(QStringLiteral("戻る"), FBrowser, &QTextBrowser::backward);
    FForward = bar->addAction(QStringLiteral("進む"), FBrowser, &QTextBrowser::forward);
    bar->addAction(QStringLiteral("目次"), this, &THelpWindow::ShowContents);
    FBack->setEnabled(false);
    FForward->setEnabled(false);
    connect(FBrowser, &QTextBrowser::backwardAvailable, FBack, &QAction::setEnabled);
    connect(FBrowser, &QTextBrowser::forwardAvailable, FForward, &QAction::setEnabled);
    connect(FBrowser, &QTextBrowser::sourceChanged, this, [this] {
        setWindowTitle(FBrowser->documentTitle() + QStringLiteral(" - quillo ヘルプ"));
    });
}

void THelpWindow::ShowContents() {
    const QString path = HelpContentsPath();
    if (path.isEmpty()) {
        FBrowser->setHtml(QStringLiteral("<p>ヘルプファイルが見つかりません。</p>"));
        return;
    }
    FBrowser->setSource(QUrl::fromLocalFile(path));
}

QString HelpContentsPath() {
    const QString app = QCoreApplication::applicationDirPath();
    const QStringList candidates = {
        app + QStringLiteral("/../share/quillo/help/ja/index.html"),
        app + QStringLiteral("/help/ja/index.html"),
        QStringLiteral(QUILLO_HELP_SOURCE_DIR "/ja/index.html"),
    };
    for (const QString& c : candidates) {
        const QFileInfo info(c);
        if (info.isFile()) {
            return info.canonicalFilePath();
        }
    }
    return {};
}

THelpWindow* ShowHelpContents(QWidget* caller) {
    QPointer<THelpWindow>& window = TheHelpWindow();
    if (window.isNull()) {
        window = new THelpWindow(caller);
    }
    window->ShowContents();
    window->show();
    window->raise();
    window->activateWindow();
    return window;
}

void CloseHelp() {
    if (QPointer<THelpWindow>& window = TheHelpWindow(); !window.isNull()) {
        window->close();
    }
}

QString SupportPageAddress() {
    return QStringLiteral(QUILLO_SUPPORT_URL);
}

bool OpenSupportPage() {
    return QDesktopServices::openUrl(QUrl(SupportPageAddress()));
}

} // namespace quillo::accessories
