// The find and replace dialogs through their real widgets.

#include "platform/SettingsStore.h"
#include "search/LfFindDialog.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTest>

#include <memory>
#include <utility>

namespace quillo::search {
namespace {

QStringList Items(const QComboBox* combo) {
    QStringList items;
    for (int i = 0; i < combo->count(); ++i) {
        items << combo->itemText(i);
    }
    return items;
}

void Type(QComboBox* combo, const QString& text) {
    combo->lineEdit()->clear();
    QTest::keyClicks(combo->lineEdit(), text);
}

class FindDialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        auto settings = platform::OpenSettings();
        settings->clear();
        settings->sync();
    }

    void WriteHistory(const QString& group, const QStringList& items) {
        auto settings = platform::OpenSettings();
        settings->beginGroup(group);
        settings->setValue(QStringLiteral("FindTextCount"), items.size());
        for (int i = 0; i < items.size(); ++i) {
            settings->setValue(QString::asprintf("FindText%.2d", i), items[i]);
        }
    }

    QStringList ReadHistory(const QString& group) {
        auto settings = platform::OpenSettings();
        settings->beginGroup(group);
        QStringList items;
        const int n = settings->value(QStringLiteral("FindTextCount"), -1).toInt();
        for (int i = 0; i < n; ++i) {
            items << settings->value(QString::asprintf("FindText%.2d", i)).toString();
        }
        return items;
    }

    std::unique_ptr<TLfFindDialog> MakeFind(const QString& key = QStringLiteral("History/Find")) {
        auto d = std::make_unique<TLfFindDialog>(&FOwner);
        d->SetRegKey(key);
        return d;
    }

    QWidget FOwner;
};

TEST_F(FindDialogTest, ReplaceWindowLayoutCaptionsAndInitialStates) {
    TLfReplaceDialog dialog(&FOwner);
    ASSERT_TRUE(dialog.Execute(&FOwner));
    TLfFindDlg* w = dialog.DlgForm();
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->windowTitle(), QStringLiteral("置換"));
    EXPECT_EQ(w->size(), QSize(537, 190));
    EXPECT_FALSE(w->isModal());
    EXPECT_EQ(w->parentWidget(), &FOwner);
    EXPECT_EQ(w->Label1->text(), QStringLiteral("検索する文字列(&N)"));
    EXPECT_EQ(w->Label1->buddy(), w->FindStr);
    EXPECT_EQ(w->Label2->text(), QStringLiteral("置換後の文字列(&R)"));
    EXPECT_EQ(w->Label2->buddy(), w->ReplaceStr);
    EXPECT_EQ(w->UseMatchCase->text(), QStringLiteral("大文字と小文字を区別する(&C)"));
    EXPECT_EQ(w->FindNextBtn->text(), QStringLiteral("次を検索(&F)"));
    EXPECT_EQ(w->ReplaceNextBtn->text(), QStringLiteral("置換して次に(&R)"));
    EXPECT_EQ(w->ReplaceAllBtn->text(), QStringLiteral("すべて置換(&A)"));
    EXPECT_EQ(w->CancelBtn->text(), QStringLiteral("キャンセル"));
    EXPECT_EQ(w->UseMultiLine->text(), QStringLiteral("行を解釈する(&L)"));
    EXPECT_EQ(w->UseRegex->text(), QStringLiteral("正規表現を使用する(&X)"));
    EXPECT_EQ(w->FindCursor->text(), QStringLiteral("カーソル位置から"));
    EXPECT_EQ(w->FindTop->text(), QStringLiteral("先頭から"));
    EXPECT_EQ(w->FindNextBtn->geometry(), QRect(422, 8, 102, 25));
    EXPECT_EQ(w->CancelBtn->geometry(), QRect(422, 109, 102, 25));
    EXPECT_EQ(w->FindStr->geometry().topLeft(), QPoint(108, 21));
    EXPECT_EQ(w->FindStr->width(), 301);
    EXPECT_EQ(w->UseMultiLine->pos(), QPoint(32, 154));
    EXPECT_TRUE(w->FindNextBtn->isDefault());
    EXPECT_TRUE(w->FindCursor->isChecked());
    EXPECT_FALSE(w->UseMatchCase->isChecked());
    EXPECT_FALSE(w->FindNextBtn->isEnabled());
    EXPECT_FALSE(w->ReplaceNextBtn->isEnabled());
    EXPECT_FALSE(w->ReplaceAllBtn->isEnabled());
    EXPECT_TRUE(w->CancelBtn->isEnabled());
    EXPECT_FALSE(w->UseMultiLine->isEnabled());
    EXPECT_TRUE(w->ReplaceStr->isVisible());
    EXPECT_EQ(w->FindStr->completer(), nullptr);

    const QList<QWidget*> expected = {w->FindStr,        w->ReplaceStr,    w->FindCursor,
                                      w->FindTop,        w->UseMatchCase,  w->FindNextBtn,
                                      w->ReplaceNextBtn, w->ReplaceAllBtn, w->CancelBtn,
                                      w->UseMultiLine,   w->UseRegex};
    QList<QWidget*> chain;
    QWidget* at = w->FindStr;
    do {
        if (expected.contains(at) && !chain.contains(at)) {
            chain << at;
        }
        at = at->nextInFocusChain();
    } while (at != w->FindStr);
    EXPECT_EQ(chain, expected);
}

