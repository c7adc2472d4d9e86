#include "accessories/About.h"
#include "accessories/LfFileHistorys.h"
#include "accessories/zkOverlayIcon.h"
#include "app/W2kMain.h"
#include "editing/LfMemo.h"
#include "platform/SettingsStore.h"
#include "support/WindowFixture.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QDesktopServices>
#include <QFile>
#include <QFileInfo>
#include <QMenu>
#include <QMenuBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBrowser>
#include <QUrl>

using quillo::accessories::TAboutBox;
using quillo::app::TWin2kAppForm;

namespace {

class AccessoriesWiringTest : public quillo::testing::WindowTest {
protected:
    QMenu* HistoryMenu(TWin2kAppForm& form) const {
        for (QAction* top : form.menuBar()->actions()) {
            if (top->text() == QStringLiteral("ファイル(&F)")) {
                for (QAction* a : top->menu()->actions()) {
                    if (a->menu() != nullptr && a->text() == QStringLiteral("履歴から開く(&H)")) {
                        return a->menu();
                    }
                }
            }
        }
        return nullptr;
    }
};

} // namespace

TEST_F(AccessoriesWiringTest, SupportOpensThePageInstalledWithTheHelp) {
    auto form = Start();
    // Whatever the desktop would open is shown here instead.
    QTextBrowser opened;
    for (const char* scheme : {"file", "http", "https"}) {
        QDesktopServices::setUrlHandler(QString::fromLatin1(scheme), &opened, "setSource");
    }
    Action(*form, "HelpWeb1")->trigger();
    for (const char* scheme : {"file", "http", "https"}) {
        QDesktopServices::unsetUrlHandler(QString::fromLatin1(scheme));
    }
    const QUrl url = opened.source();
    ASSERT_TRUE(url.isLocalFile()) << url.toString().toStdString();
    EXPECT_TRUE(QFileInfo(url.toLocalFile()).isFile());
    EXPECT_TRUE(opened.toPlainText().contains(QStringLiteral("~/.config/Orvane/quillo.conf")));
}

TEST_F(AccessoriesWiringTest, OpenedFilesReachTheRecentMenuAndTheStore) {
    const QString path = dir.filePath(QStringLiteral("recent.txt"));
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("hello");
    }
    {
        auto form = Start({QStringLiteral("-q")});
        QMenu* menu = HistoryMenu(*form);
        ASSERT_NE(menu, nullptr);
        EXPECT_TRUE(menu->actions().isEmpty() ||
                    menu->actions().constFirst()->text() != QStringLiteral("&Action1"));
        prompts.FileAnswers = {{true, path, 1}};
        form->FileOpen1Execute();
        ASSERT_FALSE(menu->actions().isEmpty());
        EXPECT_EQ(menu->actions().constFirst()->statusTip(), path);
        EXPECT_TRUE(form->close());
    }
    EXPECT_EQ(
        quillo::platform::OpenSettings()->value(QStringLiteral("FileHistory/File0")).toString(),
        path);

    // The next start shows it, and choosing it opens the file.
    auto form = Start({QStringLiteral("-q")});
    QMenu* menu = HistoryMenu(*form);
    ASSERT_FALSE(menu->actions().isEmpty());
    menu->actions().constFirst()->trigger();
    QApplication::processEvents();
    EXPECT_EQ(Memo(*form).Text(), QStringLiteral("hello"));
    EXPECT_EQ(form->Document().FileName(), path);
}

TEST_F(AccessoriesWiringTest, SplashUnlessQuiet) {
    {
        auto form = Start({});
        auto* splash = form->findChild<TAboutBox*>();
        ASSERT_NE(splash, nullptr);
        EXPECT_TRUE(splash->isVisible());
        form->WindowMessage();
        EXPECT_EQ(form->findChild<TAboutBox*>(), nullptr);
        form->WindowMessage(); // a second notice finds nothing to close
    }
    auto quiet = Start({QStringLiteral("x.txt"), QStringLiteral("-q")});
    EXPECT_EQ(quiet->findChild<TAboutBox*>(), nullptr);
}

TEST_F(AccessoriesWiringTest, AboutBoxAndOverlayStates) {
    auto form = Start({QStringLiteral("-q")});
    bool shown = false;
    prompts.DialogScripts.push_back([&](QDialog& d) {
        shown = dynamic_cast<quillo::accessories::TAboutBox*>(&d) != nullptr;
        return int(QDialog::Accepted);
    });
    Action(*form, "HespAbout1")->trigger();
    EXPECT_TRUE(shown);

    Memo(*form).setFocus();
    QTest::keyClicks(&Memo(*form), QStringLiteral("a"));
    EXPECT_EQ(Overlay(*form).ImageIndex(), 3);
    prompts.Answers = {QMessageBox::No};
    form->FileNew1Execute();
    EXPECT_EQ(Overlay(*form).ImageIndex(), 0);
    EXPECT_TRUE(Overlay(*form).Hint().isEmpty());
}
