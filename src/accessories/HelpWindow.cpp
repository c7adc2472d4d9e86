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

QString HelpPagePath(const QString& page) {
    const QString app = QCoreApplication::applicationDirPath();
    const QStringList folders = {
        app + QStringLiteral("/../share/quillo/help/ja/"),
        app + QStringLiteral("/help/ja/"),
        QStringLiteral(QUILLO_HELP_SOURCE_DIR "/ja/"),
    };
    for (const QString& folder : folders) {
        const QFileInfo info(folder + page);
        if (info.isFile()) {
            return info.canonicalFilePath();
        }
    }
    return {};
}

QString HelpContentsPath() {
    return HelpPagePath(QStringLiteral("index.html"));
}

namespace {

THelpWindow& HelpWindowFor(QWidget* caller) {
    QPointer<THelpWindow>& window = TheHelpWindow();
    if (window.isNull()) {
        window = new THelpWindow(caller);
    }
    return *window;
}

void Present(THelpWindow& window) {
    window.show();
    window.raise();
    window.activateWindow();
}

} // namespace

THelpWindow* ShowHelpContents(QWidget* caller) {
    THelpWindow& window = HelpWindowFor(caller);
    window.ShowContents();
    Present(window);
    return &window;
}

void CloseHelp() {
    if (QPointer<THelpWindow>& window = TheHelpWindow(); !window.isNull()) {
        window->close();
    }
}

QUrl SupportPageAddress() {
    const QString path = HelpPagePath(QStringLiteral("support.html"));
    return path.isEmpty() ? QUrl() : QUrl::fromLocalFile(path);
}

bool OpenSupportPage(QWidget* caller) {
    const QUrl page = SupportPageAddress();
    if (page.isEmpty()) {
        return false;
    }
    if (!QDesktopServices::openUrl(page)) {
        // No browser on this desktop: the help window shows it as well.
        THelpWindow& window = HelpWindowFor(caller);
        window.Browser()->setSource(page);
        Present(window);
    }
    return true;
}

} // namespace quillo::accessories