TEST_F(FindDialogTest, FindModeHidesTheReplaceControls) {
    auto dialog = MakeFind();
    dialog->Execute(&FOwner);
    TLfFindDlg* w = dialog->DlgForm();
    EXPECT_EQ(w->windowTitle(), QStringLiteral("検索"));
    EXPECT_FALSE(w->ReplaceStr->isVisible());
    EXPECT_FALSE(w->Label2->isVisible());
    EXPECT_FALSE(w->ReplaceNextBtn->isVisible());
    EXPECT_FALSE(w->ReplaceAllBtn->isVisible());
    EXPECT_TRUE(w->FindStr->isVisible());
}

TEST_F(FindDialogTest, EnablingFollowsTheSearchStringAndTheRegexBox) {
    TLfReplaceDialog dialog(&FOwner);
    dialog.Execute(&FOwner);
    TLfFindDlg* w = dialog.DlgForm();
    Type(w->FindStr, QStringLiteral("ab"));
    EXPECT_TRUE(w->FindNextBtn->isEnabled());
    EXPECT_TRUE(w->ReplaceNextBtn->isEnabled());
    EXPECT_TRUE(w->ReplaceAllBtn->isEnabled());
    w->FindStr->lineEdit()->clear();
    EXPECT_FALSE(w->FindNextBtn->isEnabled());
    EXPECT_FALSE(w->ReplaceNextBtn->isEnabled());
    EXPECT_FALSE(w->ReplaceAllBtn->isEnabled());

    QSignalSpy finds(&dialog, &TLfFindDialog::OnFind);
    QTest::keyClick(w->FindStr->lineEdit(), Qt::Key_Return);
    QCoreApplication::processEvents();
    EXPECT_EQ(finds.count(), 0); // nothing to search for

    QTest::mouseClick(w->UseRegex, Qt::LeftButton);
    EXPECT_TRUE(w->UseMultiLine->isEnabled());
    QTest::mouseClick(w->UseMultiLine, Qt::LeftButton);
    QTest::mouseClick(w->UseRegex, Qt::LeftButton);
    EXPECT_FALSE(w->UseMultiLine->isEnabled());
    EXPECT_TRUE(w->UseMultiLine->isChecked());
    Type(w->FindStr, QStringLiteral("x"));
    QTest::mouseClick(w->FindNextBtn, Qt::LeftButton);
    QCoreApplication::processEvents();
    EXPECT_TRUE(HasFindOption(dialog.Options(), frmMultiLine));
    EXPECT_FALSE(HasFindOption(dialog.Options(), frmUseRegex));
}

