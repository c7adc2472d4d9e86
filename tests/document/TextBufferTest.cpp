// The storage against plain strings: the gap buffer and its line index under
// random edits, and the undo history against snapshots of the text.

#include "document/TextBuffer.h"
#include "document/EditHistory.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

using quillo::document::TEditHistory;
using quillo::document::TEditSpan;
using quillo::document::TTextBuffer;

namespace {

QString ToQ(const std::u16string& s) {
    return QString(reinterpret_cast<const QChar*>(s.data()), static_cast<qsizetype>(s.size()));
}

std::u16string ToU(QStringView s) {
    return std::u16string(s.utf16(), s.utf16() + s.size());
}

// Random text rich in what lines are made of: CR, LF, CR LF, surrogate pairs.
std::u16string RandomText(std::mt19937& rng, int maxLength) {
    static const std::u16string pieces[] = {
        u"a", u"b", u"\u3042", u"\r", u"\n", u"\r\n", u"\U0001F600", u"xyz", u"\u6F22\u5B57"};
    std::u16string text;
    const int length = std::uniform_int_distribution<int>(0, maxLength)(rng);
    while (static_cast<int>(text.size()) < length) {
        text += pieces[std::uniform_int_distribution<std::size_t>(0, std::size(pieces) - 1)(rng)];
    }
    return text;
}

// Lines, the slow and obvious way.
struct TNaiveLines {
    std::vector<qsizetype> Starts{0};

