#include "accessories/HelpWindow.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>
#include <QTextBrowser>
#include <QUrl>

using namespace quillo::accessories;

namespace {

QString ReadPage(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        return {};
    }
    return QString::fromUtf8(f.readAll());
}

QString AllHelpText() {
    const QDir dir = QFileInfo(HelpContentsPath()).dir();
    QString all;
    for (const QString& page : dir.entryList({QStringLiteral("*.html")})) {
        all += ReadPage(dir.filePath(page));
    }
    return all;
}

TEST(Help, ContentsPageIsFound) {
    const QString path = HelpContentsPath();
    ASSERT_FALSE(path.isEmpty());
    EXPECT_TRUE(path.endsWith(QStringLiteral("/help/ja/index.html")));
}

TEST(Help, ContentsLinksEveryPageAndEveryLinkResolves) {
    const QFileInfo contents(HelpContentsPath());
    const QDir dir = contents.dir();
    const QString toc = ReadPage(contents.filePath());
    const QRegularExpression href(QStringLiteral("href=\"([^\"]*)\""));
    const QRegularExpression id(QStringLiteral("id=\"([^\"]*)\""));
    for (const QString& page : dir.entryList({QStringLiteral("*.html")})) {
        if (page != QStringLiteral("index.html")) {
            EXPECT_TRUE(toc.contains(QStringLiteral("href=\"") + page)) << page.toStdString();
        }
        const QString html = ReadPage(dir.filePath(page));
        EXPECT_TRUE(html.contains(QStringLiteral("<meta charset=\"utf-8\">")))
            << page.toStdString();
        EXPECT_TRUE(html.contains(QStringLiteral("<title>"))) << page.toStdString();
        for (auto m = href.globalMatch(html); m.hasNext();) {
            const QString link = m.next().captured(1);
            if (link.startsWith(QStringLiteral("http"))) {
                continue;
            }
            const QString file = link.section(QLatin1Char('#'), 0, 0);
            const QString anchor = link.section(QLatin1Char('#'), 1);
            const QString target = file.isEmpty() ? page : file;
            ASSERT_TRUE(QFileInfo::exists(dir.filePath(target)))
                << page.toStdString() << " -> " << link.toStdString();
            if (!anchor.isEmpty()) {
                QSet<QString> ids;
                const QString targetHtml = ReadPage(dir.filePath(target));
                for (auto i = id.globalMatch(targetHtml); i.hasNext();) {
                    ids.insert(i.next().captured(1));
                }
                EXPECT_TRUE(ids.contains(anchor))
                    << page.toStdString() << " -> " << link.toStdString();
            }
        }
    }
}

TEST(Help, EveryCommandAndDialogIsExplained) {
    const QString all = AllHelpText();
    // The menu captions without their access keys, and the dialogs.
    const QStringList names = {
        "新規作成",
        "新規ウインドウで作成",
        "開く",
        "履歴から開く",
        "保存",
        "名前を付けて保存",
        "文字コード変換再読み込み",
        "プリンタの設定",
        "ページの設定",
        "印刷",
        "終了",
        "元に戻す",
        "切り取り",
        "コピー",
        "貼り付け",
        "削除",
        "すべてを選択",
        "行へ移動",
        "カーソルを進ませる",
        "カーソルを戻す",
        "フォントの選択",
        "環境設定",
        "検索",
        "最初から検索",
        "次を検索",
        "置換",
        "ナンバリング",
        "SQL:CREATE文変換",
        "SQL:C#読み込み文変換",
        "SQL:C#INSERT文変換",
        "SQL:C#UPDATE文変換",
        "バージョン情報",
        "目次",
        "サポートWebへ",
        "UNICODE BOMをつけて保存する",
        "すべて置換",
    };
    for (const QString& name : names) {
        EXPECT_TRUE(all.contains(name)) << name.toStdString();
    }
}

TEST(Help, WindowOpensAtTheContents) {
    THelpWindow* window = ShowHelpContents(nullptr);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->Browser()->source(), QUrl::fromLocalFile(HelpContentsPath()));
    EXPECT_TRUE(window->Browser()->toPlainText().contains(QStringLiteral("目次")));
    // The same window is reused.
    EXPECT_EQ(ShowHelpContents(nullptr), window);
    CloseHelp();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

TEST(Help, SupportPageIsInstalledWithTheHelpAndSaysWhereTheFilesAre) {
    const QUrl url(SupportPageAddress());
    ASSERT_TRUE(url.isLocalFile()) << url.toString().toStdString();
    const QFileInfo page(url.toLocalFile());
    EXPECT_EQ(page.dir(), QFileInfo(HelpContentsPath()).dir());
    const QString html = ReadPage(page.filePath());
    for (const char* text : {"~/.config/Orvane/quillo.conf", "~/.local/share/Orvane/quillo",
                             "ログファイルを書きません", "問題を報告するには"}) {
        EXPECT_TRUE(html.contains(QString::fromUtf8(text))) << text;
    }
}

} // namespace