TEST_F(FindDialogTest, OneEnterPressStartsOneSearch) {
    auto dialog = MakeFind();
    dialog->Execute(&FOwner);
    TLfFindDlg* w = dialog->DlgForm();
    QSignalSpy finds(dialog.get(), &TLfFindDialog::OnFind);
    Type(w->FindStr, QStringLiteral("abc"));
    QTest::keyClick(w->FindStr->lineEdit(), Qt::Key_Return);
    EXPECT_EQ(finds.count(), 0); // the command travels through the event loop
    QCoreApplication::processEvents();
    EXPECT_EQ(finds.count(), 1);
    QTest::keyClick(w->FindStr->lineEdit(), Qt::Key_Enter);
    QCoreApplication::processEvents();
    EXPECT_EQ(finds.count(), 2);
    QTest::keyClick(w->UseMatchCase, Qt::Key_Return); // the default button
    QCoreApplication::processEvents();
    EXPECT_EQ(finds.count(), 3);
    EXPECT_EQ(finds.at(0).at(0).value<TLfFindDialog*>(), dialog.get());
}

TEST_F(FindDialogTest, EnterInTheReplacementFieldFindsOnce) {
    TLfReplaceDialog dialog(&FOwner);
    dialog.Execute(&FOwner);
    TLfFindDlg* w = dialog.DlgForm();
    QSignalSpy finds(&dialog, &TLfFindDialog::OnFind);
    QSignalSpy replaces(&dialog, &TLfFindDialog::OnReplace);
    Type(w->FindStr, QStringLiteral("a"));
    Type(w->ReplaceStr, QStringLiteral("b"));
    QTest::keyClick(w->ReplaceStr->lineEdit(), Qt::Key_Return);
    QCoreApplication::processEvents();
    EXPECT_EQ(finds.count(), 1);
    EXPECT_EQ(replaces.count(), 0);
}

TEST_F(FindDialogTest, EachPressTakesTheOptionsAndResetsTheStartPoint) {
    TLfReplaceDialog dialog(&FOwner);
    dialog.Execute(&FOwner);
    TLfFindDlg* w = dialog.DlgForm();
    QSignalSpy replaces(&dialog, &TLfFindDialog::OnReplace);
    EXPECT_EQ(dialog.Options(), FindOptionBit(frmDown));
    Type(w->FindStr, QStringLiteral("a"));
    QTest::mouseClick(w->FindTop, Qt::LeftButton);
    QTest::mouseClick(w->UseMatchCase, Qt::LeftButton);
    QTest::mouseClick(w->UseRegex, Qt::LeftButton);
    QTest::mouseClick(w->ReplaceAllBtn, Qt::LeftButton);
    QCoreApplication::processEvents();
    ASSERT_EQ(replaces.count(), 1);
    const TLfFindOptions all = dialog.Options();
    EXPECT_TRUE(HasFindOption(all, frmFindTop));
    EXPECT_FALSE(HasFindOption(all, frmFindCursor));
    EXPECT_TRUE(HasFindOption(all, frmMatchCase));
    EXPECT_TRUE(HasFindOption(all, frmUseRegex));
    EXPECT_TRUE(HasFindOption(all, frmReplaceAll));
    EXPECT_FALSE(HasFindOption(all, frmMultiLine));
    EXPECT_TRUE(w->FindCursor->isChecked());

    QTest::mouseClick(w->ReplaceNextBtn, Qt::LeftButton);
    QCoreApplication::processEvents();
    ASSERT_EQ(replaces.count(), 2);
    EXPECT_TRUE(HasFindOption(dialog.Options(), frmFindCursor));
    EXPECT_FALSE(HasFindOption(dialog.Options(), frmFindTop));
    EXPECT_FALSE(HasFindOption(dialog.Options(), frmReplaceAll));
}

