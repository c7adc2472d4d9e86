// The document: every change of its text raised once with what changed, the
// modified state, undo and redo with their selections, and the file state.

#include "document/Document.h"

#include <gtest/gtest.h>

#include <QSignalSpy>

#include <vector>

using quillo::document::EInvalidOperation;
using quillo::document::TDocument;
using quillo::document::TSelection;
using quillo::document::TTextChange;

namespace {

// Records every change the document raises, with the text right after it.
struct TChangeLog {
    explicit TChangeLog(TDocument& document) {
        QObject::connect(&document, &TDocument::Changed, [this, &document](const TTextChange& c) {
            Changes.push_back(c);
            Texts.push_back(document.View().toString());
        });
    }
    std::vector<TTextChange> Changes;
    QStringList Texts;
};

} // namespace

TEST(Document, EachChangeIsRaisedOnceWithItsSpanAndTheOldLineCount) {
    TDocument doc;
    TChangeLog log(doc);
    doc.Load(QStringLiteral("one\ntwo\rthree"));
    ASSERT_EQ(log.Changes.size(), 1u);
    EXPECT_TRUE(log.Changes[0].Reset);
    EXPECT_EQ(log.Texts[0], QStringLiteral("one\r\ntwo\r\nthree")); // breaks made CR LF
    EXPECT_FALSE(doc.Modified());
    EXPECT_FALSE(doc.CanUndo());

    doc.Replace(3, 2, QStringLiteral(" "), false, {3, 5}, TSelection{4, 4});
    ASSERT_EQ(log.Changes.size(), 2u);
    const TTextChange& c = log.Changes[1];
    EXPECT_EQ(c.Pos, 3);
    EXPECT_EQ(c.Removed, 2);
    EXPECT_EQ(c.Added, 1);
    EXPECT_EQ(c.LinesBefore, 3);
    ASSERT_TRUE(c.Selection);
    EXPECT_EQ(c.Selection->Caret, 4);
    EXPECT_FALSE(c.Reset);
    EXPECT_EQ(log.Texts[1], QStringLiteral("one two\r\nthree"));
    EXPECT_TRUE(doc.Modified());

    // An empty replacement of nothing changes nothing and raises nothing.
    doc.Replace(2, 0, QString(), false, {}, std::nullopt);
    EXPECT_EQ(log.Changes.size(), 2u);
}

TEST(Document, SetTextReplacesOnlyWhatDiffersAndNeverSplitsABreakOrAPair) {
    TDocument doc;
    doc.Load(QStringLiteral("abc\r\ndef"));
    TChangeLog log(doc);
    doc.SetText(QStringLiteral("abc\r\ndef"), {});
    EXPECT_TRUE(log.Changes.empty()); // the same text: nothing happens
    EXPECT_FALSE(doc.Modified());

    doc.SetText(QStringLiteral("abc\ndXf"), {});
    ASSERT_EQ(log.Changes.size(), 1u);
    EXPECT_EQ(log.Changes[0].Pos, 6);
    EXPECT_EQ(log.Changes[0].Removed, 1);
    EXPECT_EQ(log.Changes[0].Added, 1);

    // A break inserted after a CR: the change starts at the CR, not between CR and LF.
    doc.Load(QStringLiteral("x\r\ny"));
    log.Changes.clear();
    doc.SetText(QStringLiteral("x\r\n\r\ny"), {});
    ASSERT_EQ(log.Changes.size(), 1u);
    EXPECT_NE(doc.View()[log.Changes[0].Pos - 1], u'\r');
    // The same for a surrogate pair whose low half changes.
    const QString before = QStringLiteral("a") + QChar(0xD83D) + QChar(0xDE00);
    const QString after = QStringLiteral("a") + QChar(0xD83D) + QChar(0xDE01);
    doc.Load(before);
    log.Changes.clear();
    doc.SetText(after, {});
    ASSERT_EQ(log.Changes.size(), 1u);
    EXPECT_EQ(log.Changes[0].Pos, 1);
    EXPECT_EQ(log.Changes[0].Removed, 2);
    EXPECT_EQ(doc.View(), after);
}

TEST(Document, UndoAndRedoRestoreTheTextAndRaiseTheSelectionTheyKept) {
    TDocument doc;
    doc.Load(QStringLiteral("hello"));
    doc.Replace(0, 5, QStringLiteral("bye"), false, {5, 0}, TSelection{3, 3});
    TChangeLog log(doc);
    ASSERT_TRUE(doc.Undo());
    EXPECT_EQ(doc.View(), QStringLiteral("hello"));
    ASSERT_EQ(log.Changes.size(), 1u);
    ASSERT_TRUE(log.Changes[0].Selection);
    EXPECT_EQ(log.Changes[0].Selection->Anchor, 5);
    EXPECT_EQ(log.Changes[0].Selection->Caret, 0);
    EXPECT_FALSE(doc.Modified()); // back where it was loaded
    ASSERT_TRUE(doc.Redo());
    EXPECT_EQ(doc.View(), QStringLiteral("bye"));
    EXPECT_TRUE(doc.Modified());
    EXPECT_FALSE(doc.Redo()); // nothing more: nothing raised
    EXPECT_EQ(log.Changes.size(), 2u);
}

TEST(Document, ABigWholeTextChangeIsOneStepThatUndoesExactly) {
    TDocument doc;
    const QString original(3 * quillo::document::TEditHistory::kWholeUnits, u'a');
    doc.Load(original);
    QString changed = original;
    changed.replace(u'a', u'b');
    TChangeLog log(doc);
    doc.SetText(changed, {});
    ASSERT_EQ(log.Changes.size(), 1u);
    EXPECT_EQ(log.Changes[0].Removed, original.size());
    EXPECT_EQ(doc.View(), changed);
    ASSERT_TRUE(doc.Undo());
    EXPECT_EQ(doc.View(), original);
    EXPECT_FALSE(doc.CanUndo());
}

TEST(Document, ModifiedStateIsRaisedOnlyWhenItFlips) {
    TDocument doc;
    QSignalSpy spy(&doc, &TDocument::ModifiedChanged);
    doc.Replace(0, 0, QStringLiteral("a"), true, {}, std::nullopt);
    doc.Replace(1, 0, QStringLiteral("b"), true, {}, std::nullopt);
    ASSERT_EQ(spy.count(), 1);
    EXPECT_TRUE(spy.at(0).at(0).toBool());
    doc.SetModified(false); // saved
    EXPECT_FALSE(doc.Modified());
    doc.SetModified(true); // kept modified although the text is where it was saved
    EXPECT_TRUE(doc.Modified());
    EXPECT_EQ(spy.count(), 3);
    doc.Load(QString());
    EXPECT_FALSE(doc.Modified());
    EXPECT_EQ(spy.count(), 4);
}

TEST(Document, FileStateAndLimits) {
    TDocument doc;
    EXPECT_TRUE(doc.IsUntitled());
    EXPECT_EQ(doc.FileName(), TDocument::UntitledName());
    QSignalSpy spy(&doc, &TDocument::FileChanged);
    doc.SetFileName(QStringLiteral("/tmp/a.txt"));
    doc.SetFileName(QStringLiteral("/tmp/a.txt"));
    doc.SetCodePage(65001);
    EXPECT_EQ(spy.count(), 2);
    EXPECT_FALSE(doc.IsUntitled());
    EXPECT_EQ(doc.BackupNum(), 0); // no slot until one is taken
    EXPECT_THROW(TDocument::CheckLimit(TDocument::kMaxUnits + 1), EInvalidOperation);
    EXPECT_NO_THROW(TDocument::CheckLimit(TDocument::kMaxUnits));
}
