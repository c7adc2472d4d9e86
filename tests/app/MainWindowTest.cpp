#include "app/FontDialog.h"
#include "app/PreferenceDialog.h"
#include "app/W2kMain.h"
#include "editing/LfMemo.h"
#include "support/WindowFixture.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFontDialog>
#include <QListView>
#include <QTemporaryDir>
#include <QTest>

using quillo::app::TFontDialog;
using quillo::app::TPreferenceDialog;
using quillo::app::TWin2kAppForm;

namespace {

class MainWindowTest : public quillo::testing::WindowTest {};

} // namespace

TEST_F(MainWindowTest, FirstRunUsesDesignValuesAndCloseWritesAllSixteen) {
    ASSERT_FALSE(quillo::platform::SettingsKeyExists());
    auto form = Start({});
    EXPECT_EQ(Memo(*form).font().family(), QStringLiteral("ＭＳ ゴシック"));
    EXPECT_EQ(Memo(*form).font().pixelSize(), 13);
    EXPECT_EQ(form->size(), QSize(820, 465));
    EXPECT_FALSE(form->UseBOM());
    EXPECT_EQ(form->PageSetupMargins().Left, 2500);
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
    auto form = Start({});
    EXPECT_EQ(Memo(*form).font().family(), QStringLiteral("ＭＳ ゴシック"));
    EXPECT_EQ(Memo(*form).font().pointSize(), 12);
    EXPECT_EQ(form->FontColor(), 0u);
    EXPECT_EQ(Memo(*form).palette().color(QPalette::Text), QColor(Qt::black));
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
    auto form = Start({});
    EXPECT_EQ(Memo(*form).font().family(), QStringLiteral("DejaVu Sans Mono"));
    EXPECT_EQ(Memo(*form).font().pointSize(), 12);
    EXPECT_FALSE(Memo(*form).font().bold());
    EXPECT_EQ(form->pos().y(), 40);
    EXPECT_EQ(form->pos().x(), 192);
    EXPECT_TRUE(form->UseBOM());
    EXPECT_EQ(form->PageSetupMargins().Top, 1000);
    EXPECT_EQ(form->PageSetupMargins().Left, 2500);
}

TEST_F(MainWindowTest, SettingsRoundTrip) {
    {
        const auto s = quillo::platform::OpenSettings();
        s->setValue("PrintMargin-Left", 1100);
        s->setValue("PrintMargin-Top", 1200);
        s->setValue("PrintMargin-Right", 1300);
        s->setValue("PrintMargin-Bottom", 1400);
    }
    {
        auto form = Start({});
        form->setGeometry(100, 120, 700, 400);
        prompts.DialogScripts.push_back([](QDialog& d) {
            auto& dlg = dynamic_cast<TFontDialog&>(d);
            QFont f(QStringLiteral("DejaVu Sans Mono"));
            f.setPointSize(14);
            f.setItalic(true);
            f.setUnderline(true);
            dlg.SetFont(f);
            dlg.SetColor(0x0000FF);
            return int(QDialog::Accepted);
        });
        form->FontEdit1Execute();
        prompts.DialogScripts.push_back([](QDialog& d) {
            dynamic_cast<TPreferenceDialog&>(d).CheckBox1->setChecked(true);
            return int(QDialog::Accepted);
        });
        form->ActionPreference1Execute();
        form->close();
    }
    auto form = Start({});
    EXPECT_EQ(form->geometry(), QRect(100, 120, 700, 400));
    const QFont f = Memo(*form).font();
    EXPECT_EQ(f.family(), QStringLiteral("DejaVu Sans Mono"));
    EXPECT_EQ(f.pointSize(), 14);
    EXPECT_TRUE(f.italic());
    EXPECT_TRUE(f.underline());
    EXPECT_FALSE(f.bold());
    EXPECT_FALSE(f.strikeOut());
    EXPECT_EQ(form->FontColor(), 0x0000FFu);
    EXPECT_EQ(Memo(*form).palette().color(QPalette::Text), QColor(255, 0, 0));
    EXPECT_TRUE(form->UseBOM());
    EXPECT_EQ(form->PageSetupMargins().Left, 1100);
    EXPECT_EQ(form->PageSetupMargins().Bottom, 1400);
}