TEST_F(FindDialogTest, CancelAndEscapeHideAndExecuteShowsTheSameWindow) {
    auto dialog = MakeFind();
    dialog->Execute(&FOwner);
    TLfFindDlg* w = dialog->DlgForm();
    Type(w->FindStr, QStringLiteral("keep"));
    QTest::mouseClick(w->UseMatchCase, Qt::LeftButton);
    EXPECT_EQ(dialog->FindText(), QStringLiteral("keep"));
    QTest::mouseClick(w->CancelBtn, Qt::LeftButton);
    EXPECT_FALSE(w->isVisible());
    w->FindStr->setEditText(QStringLiteral("other"));
    EXPECT_EQ(dialog->FindText(), QStringLiteral("keep")); // hidden: the text last read
    w->FindStr->setEditText(QStringLiteral("keep"));
    dialog->Execute(&FOwner);
    EXPECT_EQ(dialog->DlgForm(), w);
    EXPECT_TRUE(w->isVisible());
    EXPECT_EQ(w->FindStr->currentText(), QStringLiteral("keep"));
    EXPECT_TRUE(w->UseMatchCase->isChecked());
    QTest::keyClick(w, Qt::Key_Escape);
    EXPECT_FALSE(w->isVisible());
}

TEST_F(FindDialogTest, NotifiesOpenAndGone) {
    auto dialog = std::make_unique<TLfReplaceDialog>(&FOwner);
    QSignalSpy notes(dialog.get(), &TLfFindDialog::NotifyMessage);
    dialog->Execute(&FOwner);
    EXPECT_EQ(notes.count(), 0); // posted
    QCoreApplication::processEvents();
    ASSERT_EQ(notes.count(), 1);
    EXPECT_EQ(notes.at(0).at(0).toInt(), 0);
    EXPECT_EQ(notes.at(0).at(1).toInt(), 2);
    dialog.reset();
    ASSERT_EQ(notes.count(), 2);
    EXPECT_EQ(notes.at(1).at(0).toInt(), 1);
    EXPECT_EQ(notes.at(1).at(1).toInt(), 2);
}

TEST_F(FindDialogTest, FirstStartCreatesAnEmptyHistory) {
    auto dialog = MakeFind();
    dialog->Execute(&FOwner);
    EXPECT_EQ(dialog->DlgForm()->FindStr->count(), 0);
    auto settings = platform::OpenSettings();
    EXPECT_EQ(settings->value(QStringLiteral("History/Find/FindTextCount")).toInt(), 0);
    EXPECT_TRUE(settings->contains(QStringLiteral("History/Find/FindTextCount")));
}

TEST_F(FindDialogTest, HistoryIsMostRecentFirstAndKeptPerDialog) {
    WriteHistory(QStringLiteral("History/Find"), {QStringLiteral("foo"), QStringLiteral("bar"),
                                                  QStringLiteral("foo"), QStringLiteral("baz")});
    {
        auto dialog = MakeFind();
        dialog->Execute(&FOwner);
        TLfFindDlg* w = dialog->DlgForm();
        EXPECT_EQ(w->FindStr->currentText(), QString());
        Type(w->FindStr, QStringLiteral("foo")); // typed: the later copy moves
        QTest::mouseClick(w->FindNextBtn, Qt::LeftButton);
        EXPECT_EQ(Items(w->FindStr), QStringList({"foo", "foo", "bar", "baz"}));
        Type(w->FindStr, QStringLiteral("Foo")); // exact comparison: a new entry
        QTest::mouseClick(w->FindNextBtn, Qt::LeftButton);
        EXPECT_EQ(Items(w->FindStr), QStringList({"Foo", "foo", "foo", "bar", "baz"}));
        w->FindStr->setCurrentIndex(4); // chosen from the list
        emit w->FindStr->activated(4);
        EXPECT_EQ(Items(w->FindStr), QStringList({"baz", "Foo", "foo", "foo", "bar"}));
        EXPECT_EQ(w->FindStr->currentText(), QStringLiteral("baz"));
        EXPECT_TRUE(w->FindNextBtn->isEnabled());
        QTest::mouseClick(w->FindNextBtn, Qt::LeftButton);
        EXPECT_EQ(Items(w->FindStr), QStringList({"baz", "Foo", "foo", "foo", "bar"}));
        QCoreApplication::processEvents();
    }
    EXPECT_EQ(ReadHistory(QStringLiteral("History/Find")),
              QStringList({"baz", "Foo", "foo", "foo", "bar"}));

    {
        TLfReplaceDialog dialog(&FOwner);
        dialog.SetRegKey(QStringLiteral("History/Replace"));
        dialog.Execute(&FOwner);
        TLfFindDlg* w = dialog.DlgForm();
        EXPECT_EQ(w->FindStr->count(), 0);
        Type(w->FindStr, QStringLiteral("r1"));
        Type(w->ReplaceStr, QStringLiteral("with"));
        QTest::mouseClick(w->ReplaceNextBtn, Qt::LeftButton);
        EXPECT_EQ(Items(w->ReplaceStr), QStringList({"with"}));
        EXPECT_EQ(w->FindStr->count(), 0); // replacing keeps the find list as it is
        QTest::mouseClick(w->FindNextBtn, Qt::LeftButton);
        EXPECT_EQ(Items(w->FindStr), QStringList({"r1"}));
        QCoreApplication::processEvents();
    }
    EXPECT_EQ(ReadHistory(QStringLiteral("History/Replace")), QStringList({"r1"}));
    EXPECT_EQ(ReadHistory(QStringLiteral("History/Find")).size(), 5);

    TLfReplaceDialog again(&FOwner);
    again.SetRegKey(QStringLiteral("History/Replace"));
    again.Execute(&FOwner);
    EXPECT_EQ(again.DlgForm()->ReplaceStr->count(), 0); // replacements are not kept
    EXPECT_EQ(Items(again.DlgForm()->FindStr), QStringList({"r1"}));
}

