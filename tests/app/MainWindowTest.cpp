#include "app/FontDialog.h"
#include "app/PreferenceDialog.h"
#include "app/W2kMain.h"
#include "editing/LfMemo.h"
#include "platform/SettingsStore.h"
#include "support/ScriptedPrompts.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using quillo::app::TFontDialog;
using quillo::app::TPreferenceDialog;
using quillo::app::TWin2kAppForm;
using quillo::testing::ScriptedPrompts;

namespace {

class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override { ClearSettings(); }
    void TearDown() override { ClearSettings(); }

    static void ClearSettings() {
        const auto s = quillo::platform::OpenSettings();
        const QString file = s->fileName();
        s->clear();
        s->sync();
        QFile::remove(file);
    }

    std::unique_ptr<TWin2kAppForm> Start(const QStringList& args = {}) {
        auto form = std::make_unique<TWin2kAppForm>(args, prompts);
        form->show();
        QApplication::processEvents(); // runs the deferred start-up step
        return form;
    }

    // Types into the view as the user would.
    static void Type(TWin2kAppForm& form, const QString& text) {
        form.Memo1->setFocus();
        QTest::keyClicks(form.Memo1, text);
    }

    ScriptedPrompts prompts;
};

} // namespace

TEST_F(MainWindowTest, FirstRunUsesDesignValuesAndCloseWritesAllSixteen) {
    ASSERT_FALSE(quillo::platform::SettingsKeyExists());
    auto form = Start();
    EXPECT_EQ(form->Memo1->font().family(), QStringLiteral("ＭＳ ゴシック"));
    EXPECT_EQ(form->Memo1->font().pixelSize(), 13);
    EXPECT_EQ(form->size(), QSize(820, 465));
    EXPECT_FALSE(form->UseBOM);
    EXPECT_EQ(form->PageSetupMargins.Left, 2500);
    const QRect outer = form->frameGeometry();
    EXPECT_TRUE(form->close());

    const auto s = quillo::platform::OpenSettings();
    const QStringList expected = {
        "Window-Left",      "Window-Top",      "Window-Width",      "Window-Height",
        "Font-Name",        "Font-Size",       "Font-Italic",       "Font-Bold",
        "Font-UnderLine",   "Font-StrikeOut",  "File-UseBOM",       "Font-Color",
        "PrintMargin-Left", "PrintMargin-Top", "PrintMargin-Right", "PrintMargin-Bottom"};
    for (const QString& key : expected) {
        EXPECT_TRUE(s->contains(key)) << key.toStdString();
    }
    EXPECT_EQ(s->value("Font-Name").toString(), QStringLiteral("ＭＳ ゴシック"));
    EXPECT_EQ(s->value("Font-Size").toInt(), 10); // 13 pixels at 96 dpi
    EXPECT_EQ(s->value("Window-Width").toInt(), outer.width());
    EXPECT_EQ(s->value("Window-Left").toInt(), outer.left());
    EXPECT_EQ(s->value("PrintMargin-Bottom").toInt(), 2500);
}

TEST_F(MainWindowTest, EmptyKeyGivesTheStoredDefaultFont) {
    {
        const auto s = quillo::platform::OpenSettings();
        s->setValue("Backup/Placeholder", 1); // the key exists, with no value of ours
        s->sync();
    }
    auto form = Start();
    EXPECT_EQ(form->Memo1->font().family(), QStringLiteral("ＭＳ ゴシック"));
    EXPECT_EQ(form->Memo1->font().pointSize(), 12);
    EXPECT_EQ(form->FontColor(), 0u);
    EXPECT_EQ(form->Memo1->palette().color(QPalette::Text), QColor(Qt::black));
    EXPECT_EQ(form->size(), QSize(820, 465));
}

TEST_F(MainWindowTest, PartialKeyTakesWhatIsThere) {
    {
        const auto s = quillo::platform::OpenSettings();
        s->setValue("Font-Name", QStringLiteral("DejaVu Sans Mono"));
        s->setValue("Window-Top", 40);
        s->setValue("File-UseBOM", 1);
        s->setValue("PrintMargin-Top", 1000);
        s->setValue("Font-Bold", QStringLiteral("not a number")); // wrong type: ignored
        s->sync();
    }
    auto form = Start();
    EXPECT_EQ(form->Memo1->font().family(), QStringLiteral("DejaVu Sans Mono"));
    EXPECT_EQ(form->Memo1->font().pointSize(), 12);
    EXPECT_FALSE(form->Memo1->font().bold());
    EXPECT_EQ(form->pos().y(), 40);
    EXPECT_EQ(form->pos().x(), 192);
    EXPECT_TRUE(form->UseBOM);
    EXPECT_EQ(form->PageSetupMargins.Top, 1000);
    EXPECT_EQ(form->PageSetupMargins.Left, 2500);
}