TEST_F(MainWindowTest, TitleRules) {
    {
        auto form = Start({});
        EXPECT_EQ(form->windowTitle(), QStringLiteral("新規ドキュメント - quillo"));
        EXPECT_EQ(form->ApplicationTitle(), form->windowTitle());
        EXPECT_EQ(form->Document().FileName(), QStringLiteral("名称未設定"));
        EXPECT_EQ(form->Document().CodePage(), 932);
        EXPECT_FALSE(Memo(*form).Modified());
    }
    {
        // "-q" alone: no file, the untitled name in the title.
        auto form = Start({QStringLiteral("-q")});
        EXPECT_EQ(form->windowTitle(), QStringLiteral("名称未設定 - quillo"));
    }
    {
        auto form = Start({QStringLiteral("/no/such/file.txt")});
        EXPECT_EQ(form->windowTitle(), QStringLiteral("名称未設定 - quillo"));
        EXPECT_TRUE(Memo(*form).Text().isEmpty());
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
        EXPECT_EQ(Memo(*form).Text(), QStringLiteral("line one\r\nline two"));
        EXPECT_FALSE(Memo(*form).Modified());
        EXPECT_EQ(Memo(*form).SelStart(), 0);
    }
    {
        // A UTF-8 file without a mark from the command line is detected.
        const QString u8 = dir.filePath(QStringLiteral("u8.txt"));
        QFile f(u8);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(QStringLiteral("日本語のテキスト").toUtf8());
        f.close();
        auto form = Start({u8});
        EXPECT_EQ(Memo(*form).Text(), QStringLiteral("日本語のテキスト"));
        EXPECT_EQ(form->Document().CodePage(), 65001);
    }
    {
        // Two arguments: neither is opened.
        auto form = Start({path, path});
        EXPECT_EQ(form->windowTitle(), QStringLiteral("新規ドキュメント - quillo"));
        EXPECT_TRUE(Memo(*form).Text().isEmpty());
    }
}

TEST_F(MainWindowTest, CloseAsksOnlyForAModifiedDocument) {
    auto form = Start({});
    EXPECT_TRUE(form->close());
    EXPECT_TRUE(prompts.Asked.empty());
}

TEST_F(MainWindowTest, CloseQuestionCancelKeepsTheWindowAndText) {
    auto form = Start({});
    Type(*form, QStringLiteral("keep me"));
    prompts.Answers = {QMessageBox::Cancel};
    EXPECT_FALSE(form->close());
    ASSERT_EQ(prompts.Asked.size(), 1u);
    EXPECT_EQ(prompts.Asked[0].Text, QStringLiteral("閉じる前にファイルを保存しますか？"));
    EXPECT_EQ(prompts.Asked[0].Buttons, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    EXPECT_TRUE(form->isVisible());
    EXPECT_EQ(Memo(*form).Text(), QStringLiteral("keep me"));
    EXPECT_TRUE(Memo(*form).Modified());
    prompts.Answers = {QMessageBox::No};
    EXPECT_TRUE(form->close());
}

TEST_F(MainWindowTest, CloseQuestionYesSavesThenCloses) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("saved.txt"));
    auto form = Start({});
    Type(*form, QStringLiteral("abc"));
    prompts.Answers = {QMessageBox::Yes};
    prompts.FileAnswers = {{true, path, 1}};
    EXPECT_TRUE(form->close());
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), QByteArray("abc"));
}