    explicit TNaiveLines(const std::u16string& text) {
        for (std::size_t i = 0; i < text.size(); ++i) {
            if (text[i] == u'\n') {
                Starts.push_back(static_cast<qsizetype>(i + 1));
            }
        }
    }
};

// Every position's line, or (on big texts) the positions around each break.
void ExpectSameLines(const TTextBuffer& buffer, const std::u16string& ref, bool everyPos = true) {
    const TNaiveLines naive(ref);
    const auto length = static_cast<qsizetype>(ref.size());
    ASSERT_EQ(buffer.LineCount(), static_cast<qsizetype>(naive.Starts.size()));
    for (std::size_t line = 0; line < naive.Starts.size(); ++line) {
        const qsizetype start = naive.Starts[line];
        const bool last = line + 1 == naive.Starts.size();
        const qsizetype next = last ? length : naive.Starts[line + 1];
        qsizetype end = next;
        if (!last) {
            --end;
            if (end > start && ref[static_cast<std::size_t>(end - 1)] == u'\r') {
                --end;
            }
        }
        const auto l = static_cast<qsizetype>(line);
        ASSERT_EQ(buffer.LineStart(l), start) << "line " << line;
        ASSERT_EQ(buffer.LineNext(l), next) << "line " << line;
        ASSERT_EQ(buffer.LineEnd(l), end) << "line " << line;
        if (everyPos) {
            for (qsizetype pos = start; pos < next || (last && pos == next); ++pos) {
                ASSERT_EQ(buffer.LineOfPos(pos), l) << "pos " << pos;
            }
        } else {
            ASSERT_EQ(buffer.LineOfPos(start), l) << "pos " << start;
            ASSERT_EQ(buffer.LineOfPos(last ? next : next - 1), l) << "line " << line;
        }
    }
}

void ExpectSameText(const TTextBuffer& buffer, const std::u16string& ref, std::mt19937& rng) {
    const auto length = static_cast<qsizetype>(ref.size());
    ASSERT_EQ(buffer.Length(), length);
    for (int i = 0; i < 20 && length > 0; ++i) {
        const qsizetype pos = std::uniform_int_distribution<qsizetype>(0, length - 1)(rng);
        ASSERT_EQ(buffer.At(pos), ref[static_cast<std::size_t>(pos)]);
        const qsizetype n = std::uniform_int_distribution<qsizetype>(0, length - pos)(rng);
        ASSERT_EQ(ToU(buffer.Mid(pos, n)), ref.substr(static_cast<std::size_t>(pos), n));
        std::u16string out(static_cast<std::size_t>(n), u'?');
        buffer.CopyTo(pos, n, out.data());
        ASSERT_EQ(out, ref.substr(static_cast<std::size_t>(pos), n));
    }
    ASSERT_EQ(ToU(buffer.View()), ref);
}

// Edits are spread over the text or clustered around a moving point, as typing is.
void RunRandomEdits(unsigned seed, bool clustered) {
    std::mt19937 rng(seed);
    std::u16string ref = RandomText(rng, 20000);
    TTextBuffer buffer;
    buffer.Assign(ToQ(ref));
    qsizetype focus = 0;
    for (int batch = 0; batch < 40; ++batch) {
        for (int i = 0; i < 60; ++i) {
            const auto length = static_cast<qsizetype>(ref.size());
            qsizetype pos = std::uniform_int_distribution<qsizetype>(0, length)(rng);
            if (clustered) {
                focus = std::clamp<qsizetype>(
                    focus + std::uniform_int_distribution<qsizetype>(-8, 8)(rng), 0, length);
                pos = focus;
            }
            // Mostly small edits; now and then one that spans many lines and blocks.
            const bool big = std::uniform_int_distribution<int>(0, 40)(rng) == 0;
            const std::u16string text = RandomText(rng, big ? 8000 : 6);
            const qsizetype removable = length - pos;
            const qsizetype cut = std::min<qsizetype>(
                removable, std::uniform_int_distribution<qsizetype>(0, big ? 9000 : 4)(rng));
            switch (std::uniform_int_distribution<int>(0, 2)(rng)) {
            case 0:
                buffer.Insert(pos, ToQ(text));
                ref.insert(static_cast<std::size_t>(pos), text);
                break;
            case 1:
                buffer.Remove(pos, cut);
                ref.erase(static_cast<std::size_t>(pos), static_cast<std::size_t>(cut));
                break;
            default:
                buffer.Replace(pos, cut, ToQ(text));
                ref.replace(static_cast<std::size_t>(pos), static_cast<std::size_t>(cut), text);
                break;
            }
        }
        ASSERT_NO_FATAL_FAILURE(ExpectSameText(buffer, ref, rng)) << "batch " << batch;
        ASSERT_NO_FATAL_FAILURE(ExpectSameLines(buffer, ref)) << "batch " << batch;
    }
}

TEST(TextBuffer, RandomEditsMatchReference) {
    for (unsigned seed = 1; seed <= 3; ++seed) {
        SCOPED_TRACE(seed);
        RunRandomEdits(seed, false);
        RunRandomEdits(seed + 100, true);
    }
}

TEST(TextBuffer, ManyShortLinesSplitAndMergeBlocks) {
    // Thousands of line breaks typed one by one, then removed one by one.
    TTextBuffer buffer;
    std::u16string ref = u"head";
    buffer.Assign(ToQ(ref));
    std::mt19937 rng(7);
    for (int i = 0; i < 3000; ++i) {
        const qsizetype pos = i % 2 == 0 ? 0 : buffer.Length();
        buffer.Insert(pos, u"\r\n");
        ref.insert(static_cast<std::size_t>(pos), u"\r\n");
    }
    ASSERT_NO_FATAL_FAILURE(ExpectSameLines(buffer, ref));
    for (int i = 0; i < 2900; ++i) {
        const qsizetype line =
            std::uniform_int_distribution<qsizetype>(0, buffer.LineCount() - 2)(rng);
        const qsizetype end = buffer.LineEnd(line);
        buffer.Remove(end, 2);
        ref.erase(static_cast<std::size_t>(end), 2);
    }
    ASSERT_NO_FATAL_FAILURE(ExpectSameText(buffer, ref, rng));
    ASSERT_NO_FATAL_FAILURE(ExpectSameLines(buffer, ref));
}

TEST(TextBuffer, EmptyAndEdgeTexts) {
    TTextBuffer buffer;
    EXPECT_EQ(buffer.Length(), 0);
    EXPECT_EQ(buffer.LineCount(), 1);
    EXPECT_EQ(buffer.LineEnd(0), 0);
    EXPECT_EQ(buffer.LineOfPos(0), 0);
    EXPECT_TRUE(buffer.View().isEmpty());

    // A lone CR is text; a trailing CR LF leaves an empty last line.
    buffer.Assign(QStringLiteral("\r\ra\r\n"));
    ASSERT_NO_FATAL_FAILURE(ExpectSameLines(buffer, u"\r\ra\r\n"));
    EXPECT_EQ(buffer.LineEnd(0), 3);
    EXPECT_EQ(buffer.LineOfPos(3), 0);
    EXPECT_EQ(buffer.LineOfPos(5), 1);

    buffer.Remove(0, buffer.Length());
    EXPECT_EQ(buffer.LineCount(), 1);
    EXPECT_EQ(buffer.Text(), QString());
}

TEST(TextBuffer, AssignTakesUnsharedStorageAndLeavesSharedStringsAlone) {
    QString unshared = QStringLiteral("one\r\ntwo\r\n").repeated(100);
    const QChar* storage = unshared.constData();
    TTextBuffer buffer;
    buffer.Assign(std::move(unshared));
    EXPECT_EQ(buffer.View().data(), storage);
    EXPECT_EQ(buffer.LineCount(), 201);

    const QString original = QStringLiteral("alpha\nbeta\n");
    buffer.Assign(original);
    EXPECT_EQ(buffer.View().data(), original.constData()); // shared until changed
    buffer.Insert(5, u"!");
    buffer.Remove(0, 1);
    EXPECT_EQ(original, QStringLiteral("alpha\nbeta\n"));
    EXPECT_EQ(buffer.Text(), QStringLiteral("lpha!\nbeta\n"));

    // Take hands the same storage back and leaves an empty buffer.
    const QChar* before = buffer.View().data();
    const QString taken = buffer.Take();
    EXPECT_EQ(taken, QStringLiteral("lpha!\nbeta\n"));
    EXPECT_EQ(taken.constData(), before);
    EXPECT_EQ(buffer.Length(), 0);
    EXPECT_EQ(buffer.LineCount(), 1);
}

TEST(TextBuffer, PrepareOpensTheGapWhereTheNextEditGoes) {
    TTextBuffer buffer;
    const std::u16string text = u"one\r\ntwo\r\nthree";
    buffer.Assign(ToQ(text));
    // A freshly taken string has no gap: the first edit anywhere allocates one.
    EXPECT_EQ(buffer.GapDistance(0), buffer.Length());
    buffer.Prepare(5);
    EXPECT_EQ(buffer.GapDistance(5), 0);
    EXPECT_EQ(buffer.GapDistance(1), 4);
    ASSERT_NO_FATAL_FAILURE(ExpectSameLines(buffer, text));
    buffer.Insert(5, u"x");
    buffer.Prepare(0);
    buffer.Remove(0, 1);
    buffer.Prepare(buffer.Length());
    ASSERT_NO_FATAL_FAILURE(ExpectSameLines(buffer, u"ne\r\nxtwo\r\nthree"));
}

TEST(TextBuffer, InsertsAndReplacesWithItsOwnText) {
    TTextBuffer buffer;
    buffer.Assign(QStringLiteral("ab\ncd"));
    buffer.Insert(1, buffer.View());
    EXPECT_EQ(buffer.Text(), QStringLiteral("aab\ncdb\ncd"));
    buffer.Replace(0, 3, buffer.View().mid(4, 4));
    EXPECT_EQ(buffer.Text(), QStringLiteral("cdb\n\ncdb\ncd"));
    ASSERT_NO_FATAL_FAILURE(ExpectSameLines(buffer, u"cdb\n\ncdb\ncd"));
}

TEST(TextBuffer, BigAssignIndexesBothHalves) {
    // Several megabytes take the two-thread scan; the line across the middle
    // must come out whole whether the middle falls before, on or after an LF.
    const qsizetype size = qsizetype{3} << 20;
    for (qsizetype shift : {-2, -1, 0, 1, 2}) {
        SCOPED_TRACE(shift);
        std::u16string ref(static_cast<std::size_t>(size), u'x');
        for (std::size_t i = 37; i < ref.size(); i += 53) {
            ref[i] = u'\n';
            ref[i - 1] = i % 2 == 0 ? u'\r' : u'\u3042';
        }
        for (std::size_t i = ref.size() / 2 - 100; i < ref.size() / 2 + 100; ++i) {
            ref[i] = u'y';
        }
        ref[static_cast<std::size_t>(size / 2 + shift)] = u'\n';
        TTextBuffer buffer;
        buffer.Assign(ToQ(ref));
        ASSERT_NO_FATAL_FAILURE(ExpectSameLines(buffer, ref, false));
    }
    // No line break at all, and nothing but line breaks.
    for (char16_t fill : {u'z', u'\n'}) {
        const std::u16string ref(static_cast<std::size_t>(size), fill);
        TTextBuffer buffer;
        buffer.Assign(ToQ(ref));
        ASSERT_NO_FATAL_FAILURE(ExpectSameLines(buffer, ref, false));
    }
}

// ---- history ----

struct THistoryFixture : ::testing::Test {
    TTextBuffer Buffer;
    TEditHistory History;
    std::mt19937 Rng{11};