TEST_F(MainWindowTest, SettingsRoundTrip) {
    {
        auto form = Start();
        form->setGeometry(100, 120, 700, 400);
        QFont f(QStringLiteral("DejaVu Sans Mono"));
        f.setPointSize(14);
        f.setItalic(true);
        f.setUnderline(true);
        form->FontEdit1Dialog->SetFont(f);
        form->FontEdit1Dialog->SetColor(0x0000FF);
        form->FontEdit1Accept();
        form->UseBOM = true;
        form->PageSetupMargins = {1100, 1200, 1300, 1400};
        form->close();
    }
    auto form = Start();
    EXPECT_EQ(form->geometry(), QRect(100, 120, 700, 400));
    const QFont f = form->Memo1->font();
    EXPECT_EQ(f.family(), QStringLiteral("DejaVu Sans Mono"));
    EXPECT_EQ(f.pointSize(), 14);
    EXPECT_TRUE(f.italic());
    EXPECT_TRUE(f.underline());
    EXPECT_FALSE(f.bold());
    EXPECT_FALSE(f.strikeOut());
    EXPECT_EQ(form->FontColor(), 0x0000FFu);
    EXPECT_EQ(form->Memo1->palette().color(QPalette::Text), QColor(255, 0, 0));
    EXPECT_TRUE(form->UseBOM);
    EXPECT_EQ(form->PageSetupMargins.Left, 1100);
    EXPECT_EQ(form->PageSetupMargins.Bottom, 1400);
}

TEST_F(MainWindowTest, TitleRules) {
    {
        auto form = Start();
        EXPECT_EQ(form->windowTitle(), QStringLiteral("新規ドキュメント - quillo"));
        EXPECT_EQ(form->ApplicationTitle(), form->windowTitle());
        EXPECT_EQ(form->FFileName, QStringLiteral("名称未設定"));
        EXPECT_EQ(form->CodePage, 932);
        EXPECT_FALSE(form->Memo1->Modified());
    }
    {
        // "-q" alone: no file, the untitled name in the title.
        auto form = Start({QStringLiteral("-q")});
        EXPECT_EQ(form->windowTitle(), QStringLiteral("名称未設定 - quillo"));
    }
    {
        auto form = Start({QStringLiteral("/no/such/file.txt")});
        EXPECT_EQ(form->windowTitle(), QStringLiteral("名称未設定 - quillo"));
        EXPECT_TRUE(form->Memo1->Text().isEmpty());
    }
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("memo.txt"));
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("line one\r\nline two");
    }
    {
        auto form = Start({QStringLiteral("\"%1\"").arg(path)});
        EXPECT_EQ(form->windowTitle(), QStringLiteral("memo.txt - quillo"));
        EXPECT_EQ(form->Memo1->Text(), QStringLiteral("line one\r\nline two"));
        EXPECT_FALSE(form->Memo1->Modified());
        EXPECT_EQ(form->Memo1->SelStart(), 0);
    }
    {
        // A UTF-8 file without a mark from the command line is detected.
        const QString u8 = dir.filePath(QStringLiteral("u8.txt"));
        QFile f(u8);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(QStringLiteral("日本語のテキスト").toUtf8());
        f.close();
        auto form = Start({u8});
        EXPECT_EQ(form->Memo1->Text(), QStringLiteral("日本語のテキスト"));
        EXPECT_EQ(form->CodePage, 65001);
    }
    {
        // Two arguments: neither is opened.
        auto form = Start({path, path});
        EXPECT_EQ(form->windowTitle(), QStringLiteral("新規ドキュメント - quillo"));
        EXPECT_TRUE(form->Memo1->Text().isEmpty());
    }
}

TEST_F(MainWindowTest, CloseAsksOnlyForAModifiedDocument) {
    auto form = Start();
    EXPECT_TRUE(form->close());
    EXPECT_TRUE(prompts.Asked.empty());
}

TEST_F(MainWindowTest, CloseQuestionCancelKeepsTheWindowAndText) {
    auto form = Start();
    Type(*form, QStringLiteral("keep me"));
    prompts.Answers = {QMessageBox::Cancel};
    EXPECT_FALSE(form->close());
    ASSERT_EQ(prompts.Asked.size(), 1u);
    EXPECT_EQ(prompts.Asked[0].Text, QStringLiteral("閉じる前にファイルを保存しますか？"));
    EXPECT_EQ(prompts.Asked[0].Buttons, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    EXPECT_TRUE(form->isVisible());
    EXPECT_EQ(form->Memo1->Text(), QStringLiteral("keep me"));
    EXPECT_TRUE(form->Memo1->Modified());
    prompts.Answers = {QMessageBox::No};
    EXPECT_TRUE(form->close());
}

TEST_F(MainWindowTest, CloseQuestionYesSavesThenCloses) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("saved.txt"));
    auto form = Start();
    Type(*form, QStringLiteral("abc"));
    prompts.Answers = {QMessageBox::Yes};
    prompts.FileAnswers = {{true, path, 1}};
    EXPECT_TRUE(form->close());
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), QByteArray("abc"));
}