TEST_F(MainWindowTest, FailedSaveKeepsTheWindowOpen) {
    auto form = Start({});
    Type(*form, QStringLiteral("unsaved work"));
    // Yes, then the save-as dialog is cancelled.
    prompts.Answers = {QMessageBox::Yes};
    prompts.FileAnswers = {{false, {}, 1}};
    EXPECT_FALSE(form->close());
    EXPECT_TRUE(Memo(*form).Modified());

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
        EXPECT_TRUE(Memo(*form).Modified());
        EXPECT_EQ(Memo(*form).Text(), QStringLiteral("unsaved work"));
    }
    // A directory as target fails for root too (after the overwrite question).
    prompts.Answers = {QMessageBox::Yes, QMessageBox::Yes};
    prompts.FileAnswers = {{true, locked, 1}};
    prompts.Errors.clear();
    EXPECT_FALSE(form->close());
    EXPECT_FALSE(prompts.Errors.empty());
    EXPECT_TRUE(Memo(*form).Modified());
    QFile::setPermissions(locked, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    prompts.Answers = {QMessageBox::No};
    EXPECT_TRUE(form->close());
}

TEST_F(MainWindowTest, PreferencesDialogEditsUseBom) {
    auto form = Start({});
    prompts.DialogScripts.push_back([](QDialog& d) {
        dynamic_cast<TPreferenceDialog&>(d).CheckBox1->setChecked(true);
        return int(QDialog::Accepted);
    });
    form->ActionPreference1Execute();
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
    EXPECT_TRUE(form->UseBOM()); // cancelled

    prompts.DialogScripts.push_back([](QDialog& d) {
        dynamic_cast<TPreferenceDialog&>(d).CheckBox1->setChecked(false);
        return int(QDialog::Accepted);
    });
    form->ActionPreference1Execute();
    EXPECT_FALSE(form->UseBOM());
}

TEST_F(MainWindowTest, FontDialogAlwaysOpensWithBlack) {
    auto form = Start({});
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

TEST_F(MainWindowTest, EnterAndEscapeInTheFontDialogEndItWhole) {
    auto form = Start({});
    TFontDialog dialog(form.get());
    for (const auto& [key, result] : {std::pair{Qt::Key_Return, QDialog::Accepted},
                                      std::pair{Qt::Key_Escape, QDialog::Rejected}}) {
        dialog.show();
        QApplication::processEvents();
        auto* faces = dialog.FontPicker()->findChild<QListView*>();
        ASSERT_NE(faces, nullptr);
        faces->setFocus();
        QTest::keyClick(faces, key);
        EXPECT_EQ(dialog.result(), result);
        EXPECT_TRUE(dialog.isHidden());
        // Nothing of it is gone for the next showing.
        EXPECT_FALSE(dialog.FontPicker()->isHidden());
    }
}

TEST_F(MainWindowTest, RendersJapaneseText) {
    auto form = Start({});
    Memo(*form).SetText(QStringLiteral(
        "吾輩は猫である。名前はまだ無い。\r\n\tどこで生れたかとんと見当がつかぬ。\r\n"
        "ｶﾀｶﾅ half-width and ASCII 0123456789\r\n"));
    Memo(*form).SetSelStart(Memo(*form).LineIndex(1) + 3);
    Memo(*form).RepaintStrips();
    QApplication::processEvents();
    const QImage shot = form->grab().toImage();
    const QString out = qEnvironmentVariable("QUILLO_TEST_OUTPUT", QDir::tempPath());
    QDir().mkpath(out);
    ASSERT_TRUE(shot.save(out + QStringLiteral("/main-window-japanese.png")));
    // Japanese glyphs are drawn: the text area holds dark pixels in row 1.
    int dark = 0;
    const QPoint origin = Memo(*form).viewport()->mapTo(form.get(), QPoint(0, 0));
    for (int x = 0; x < 200; ++x) {
        for (int y = 0; y < 14; ++y) {
            dark += qGray(shot.pixel(origin.x() + x, origin.y() + y)) < 100 ? 1 : 0;
        }
    }
    EXPECT_GT(dark, 50);
}
