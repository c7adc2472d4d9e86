#include "accessories/LfFileHistorys.h"

#include "platform/SettingsStore.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QCoreApplication>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QSettings>
#include <QSignalSpy>

using namespace quillo::accessories;

namespace {

const QString kFileMenu = QStringLiteral("ファイル(&F)");
const QString kHistoryMenu = QStringLiteral("履歴から開く(&H)");

// A window whose menu bar holds the history submenu, with the placeholder
// entry it has before the first rebuild.
struct MenuWindow {
    QMainWindow window;
    QMenu* file;
    QMenu* history;
    QAction* placeholder;
    MenuWindow() {
        file = window.menuBar()->addMenu(kFileMenu);
        file->addAction(QStringLiteral("開く(&O)..."));
        history = file->addMenu(kHistoryMenu);
        placeholder = history->addAction(QStringLiteral("&Action1"));
        file->addAction(QStringLiteral("保存(&S)"));
    }
};

class FileHistoryTest : public ::testing::Test {
protected:
    void SetUp() override {
        quillo::platform::OpenSettings()->remove(QStringLiteral("FileHistory"));
        history.SetOpenKey(QStringLiteral("Software\\Orvane\\quillo\\FileHistory"));
        history.SetMaxFileHistory(15);
        history.SetUseActionManager(&menus.window);
        history.SetUseActionMainMenuBar(menus.window.menuBar());
        history.SetTargetMenuCaption(kFileMenu);
        history.SetTargetSubMenuCaption(kHistoryMenu);
    }

    void AddNumbered(int count) {
        for (int i = count - 1; i >= 0; --i) {
            history.AddHistory(QStringLiteral("/data/file%1.txt").arg(i));
        }
    }

    QStringList Captions() const {
        QStringList out;
        for (QAction* a : menus.history->actions()) {
            out << a->text();
        }
        return out;
    }