    void Type(qsizetype pos, const QString& text) {
        History.Change(Buffer, pos, 0, text, true, pos, pos);
    }
    void Edit(qsizetype pos, qsizetype length, const QString& text) {
        History.Change(Buffer, pos, length, text, false, pos, pos + length);
    }
    void RandomEdit() {
        const qsizetype length = Buffer.Length();
        const qsizetype pos = std::uniform_int_distribution<qsizetype>(0, length)(Rng);
        const qsizetype cut =
            std::min<qsizetype>(length - pos, std::uniform_int_distribution<qsizetype>(0, 5)(Rng));
        std::u16string text = RandomText(Rng, 6);
        if (cut == 0 && text.empty()) {
            text = u"q"; // a change that changes nothing makes no step
        }
        Edit(pos, cut, ToQ(text));
    }
};

// A span says which part changed: old text with [Pos, Pos + Removed) replaced
// by new text's [Pos, Pos + Inserted) gives the new text.
void ExpectSpanExplains(const TEditSpan& span, const QString& before, const QString& after) {
    ASSERT_GE(span.Pos, 0);
    ASSERT_LE(span.Pos + span.Removed, before.size());
    ASSERT_LE(span.Pos + span.Inserted, after.size());
    QString rebuilt = before;
    rebuilt.replace(span.Pos, span.Removed, after.mid(span.Pos, span.Inserted));
    EXPECT_EQ(rebuilt, after);
}

TEST_F(THistoryFixture, UndoAllAndRedoAllWalkThroughEverySnapshot) {
    Buffer.Assign(QStringLiteral("start\r\nof the text\r\n"));
    std::vector<QString> snapshots{Buffer.Text()};
    for (int i = 0; i < 300; ++i) {
        if (i % 7 == 0) {
            // A multi-change step: a Replace All in miniature.
            History.BeginStep();
            for (int k = 0; k < 4; ++k) {
                RandomEdit();
            }
            History.EndStep();
        } else {
            RandomEdit();
        }
        snapshots.push_back(Buffer.Text());
    }
    for (std::size_t i = snapshots.size() - 1; i > 0; --i) {
        ASSERT_TRUE(History.CanUndo());
        const auto span = History.Undo(Buffer);
        ASSERT_TRUE(span.has_value());
        ASSERT_EQ(Buffer.Text(), snapshots[i - 1]) << "undo to " << i - 1;
        ASSERT_NO_FATAL_FAILURE(ExpectSpanExplains(*span, snapshots[i], snapshots[i - 1]));
    }
    EXPECT_FALSE(History.CanUndo());
    EXPECT_FALSE(History.Undo(Buffer).has_value());
    for (std::size_t i = 1; i < snapshots.size(); ++i) {
        const auto span = History.Redo(Buffer);
        ASSERT_TRUE(span.has_value());
        ASSERT_EQ(Buffer.Text(), snapshots[i]) << "redo to " << i;
        ASSERT_NO_FATAL_FAILURE(ExpectSpanExplains(*span, snapshots[i - 1], snapshots[i]));
    }
    EXPECT_FALSE(History.CanRedo());
    EXPECT_FALSE(History.Redo(Buffer).has_value());
    ASSERT_NO_FATAL_FAILURE(ExpectSameLines(Buffer, ToU(Buffer.View())));
}

TEST_F(THistoryFixture, InterleavedUndoRedoAndNewChangesFollowTheModel) {
    Buffer.Assign(QStringLiteral("x\ny\n"));
    std::vector<QString> states{Buffer.Text()};
    std::size_t current = 0;
    for (int i = 0; i < 3000; ++i) {
        const int op = std::uniform_int_distribution<int>(0, 3)(Rng);
        if (op == 0) {
            const bool did = History.Undo(Buffer).has_value();
            ASSERT_EQ(did, current > 0);
            current -= did ? 1 : 0;
        } else if (op == 1) {
            const bool did = History.Redo(Buffer).has_value();
            ASSERT_EQ(did, current + 1 < states.size());
            current += did ? 1 : 0;
        } else {
            if (i % 50 == 0) {
                // Now and then the whole text rewritten, swapped rather than copied.
                History.ChangeAll(Buffer, Buffer.Text() + ToQ(RandomText(Rng, 30)) + u'!', 0, 0);
            } else {
                RandomEdit();
            }
            states.resize(current + 1); // the redo steps are gone
            states.push_back(Buffer.Text());
            ++current;
        }
        ASSERT_EQ(Buffer.Text(), states[current]) << "op " << i;
        ASSERT_EQ(History.CanUndo(), current > 0);
        ASSERT_EQ(History.CanRedo(), current + 1 < states.size());
    }
}

TEST_F(THistoryFixture, TypingJoinsOneStepWhileItFollowsTheCaret) {
    Buffer.Assign(QStringLiteral("hello"));
    Type(5, QStringLiteral(" "));
    Type(6, QStringLiteral("w"));
    Type(7, QStringLiteral("\u308F")); // an input-method commit is typing too
    EXPECT_EQ(Buffer.Text(), QStringLiteral("hello w\u308F"));
    const auto span = History.Undo(Buffer);
    ASSERT_TRUE(span.has_value());
    EXPECT_EQ(Buffer.Text(), QStringLiteral("hello"));
    EXPECT_EQ(span->Pos, 5);
    EXPECT_EQ(span->Removed, 3);
    EXPECT_EQ(span->Inserted, 0);
    EXPECT_EQ(span->Caret, 5);
    EXPECT_FALSE(History.CanUndo());
    const auto again = History.Redo(Buffer);
    ASSERT_TRUE(again.has_value());
    EXPECT_EQ(again->Caret, 8);
    EXPECT_EQ(Buffer.Text(), QStringLiteral("hello w\u308F"));
}

TEST_F(THistoryFixture, RunsEndWhereTheyShould) {
    Buffer.Assign(QStringLiteral("abc"));
    Type(3, QStringLiteral("1"));
    Type(4, QStringLiteral("2"));
    History.BreakRun(); // the caret moved away and back
    Type(5, QStringLiteral("3"));
    Type(0, QStringLiteral("4")); // not adjacent
    Type(1, QStringLiteral("5"));
    Edit(0, 1, QStringLiteral("")); // not typing
    Type(0, QStringLiteral("6"));
    std::vector<QString> expected{"abc", "abc12", "abc123", "45abc123", "5abc123", "65abc123"};
    EXPECT_EQ(Buffer.Text(), expected.back());
    for (auto it = expected.rbegin() + 1; it != expected.rend(); ++it) {
        ASSERT_TRUE(History.Undo(Buffer).has_value());
        EXPECT_EQ(Buffer.Text(), *it);
    }
    EXPECT_FALSE(History.CanUndo());

    // Undo ends the run: typing on after an undo and a redo is a new step.
    ASSERT_TRUE(History.Redo(Buffer).has_value());
    Type(5, QStringLiteral("7"));
    ASSERT_TRUE(History.Undo(Buffer).has_value());
    EXPECT_EQ(Buffer.Text(), QStringLiteral("abc12"));
}

TEST_F(THistoryFixture, TypingOverASelectionStartsARun) {
    Buffer.Assign(QStringLiteral("one two"));
    Type(0, QStringLiteral("a")); // a step of its own before the selection
    History.Change(Buffer, 5, 3, QStringLiteral("T"), true, 8, 5);
    Type(6, QStringLiteral("W"));
    Type(7, QStringLiteral("O"));
    EXPECT_EQ(Buffer.Text(), QStringLiteral("aone TWO"));
    const auto span = History.Undo(Buffer);
    ASSERT_TRUE(span.has_value());
    EXPECT_EQ(Buffer.Text(), QStringLiteral("aone two"));
    EXPECT_EQ(span->Anchor, 8); // the selection comes back
    EXPECT_EQ(span->Caret, 5);
    ASSERT_TRUE(History.Undo(Buffer).has_value());
    EXPECT_EQ(Buffer.Text(), QStringLiteral("one two"));
}

TEST_F(THistoryFixture, NestedStepsAreOneStep) {
    Buffer.Assign(QStringLiteral("a-b-c"));
    History.BeginStep();
    Edit(1, 1, QStringLiteral("+"));
    History.BeginStep();
    Edit(3, 1, QStringLiteral("+"));
    History.EndStep();
    Type(5, QStringLiteral("!")); // typing inside a step joins the step
    History.EndStep();
    Edit(0, 0, QStringLiteral(">"));
    EXPECT_EQ(Buffer.Text(), QStringLiteral(">a+b+c!"));
    ASSERT_TRUE(History.Undo(Buffer).has_value());
    EXPECT_EQ(Buffer.Text(), QStringLiteral("a+b+c!"));
    const auto span = History.Undo(Buffer);
    ASSERT_TRUE(span.has_value());
    EXPECT_EQ(Buffer.Text(), QStringLiteral("a-b-c"));
    EXPECT_EQ(span->Pos, 1);
    EXPECT_EQ(span->Removed, 5);
    EXPECT_EQ(span->Inserted, 4);
    EXPECT_FALSE(History.CanUndo());
}

TEST_F(THistoryFixture, CleanMarkFollowsUndoAndRedo) {
    Buffer.Assign(QStringLiteral("text"));
    EXPECT_TRUE(History.IsClean());
    Edit(0, 0, QStringLiteral("1"));
    EXPECT_FALSE(History.IsClean());
    History.Undo(Buffer);
    EXPECT_TRUE(History.IsClean());
    History.Redo(Buffer);
    Edit(0, 0, QStringLiteral("2"));
    History.MarkClean();
    EXPECT_TRUE(History.IsClean());
    History.Undo(Buffer);
    EXPECT_FALSE(History.IsClean());
    History.Redo(Buffer);
    EXPECT_TRUE(History.IsClean());

    // Typing on after the mark is a new step, so undo comes back to it.
    Type(2, QStringLiteral("a"));
    Type(3, QStringLiteral("b"));
    EXPECT_FALSE(History.IsClean());
    History.Undo(Buffer);
    EXPECT_TRUE(History.IsClean());

    // Once the marked state is dropped it never comes back.
    History.Undo(Buffer);
    Edit(0, 0, QStringLiteral("3"));
    for (int i = 0; i < 4; ++i) {
        EXPECT_FALSE(History.IsClean());
        History.Undo(Buffer);
    }
    while (History.Redo(Buffer)) {
        EXPECT_FALSE(History.IsClean());
    }

    History.Clear();
    EXPECT_TRUE(History.IsClean());
    EXPECT_FALSE(History.CanUndo());
}

TEST_F(THistoryFixture, WholeTextReplacementSwapsStorageInsteadOfCopying) {
    QString big = QStringLiteral("\u65E5\u672C\u8A9E\r\n").repeated(40000);
    const QChar* storage = big.constData();
    const QString copy(big.constData(), big.size()); // not shared with `big`
    Buffer.Assign(std::move(big));
    History.Change(Buffer, 0, Buffer.Length(), QStringLiteral("new\r\n"), false, 0, 0);
    EXPECT_EQ(Buffer.Text(), QStringLiteral("new\r\n"));
    EXPECT_EQ(Buffer.LineCount(), 2);
    const auto span = History.Undo(Buffer);
    ASSERT_TRUE(span.has_value());
    EXPECT_EQ(Buffer.View().data(), storage); // the very same string came back
    EXPECT_EQ(Buffer.Text(), copy);
    EXPECT_EQ(Buffer.LineCount(), 40001);
    EXPECT_EQ(span->Removed, 5);
    EXPECT_EQ(span->Inserted, copy.size());
    History.Redo(Buffer);
    EXPECT_EQ(Buffer.Text(), QStringLiteral("new\r\n"));
    History.Undo(Buffer);
    EXPECT_EQ(Buffer.Text(), copy);
}

TEST_F(THistoryFixture, ChangeAllMovesBothTextsInsteadOfCopying) {
    Buffer.Assign(QStringLiteral("old\nfirst"));
    const QChar* oldStorage = Buffer.View().data();
    QString replacement = QStringLiteral("new\r\nsecond\r\n");
    const QChar* newStorage = replacement.constData();
    History.ChangeAll(Buffer, std::move(replacement), 2, 4);
    EXPECT_EQ(Buffer.View().data(), newStorage);
    EXPECT_EQ(Buffer.LineCount(), 3);
    const auto span = History.Undo(Buffer);
    ASSERT_TRUE(span.has_value());
    EXPECT_EQ(Buffer.View().data(), oldStorage);
    EXPECT_EQ(Buffer.Text(), QStringLiteral("old\nfirst"));
    EXPECT_EQ(span->Anchor, 2);
    EXPECT_EQ(span->Caret, 4);
    History.Redo(Buffer);
    EXPECT_EQ(Buffer.View().data(), newStorage);
}

TEST_F(THistoryFixture, ChangeAllInsideAStepUndoesWithTheOtherChanges) {
    Buffer.Assign(QStringLiteral("abc"));
    History.BeginStep();
    Edit(0, 1, QStringLiteral("A"));
    History.ChangeAll(Buffer, QStringLiteral("x\ny"), 0, 0);
    Edit(3, 0, QStringLiteral("z"));
    History.EndStep();
    EXPECT_EQ(Buffer.Text(), QStringLiteral("x\nyz"));
    const auto span = History.Undo(Buffer);
    ASSERT_TRUE(span.has_value());
    EXPECT_EQ(Buffer.Text(), QStringLiteral("abc"));
    ASSERT_NO_FATAL_FAILURE(ExpectSpanExplains(*span, QStringLiteral("x\nyz"), Buffer.Text()));
    History.Redo(Buffer);
    EXPECT_EQ(Buffer.Text(), QStringLiteral("x\nyz"));
    EXPECT_EQ(Buffer.LineCount(), 2);
}

} // namespace