TEST_F(MainWindowTest, FailedSaveKeepsTheWindowOpen) {
    auto form = Start();
    Type(*form, QStringLiteral("unsaved work"));
    // Yes, then the save-as dialog is cancelled.
    prompts.Answers = {QMessageBox::Yes};
    prompts.FileAnswers = {{false, {}, 1}};
    EXPECT_FALSE(form->close());
    EXPECT_TRUE(form->Memo1->Modified());

    // Yes, then the write fails: the error is shown and the window stays.
    QTemporaryDir dir;
    const QString locked = dir.filePath(QStringLiteral("locked"));
    QDir().mkdir(locked);
    QFile::setPermissions(locked, QFile::ReadOwner | QFile::ExeOwner);
    const bool canStillWrite = QFile(locked + "/probe").open(QIODevice::WriteOnly);
    if (!canStillWrite) {
        prompts.Answers = {QMessageBox::Yes};
        prompts.FileAnswers = {{true, locked + QStringLiteral("/x.txt"), 1}};
        EXPECT_FALSE(form->close());
        EXPECT_EQ(prompts.Errors.size(), 1u);
        EXPECT_TRUE(form->Memo1->Modified());
        EXPECT_EQ(form->Memo1->Text(), QStringLiteral("unsaved work"));
    }
    // A directory as target fails for root too (after the overwrite question).
    prompts.Answers = {QMessageBox::Yes, QMessageBox::Yes};
    prompts.FileAnswers = {{true, locked, 1}};
    prompts.Errors.clear();
    EXPECT_FALSE(form->close());
    EXPECT_FALSE(prompts.Errors.empty());
    EXPECT_TRUE(form->Memo1->Modified());
    QFile::setPermissions(locked, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    prompts.Answers = {QMessageBox::No};
    EXPECT_TRUE(form->close());
}

TEST_F(MainWindowTest, PreferencesDialogEditsUseBom) {
    auto form = Start();
    form->UseBOM = true;
    bool shownChecked = false;
    prompts.DialogScripts.push_back([&](QDialog& d) {
        auto& dlg = dynamic_cast<TPreferenceDialog&>(d);
        EXPECT_EQ(dlg.windowTitle(), QStringLiteral("quillo 環境設定"));
        shownChecked = dlg.CheckBox1->isChecked();
        dlg.CheckBox1->setChecked(false);
        return int(QDialog::Rejected);
    });
    form->ActionPreference1Execute();
    EXPECT_TRUE(shownChecked);
    EXPECT_TRUE(form->UseBOM); // cancelled

    prompts.DialogScripts.push_back([](QDialog& d) {
        dynamic_cast<TPreferenceDialog&>(d).CheckBox1->setChecked(false);
        return int(QDialog::Accepted);
    });
    form->ActionPreference1Execute();
    EXPECT_FALSE(form->UseBOM);
}

TEST_F(MainWindowTest, FontDialogAlwaysOpensWithBlack) {
    auto form = Start();
    prompts.DialogScripts.push_back([](QDialog& d) {
        auto& dlg = dynamic_cast<TFontDialog&>(d);
        dlg.SetColor(0x0000FF); // red
        return int(QDialog::Accepted);
    });
    form->FontEdit1Execute();
    EXPECT_EQ(form->FontColor(), 0x0000FFu);
    quint32 shownColor = 1;
    prompts.DialogScripts.push_back([&](QDialog& d) {
        shownColor = dynamic_cast<TFontDialog&>(d).Color();
        return int(QDialog::Rejected);
    });
    form->FontEdit1Execute();
    EXPECT_EQ(shownColor, 0u);
    EXPECT_EQ(form->FontColor(), 0x0000FFu); // cancelled: the view keeps red
}

TEST_F(MainWindowTest, RendersJapaneseText) {
    auto form = Start();
    form->Memo1->SetText(QStringLiteral(
        "吾輩は猫である。名前はまだ無い。\r\n\tどこで生れたかとんと見当がつかぬ。\r\n"
        "ｶﾀｶﾅ half-width and ASCII 0123456789\r\n"));
    form->Memo1->SetSelStart(form->Memo1->LineIndex(1) + 3);
    form->Memo1->RepaintStrips();
    QApplication::processEvents();
    const QImage shot = form->grab().toImage();
    const QString out = qEnvironmentVariable("QUILLO_TEST_OUTPUT", QDir::tempPath());
    QDir().mkpath(out);
    ASSERT_TRUE(shot.save(out + QStringLiteral("/main-window-japanese.png")));
    // Japanese glyphs are drawn: the text area holds dark pixels in row 1.
    int dark = 0;
    const QPoint origin = form->Memo1->viewport()->mapTo(form.get(), QPoint(0, 0));
    for (int x = 0; x < 200; ++x) {
        for (int y = 0; y < 14; ++y) {
            dark += qGray(shot.pixel(origin.x() + x, origin.y() + y)) < 100 ? 1 : 0;
        }
    }
    EXPECT_GT(dark, 50);
}
