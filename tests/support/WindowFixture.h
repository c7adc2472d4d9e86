#pragma once

// The main window as the tests drive it: started as the program starts it,
// with scripted answers to every question, in settings and data folders that
// start empty, and its parts found the way a user finds them (by name in the
// widget tree) rather than through its insides.

#include "accessories/zkOverlayIcon.h"
#include "app/W2kMain.h"
#include "document/Document.h"
#include "editing/LfMemo.h"
#include "platform/DataFolder.h"
#include "platform/SettingsStore.h"
#include "support/ScriptedPrompts.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <memory>

namespace quillo::testing {

class WindowTest : public ::testing::Test {
protected:
    using Form = app::TWin2kAppForm;

    void SetUp() override {
        ClearSettings();
        QDir(platform::AppDataFolder()).removeRecursively();
    }
    void TearDown() override { ClearSettings(); }

    // No settings at all: the first run of the program.
    static void ClearSettings() {
        const auto s = platform::OpenSettings();
        const QString file = s->fileName();
        s->clear();
        s->sync();
        QFile::remove(file);
    }

    // A window started with these arguments, shown, its deferred start-up
    // step run.  "-q" alone: no splash, no file, no recovery question.
    std::unique_ptr<Form> Start(const QStringList& args = {QStringLiteral("-q")}) {
        auto form = std::make_unique<Form>(args, prompts);
        form->show();
        QApplication::processEvents();
        return form;
    }

    static editing::TLfMemo& Memo(Form& form) {
        auto* memo = form.findChild<editing::TLfMemo*>(QStringLiteral("Memo1"));
        EXPECT_NE(memo, nullptr);
        return *memo;
    }
    static QAction* Action(Form& form, const char* name) {
        auto* action =
            form.findChild<QAction*>(QString::fromUtf8(name), Qt::FindDirectChildrenOnly);
        EXPECT_NE(action, nullptr) << name;
        return action;
    }
    static accessories::TzkOverlayIcon& Overlay(Form& form) {
        auto* overlay =
            form.findChild<accessories::TzkOverlayIcon*>(QStringLiteral("zkOverlayIcon1"));
        EXPECT_NE(overlay, nullptr);
        return *overlay;
    }
    // The backup timer.
    static QTimer& Timer(Form& form) {
        auto* timer = form.findChild<QTimer*>(QStringLiteral("Timer1"));
        EXPECT_NE(timer, nullptr);
        return *timer;
    }

    // Types into the view as the user would.
    static void Type(Form& form, const QString& text) {
        Memo(form).setFocus();
        QTest::keyClicks(&Memo(form), text);
    }
    // A key in the view, then the queued steps it posted (such as the indent).
    static void Key(Form& form, Qt::Key key, Qt::KeyboardModifiers mods = Qt::NoModifier) {
        QTest::keyClick(&Memo(form), key, mods);
        QApplication::processEvents();
    }

    QString Path(const char* name) const { return dir.filePath(QString::fromUtf8(name)); }

    QTemporaryDir dir;
    ScriptedPrompts prompts;
};

} // namespace quillo::testing