TEST_F(FindDialogTest, MissingEntriesAreEmptyAndADamagedCountIsBounded) {
    {
        auto settings = platform::OpenSettings();
        settings->setValue(QStringLiteral("History/Find/FindTextCount"), 3);
        settings->setValue(QStringLiteral("History/Find/FindText00"), QStringLiteral("a"));
        settings->setValue(QStringLiteral("History/Find/FindText02"), QStringLiteral("c"));
        settings->setValue(QStringLiteral("History/Replace/FindTextCount"), 2000000000);
    }
    auto find = MakeFind();
    find->Execute(&FOwner);
    EXPECT_EQ(Items(find->DlgForm()->FindStr), QStringList({"a", "", "c"}));
    TLfReplaceDialog replace(&FOwner);
    replace.SetRegKey(QStringLiteral("History/Replace"));
    replace.Execute(&FOwner);
    EXPECT_LE(replace.DlgForm()->FindStr->count(), 1);
}

TEST_F(FindDialogTest, EntriesAfterSeveralMissingOnesAreKept) {
    {
        auto settings = platform::OpenSettings();
        settings->setValue(QStringLiteral("History/Find/FindTextCount"), 104);
        for (const auto& [name, text] :
             {std::pair{"00", "a"}, {"03", "d"}, {"04", "e"}, {"100", "x"}, {"101", "y"}}) {
            settings->setValue(QStringLiteral("History/Find/FindText") + QLatin1String(name),
                               QString::fromUtf8(text));
        }
        // Not an entry's name: does not make the list longer.
        settings->setValue(QStringLiteral("History/Find/FindText500x"), QStringLiteral("z"));
    }
    auto find = MakeFind();
    find->Execute(&FOwner);
    const QStringList items = Items(find->DlgForm()->FindStr);
    ASSERT_EQ(items.size(), 102) << "every stored entry; none of the empty ones after the last";
    EXPECT_EQ(items.mid(0, 5), QStringList({"a", "", "", "d", "e"}));
    EXPECT_EQ(items.mid(5, 95), QStringList(95, QString()));
    EXPECT_EQ(items.mid(100), QStringList({"x", "y"}));
}

TEST_F(FindDialogTest, NoKeyMeansNoHistory) {
    TLfFindDialog dialog(&FOwner);
    dialog.Execute(&FOwner);
    Type(dialog.DlgForm()->FindStr, QStringLiteral("x"));
    QTest::mouseClick(dialog.DlgForm()->FindNextBtn, Qt::LeftButton);
    QCoreApplication::processEvents();
    delete dialog.DlgForm();
    EXPECT_TRUE(platform::OpenSettings()->allKeys().isEmpty());
}

} // namespace
} // namespace quillo::search