    MenuWindow menus;
    TLfFileHistory history;
};

TEST(FileHistoryDefaults, ConstructionValuesAndUpperBounds) {
    TLfFileHistory h;
    EXPECT_EQ(h.MaxFileHistory(), 5);
    EXPECT_EQ(h.HistoryLen(), 40);
    EXPECT_EQ(h.RootKey(), TLfRootKey::regHKEY_CURRENT_USER);
    EXPECT_FALSE(h.Duplication());
    EXPECT_FALSE(h.IsHistory());
    h.SetMaxFileHistory(40);
    h.SetHistoryLen(500);
    EXPECT_EQ(h.MaxFileHistory(), 15);
    EXPECT_EQ(h.HistoryLen(), 100);
    h.SetMaxFileHistory(3);
    h.SetHistoryLen(10);
    EXPECT_EQ(h.MaxFileHistory(), 3);
    EXPECT_EQ(h.HistoryLen(), 10);
}

TEST_F(FileHistoryTest, RepeatedPathMovesToTopKeepingOrder) {
    AddNumbered(6);
    history.AddHistory(QStringLiteral("/data/file3.txt"));
    EXPECT_EQ(history.History(),
              QStringList({"/data/file3.txt", "/data/file0.txt", "/data/file1.txt",
                           "/data/file2.txt", "/data/file4.txt", "/data/file5.txt"}));
}

TEST_F(FileHistoryTest, LookupIgnoresCaseAndKeepsStoredCase) {
    history.AddHistory(QStringLiteral("C:/Data/A.txt"));
    history.AddHistory(QStringLiteral("/other.txt"));
    history.AddHistory(QStringLiteral("c:/data/a.txt"));
    EXPECT_EQ(history.History(), QStringList({"C:/Data/A.txt", "/other.txt"}));
}

TEST_F(FileHistoryTest, FifteenEntriesDropTheOldest) {
    AddNumbered(15);
    history.AddHistory(QStringLiteral("/new.txt"));
    ASSERT_EQ(history.History().size(), 15);
    EXPECT_EQ(history.History().first(), "/new.txt");
    EXPECT_EQ(history.History().last(), "/data/file13.txt");
    EXPECT_FALSE(history.History().contains("/data/file14.txt"));
}

TEST_F(FileHistoryTest, DuplicationAddsCopiesButNotOfTheTop) {
    history.SetDuplication(true);
    history.AddHistory(QStringLiteral("/a.txt"));
    history.AddHistory(QStringLiteral("/b.txt"));
    history.AddHistory(QStringLiteral("/b.txt"));
    EXPECT_EQ(history.History(), QStringList({"/b.txt", "/a.txt"}));
    history.AddHistory(QStringLiteral("/a.txt"));
    EXPECT_EQ(history.History(), QStringList({"/a.txt", "/b.txt", "/a.txt"}));
    // The top check is exact: another letter case is a new entry.
    history.AddHistory(QStringLiteral("/A.txt"));
    EXPECT_EQ(history.History().size(), 4);
}

TEST_F(FileHistoryTest, NegativeLimitDoesNotBreakAdding) {
    history.SetMaxFileHistory(-1);
    history.AddHistory(QStringLiteral("/a.txt"));
    EXPECT_TRUE(history.History().isEmpty());
    EXPECT_TRUE(menus.history->actions().isEmpty());
}

TEST(HistoryDisplayForm, ShortensTheFolderPart) {
    int len = 40;
    const QString longPath = QStringLiteral("C:/Data/Projects/2011/Reports/Quarterly/summary.txt");
    ASSERT_EQ(longPath.size(), 51);
    const QString shown = HistoryDisplayForm(longPath, len);
    EXPECT_EQ(shown, QStringLiteral("C:/Data/Projects/2011/Re.../summary.txt"));
    EXPECT_EQ(shown.size(), 39);
    EXPECT_EQ(HistoryDisplayForm(QStringLiteral("C:/Data/notes.txt"), len), "C:/Data/notes.txt");
    EXPECT_EQ(len, 40);
    // Exactly HistoryLen characters stays whole.
    const QString forty = QStringLiteral("/home/user/") + QString(29, QLatin1Char('x'));
    EXPECT_EQ(HistoryDisplayForm(forty, len), forty);
}

TEST(HistoryDisplayForm, LongNameRaisesTheLimitForGood) {
    int len = 40;
    const QString name = QString(46, QLatin1Char('n')) + QStringLiteral(".txt");
    ASSERT_EQ(name.size(), 50);
    EXPECT_EQ(HistoryDisplayForm(QStringLiteral("/srv/archive/") + name, len),
              QStringLiteral(".../") + name);
    EXPECT_EQ(len, 54);
    // The raised limit applies to later entries too.
    const QString path53 = QStringLiteral("/a/") + QString(46, QLatin1Char('b')) + ".txt";
    ASSERT_EQ(path53.size(), 53);
    EXPECT_EQ(HistoryDisplayForm(path53, len), path53);
    // A name without a folder is never cut.
    int small = 5;
    EXPECT_EQ(HistoryDisplayForm(QStringLiteral("abcdefgh"), small), "abcdefgh");
    EXPECT_EQ(small, 12);
}

TEST_F(FileHistoryTest, MenuCaptionsHintsAndTags) {
    AddNumbered(10);
    const QList<QAction*> entries = menus.history->actions();
    ASSERT_EQ(entries.size(), 10);
    EXPECT_FALSE(entries.contains(menus.placeholder)); // the placeholder is gone
    EXPECT_EQ(entries[0]->text(), "&1 /data/file0.txt");
    EXPECT_EQ(entries[9]->text(), "&10 /data/file9.txt");
    EXPECT_EQ(entries[9]->statusTip(), "/data/file9.txt");
    EXPECT_EQ(entries[9]->data().toInt(), 9);
    EXPECT_EQ(history.ShowHistoryCount(), 10);

    const QString longPath = QStringLiteral("/srv/Projects/2011/Reports/Quarterly/Old/summary.txt");
    history.AddHistory(longPath);
    EXPECT_EQ(menus.history->actions()[0]->text(), "&1 /srv/Projects/2011/Repor.../summary.txt");
    EXPECT_EQ(menus.history->actions()[0]->statusTip(), longPath);
}

TEST_F(FileHistoryTest, OnlyMaxFileHistoryEntriesAreShown) {
    AddNumbered(8);
    history.SetMaxFileHistory(5);
    history.ShowMenuHistory();
    EXPECT_EQ(Captions().size(), 5);
}

TEST_F(FileHistoryTest, EmptyListLeavesTheSubmenuEmpty) {
    history.ShowMenuHistory();
    EXPECT_TRUE(menus.history->actions().isEmpty());
    AddNumbered(2);
    history.ClearHistory();
    EXPECT_EQ(Captions().size(), 2); // clearing does not rebuild
    history.ShowMenuHistory();
    EXPECT_TRUE(Captions().isEmpty());
}

TEST_F(FileHistoryTest, ClickRaisesTheEventAndNamesTheFile) {
    AddNumbered(3);
    QSignalSpy spy(&history, &TLfFileHistory::OnItemClick);
    QString seen;
    // The window reads the name and then adds it again, which rebuilds the
    // menu from inside the click.
    QObject::connect(&history, &TLfFileHistory::OnItemClick, [&] {
        seen = history.FileName();
        history.AddHistory(seen);
    });
    menus.history->actions()[2]->trigger();
    ASSERT_EQ(spy.count(), 1);
    EXPECT_EQ(seen, "/data/file2.txt");
    EXPECT_EQ(history.History().first(), "/data/file2.txt");
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(Captions().first(), "&1 /data/file2.txt");
}

TEST_F(FileHistoryTest, FileNameIsEmptyForATagPastTheList) {
    AddNumbered(3);
    menus.history->actions()[2]->trigger();
    history.ClearHistory();
    EXPECT_EQ(history.FileName(), QString());
}

TEST_F(FileHistoryTest, MenuErrors) {
    TLfFileHistory h;
    AddNumbered(1);
    const auto message = [&] {
        try {
            h.ShowMenuHistory();
        } catch (const ELfFileHistoryError& e) {
            return e.Message();
        }
        return QStringLiteral("no error");
    };
    EXPECT_EQ(message(), "TargetItemが未設定です");
    h.SetUseActionManager(&menus.window);
    EXPECT_EQ(message(), "StartItemが未設定です");
    h.SetUseActionMainMenuBar(menus.window.menuBar());
    h.SetTargetMenuCaption(QStringLiteral("ファイル(&X)"));
    h.SetTargetSubMenuCaption(kHistoryMenu);
    EXPECT_EQ(message(), "Error");
    h.SetTargetMenuCaption(kFileMenu);
    h.SetTargetSubMenuCaption(QStringLiteral("履歴から開く"));
    EXPECT_EQ(message(), "Error");
    QMainWindow other;
    h.SetUseActionManager(&other); // a bar of another window
    h.SetTargetSubMenuCaption(kHistoryMenu);
    EXPECT_EQ(message(), "Error");
    h.SetUseActionManager(&menus.window);
    EXPECT_EQ(message(), "no error");
}

TEST_F(FileHistoryTest, StoreNeedsAnOpenKey) {
    TLfFileHistory h;
    for (auto op : {&TLfFileHistory::ReadReg, &TLfFileHistory::WriteReg}) {
        try {
            (h.*op)();
            ADD_FAILURE() << "no error";
        } catch (const ELfFileHistoryError& e) {
            EXPECT_EQ(e.Message(), "OpenKeyが未設定です");
        }
    }
}

TEST_F(FileHistoryTest, WriteThenReadRoundTrip) {
    AddNumbered(3);
    history.AddHistory(QStringLiteral("/path, with comma/ünïcode 日本語.txt"));
    history.WriteReg();
    {
        const auto s = quillo::platform::OpenSettings();
        s->beginGroup(QStringLiteral("FileHistory"));
        EXPECT_EQ(s->value("File0").toString(), "/path, with comma/ünïcode 日本語.txt");
        EXPECT_EQ(s->value("File3").toString(), "/data/file2.txt");
        EXPECT_EQ(s->value("File4").toString(), "");
        EXPECT_TRUE(s->contains("File14"));
        EXPECT_FALSE(s->contains("File15"));
    }
    TLfFileHistory again;
    again.SetOpenKey(history.OpenKey());
    again.SetMaxFileHistory(15);
    again.ReadReg();
    EXPECT_EQ(again.History(), history.History());
    // ReadReg appends to what is there.
    again.ReadReg();
    EXPECT_EQ(again.History().size(), 2 * history.History().size());
}

TEST_F(FileHistoryTest, ReadSkipsBlankMissingAndForeignValues) {
    {
        const auto s = quillo::platform::OpenSettings();
        s->beginGroup(QStringLiteral("FileHistory"));
        s->setValue("File0", "/first.txt");
        s->setValue("File1", " \t ");
        // File2 missing
        s->setValue("File3", QStringList({"/x", "/y"}));
        s->setValue("File4", QByteArray("\x01\x02", 2));
        s->setValue("File5", "  /spaced.txt ");
        s->setValue("File6", "/last.txt");
        s->setValue("File15", "/beyond.txt");
    }
    history.ReadReg();
    EXPECT_EQ(history.History(), QStringList({"/first.txt", "  /spaced.txt ", "/last.txt"}));
}

TEST_F(FileHistoryTest, AbsentKeyReadsNothing) {
    history.SetOpenKey(QStringLiteral("Software\\Orvane\\quillo\\NoSuchGroup"));
    history.ReadReg();
    EXPECT_FALSE(history.IsHistory());
}

TEST_F(FileHistoryTest, ShortListClearsNamesUpToFile9Only) {
    {
        const auto s = quillo::platform::OpenSettings();
        s->beginGroup(QStringLiteral("FileHistory"));
        for (int i = 0; i < 12; ++i) {
            s->setValue(QStringLiteral("File%1").arg(i), QStringLiteral("/old%1").arg(i));
        }
    }
    history.SetMaxFileHistory(3);
    history.AddHistory(QStringLiteral("/only.txt"));
    history.WriteReg();
    const auto s = quillo::platform::OpenSettings();
    s->beginGroup(QStringLiteral("FileHistory"));
    EXPECT_EQ(s->value("File0").toString(), "/only.txt");
    for (int i = 1; i <= 9; ++i) {
        EXPECT_EQ(s->value(QStringLiteral("File%1").arg(i)).toString(), "") << i;
    }
    EXPECT_EQ(s->value("File10").toString(), "/old10");
}

} // namespace
