// A seeded random driver for the edit view: keys, the mouse, the wheel, the
// input method, resizes, font changes and the text-model operations, with the
// view's invariants checked against a naive reading of Text() after each one.
// CI runs a few fixed seeds; for a long run by hand:
//   QUILLO_STRESS_OPS=1000000 QUILLO_STRESS_SEED=100 QUILLO_STRESS_SEEDS=8 ./memo_stress_tests
// A failure names the seed and the operation and lists the operations before it.
// The faults the driver found are kept below it as small tests of their own.

#include "document/TextBuffer.h"
#include "editing/LfMemo.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QInputMethodEvent>
#include <QMimeData>
#include <QScrollBar>
#include <QTest>
#include <QTextCharFormat>

#include <algorithm>
#include <cstdint>
#include <deque>
#include <limits>
#include <random>
#include <string>
#include <vector>

using quillo::editing::TLfMemo;

namespace {

// ---- the reference: naive readings of a CR LF text ----

QString NaiveCrLf(const QString& text) {
    QString out;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == u'\r') {
            out += QStringLiteral("\r\n");
            if (i + 1 < text.size() && text[i + 1] == u'\n') {
                ++i;
            }
        } else if (text[i] == u'\n') {
            out += QStringLiteral("\r\n");
        } else {
            out += text[i];
        }
    }
    return out;
}

bool MidBreak(const QString& text, qsizetype pos) {
    return pos > 0 && pos < text.size() && text[pos - 1] == u'\r' && text[pos] == u'\n';
}

qsizetype Snap(const QString& text, qsizetype pos) {
    pos = std::clamp<qsizetype>(pos, 0, text.size());
    return MidBreak(text, pos) ? pos - 1 : pos;
}

// Starts of the lines: 0 and every position after an LF.
std::vector<qsizetype> LineStarts(const QString& text) {
    std::vector<qsizetype> starts{0};
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == u'\n') {
            starts.push_back(i + 1);
        }
    }
    return starts;
}

QString Escaped(const QString& text, qsizetype limit = 80) {
    QString out;
    for (qsizetype i = 0; i < text.size() && i < limit; ++i) {
        const char16_t u = text[i].unicode();
        if (u >= 0x20 && u < 0x7F) {
            out += text[i];
        } else {
            out += QStringLiteral("\\u%1").arg(static_cast<int>(u), 4, 16, QLatin1Char('0'));
        }
    }
    if (text.size() > limit) {
        out += QStringLiteral("...(%1 units)").arg(text.size());
    }
    return out;
}

// ---- the driver ----

long long EnvNumber(const char* name, long long fallback) {
    bool ok = false;
    const long long value = qEnvironmentVariable(name).toLongLong(&ok);
    return ok ? value : fallback;
}

class TMemoStress {
public:
    TMemoStress(TLfMemo& memo, std::uint64_t seed) : FMemo(memo), FRng(seed), FSeed(seed) {
        FConnection = QObject::connect(&memo, &TLfMemo::ContentsChanged,
                                       [this](qsizetype pos, qsizetype removed, qsizetype added) {
                                           FChanges.push_back({pos, removed, added});
                                       });
    }
    ~TMemoStress() { QObject::disconnect(FConnection); }
    TMemoStress(const TMemoStress&) = delete;
    TMemoStress& operator=(const TMemoStress&) = delete;

    // Runs `ops` operations; false (with a failure reported) at the first broken invariant.
    bool Run(long long ops) {
        FMemo.LoadText(RandomText(20));
        FBase = FMemo.Text();
        if (!Check()) {
            return false;
        }
        for (FOp = 0; FOp < ops; ++FOp) {
            Step();
            if (!CheckChangeReport() || !Check()) {
                return false;
            }
            if (FOp % FUndoEvery == FUndoEvery - 1 && !CheckUndoRedo()) {
                return false;
            }
            if (FMemo.TextLengthUnits() > 90000) {
                Note(QStringLiteral("LoadText (the text grew too big)"));
                FMemo.LoadText(RandomText(20));
                FBase = FMemo.Text();
            }
        }
        return true;
    }

private:
    TLfMemo& FMemo;
    std::mt19937_64 FRng;
    std::uint64_t FSeed;
    long long FOp = 0;
    QString FBase; // the text where the undo history starts
    std::deque<QString> FLog;
    quint64 FTime = 1;
    QString FBefore; // the text before the current operation
    struct TChange {
        qsizetype Pos;
        qsizetype Removed;
        qsizetype Added;
    };
    std::vector<TChange> FChanges; // reported by the view during the current operation
    QMetaObject::Connection FConnection;
    long long FUndoEvery = EnvNumber("QUILLO_STRESS_UNDO_EVERY", 97);

    int Int(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(FRng); }
    bool Chance(int percent) { return Int(0, 99) < percent; }

    void Note(const QString& what) {
        FLog.push_back(QStringLiteral("#%1 %2").arg(FOp).arg(what));
        if (FLog.size() > 40) {
            FLog.pop_front();
        }
    }

    bool Fail(const QString& what) {
        std::string log;
        for (const QString& line : FLog) {
            log += "  " + line.toStdString() + "\n";
        }
        ADD_FAILURE() << "seed " << FSeed << ", operation " << FOp << ": " << what.toStdString()
                      << "\n text: " << Escaped(FMemo.Text(), 300).toStdString()
                      << "\n selection: " << FMemo.SelStart() << "+" << FMemo.SelLength()
                      << "\n last operations:\n"
                      << log;
        return false;
    }

    // ---- random material ----

    QString RandomPiece() {
        static const char16_t* const kPieces[] = {
            u"abc",      u"Hello world", u"x",
            u"12345",    u" ",           u"  ",
            u"\t",       u"あいう",      u"ひらがな",
            u"カタカナ", u"漢字",        u"日本語",
            u"ＡＢＣ",   u"ｱｲｳｴｵ",       u"\u3000",
            u"𠮷",       u"😀",           u"👨‍👩‍👧",
            u"か\u3099", u"e\u0301",     u"\u0301",
            u"\r\n",     u"\r",          u"\n",
            u"\n\r",     u"\u2028",      u"\u200D",
            u"\uFEFF",   u"foo_bar",     u"、。",
            u"「」",     u"-+*/",
        };
        const int k = Int(0, static_cast<int>(std::size(kPieces)) + 2);
        if (k == static_cast<int>(std::size(kPieces))) {
            return QString(1, QChar(0));
        }
        if (k == static_cast<int>(std::size(kPieces)) + 1) {
            return QString(1, QChar(0xD800)); // a lone high surrogate
        }
        if (k == static_cast<int>(std::size(kPieces)) + 2) {
            return QString(1, QChar(0xDC00)); // a lone low surrogate
        }
        return QStringView(kPieces[k]).toString(); // fromUtf16 would drop a leading BOM
    }

    QString LongLine() {
        QString line;
        // Past the length where the view cuts a line into pieces, sometimes far past.
        const int length = Chance(80) ? Int(4097, 9000) : Int(9000, 30000);
        while (line.size() < length) {
            QString piece = RandomPiece();
            if (!piece.contains(u'\r') && !piece.contains(u'\n')) {
                line += piece;
            }
        }
        return line;
    }

    QString RandomText(int maxPieces) {
        switch (Int(0, 19)) {
        case 0:
            return {};
        case 1:
            return QString(Int(1, 30), u'\n');
        case 2:
            return QStringLiteral("\r\n").repeated(Int(1, 30));
        case 3:
        case 4:
            return RandomText(maxPieces / 2 + 1) + LongLine() + RandomText(maxPieces / 2 + 1);
        case 5:
            if (maxPieces >= 20 && Chance(25)) {
                // Big enough for a whole-text change to be swapped rather than copied.
                QString text;
                while (text.size() < 70000) {
                    text += RandomText(12) + QStringLiteral("\r\n");
                }
                return text;
            }
            break;
        default:
            break;
        }
        QString text;
        const int n = Int(0, maxPieces);
        for (int i = 0; i < n; ++i) {
            text += RandomPiece();
        }
        return text;
    }

    qsizetype RandomPos() {
        const qsizetype n = FMemo.TextLengthUnits();
        switch (Int(0, 10)) {
        case 10:
            // far out of range, as a caller meaning "to the end" may pass
            return Chance(50) ? std::numeric_limits<qsizetype>::max()
                              : std::numeric_limits<int>::max();
        case 0:
            return 0;
        case 1:
            return n;
        case 2:
            return n + Int(1, 5);
        case 3: {
            // next to a line break, often between its CR and LF
            const QStringView text = FMemo.TextView();
            const qsizetype at = text.indexOf(u'\n', n > 0 ? Int(0, static_cast<int>(n - 1)) : 0);
            return at >= 0 ? at + Int(-1, 1) : n;
        }
        default:
            return Int(0, static_cast<int>(n));
        }
    }

    QPoint RandomPoint() {
        const QRect r = FMemo.viewport()->rect();
        return QPoint(Int(-40, r.width() + 40), Int(-40, r.height() + 40));
    }

    // ---- input ----

    void Key(Qt::Key key, Qt::KeyboardModifiers mods = Qt::NoModifier) {
        QTest::keyClick(&FMemo, key, mods);
    }

    void Type(const QString& text) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, text);
        QApplication::sendEvent(&FMemo, &press);
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, text);
        QApplication::sendEvent(&FMemo, &release);
    }

    void Mouse(QEvent::Type type, QPoint at, Qt::MouseButtons buttons,
               Qt::KeyboardModifiers mods = Qt::NoModifier,
               Qt::MouseButton button = Qt::LeftButton) {
        FTime += type == QEvent::MouseButtonPress ? 10 : 1;
        QMouseEvent e(type, QPointF(at), FMemo.viewport()->mapToGlobal(QPointF(at)), button,
                      buttons, mods);
        e.setTimestamp(FTime);
        QApplication::sendEvent(FMemo.viewport(), &e);
    }

    void Click(QPoint at, Qt::KeyboardModifiers mods = Qt::NoModifier) {
        Mouse(QEvent::MouseButtonPress, at, Qt::LeftButton, mods);
        Mouse(QEvent::MouseButtonRelease, at, Qt::NoButton, mods);
    }

    QList<QInputMethodEvent::Attribute> PreeditAttributes(const QString& preedit) {
        QList<QInputMethodEvent::Attribute> attrs;
        const int n = static_cast<int>(preedit.size());
        if (Chance(70)) {
            attrs.append({QInputMethodEvent::Cursor, Int(0, n), Int(0, 1), QVariant()});
        }
        if (Chance(60)) {
            QTextCharFormat f;
            f.setUnderlineStyle(QTextCharFormat::SingleUnderline);
            const int start = Int(0, n);
            attrs.append({QInputMethodEvent::TextFormat, start, Int(0, n - start), f});
        }
        return attrs;
    }

    void Step() {
        FBefore = FMemo.Text();
        FChanges.clear();
        const int kind = Int(0, 99);
        const bool readOnly = FMemo.isReadOnly();
        if (kind < 30) {
            KeyStep();
        } else if (kind < 42) {
            MouseStep();
        } else if (kind < 55) {
            InputMethodStep();
        } else if (kind < 60) {
            ViewStep();
        } else {
            ModelStep();
        }
        if (readOnly && kind < 55 && FExpectFailure.isEmpty() && FMemo.TextView() != FBefore) {
            FExpectFailure = QStringLiteral("the user changed a read-only text");
        }
        if (Chance(10)) {
            QApplication::processEvents();
        }
    }

    void KeyStep() {
        struct TKey {
            Qt::Key Key;
            Qt::KeyboardModifiers Mods;
            const char* Name;
        };
        static const TKey kKeys[] = {
            {Qt::Key_Return, Qt::NoModifier, "Enter"},
            {Qt::Key_Enter, Qt::NoModifier, "keypad Enter"},
            {Qt::Key_Return, Qt::ShiftModifier, "Shift+Enter"},
            {Qt::Key_Tab, Qt::NoModifier, "Tab"},
            {Qt::Key_Backtab, Qt::ShiftModifier, "Shift+Tab"},
            {Qt::Key_Backspace, Qt::NoModifier, "Backspace"},
            {Qt::Key_Backspace, Qt::ControlModifier, "Ctrl+Backspace"},
            {Qt::Key_Delete, Qt::NoModifier, "Delete"},
            {Qt::Key_Delete, Qt::ControlModifier, "Ctrl+Delete"},
            {Qt::Key_Left, Qt::NoModifier, "Left"},
            {Qt::Key_Right, Qt::NoModifier, "Right"},
            {Qt::Key_Up, Qt::NoModifier, "Up"},
            {Qt::Key_Down, Qt::NoModifier, "Down"},
            {Qt::Key_Left, Qt::ShiftModifier, "Shift+Left"},
            {Qt::Key_Right, Qt::ShiftModifier, "Shift+Right"},
            {Qt::Key_Up, Qt::ShiftModifier, "Shift+Up"},
            {Qt::Key_Down, Qt::ShiftModifier, "Shift+Down"},
            {Qt::Key_Left, Qt::ControlModifier, "Ctrl+Left"},
            {Qt::Key_Right, Qt::ControlModifier, "Ctrl+Right"},
            {Qt::Key_Left, Qt::ControlModifier | Qt::ShiftModifier, "Ctrl+Shift+Left"},
            {Qt::Key_Right, Qt::ControlModifier | Qt::ShiftModifier, "Ctrl+Shift+Right"},
            {Qt::Key_Up, Qt::ControlModifier, "Ctrl+Up"},
            {Qt::Key_Down, Qt::ControlModifier, "Ctrl+Down"},
            {Qt::Key_Home, Qt::NoModifier, "Home"},
            {Qt::Key_End, Qt::NoModifier, "End"},
            {Qt::Key_Home, Qt::ShiftModifier, "Shift+Home"},
            {Qt::Key_End, Qt::ShiftModifier, "Shift+End"},
            {Qt::Key_Home, Qt::ControlModifier, "Ctrl+Home"},
            {Qt::Key_End, Qt::ControlModifier, "Ctrl+End"},
            {Qt::Key_Home, Qt::ControlModifier | Qt::ShiftModifier, "Ctrl+Shift+Home"},
            {Qt::Key_End, Qt::ControlModifier | Qt::ShiftModifier, "Ctrl+Shift+End"},
            {Qt::Key_PageUp, Qt::NoModifier, "PageUp"},
            {Qt::Key_PageDown, Qt::NoModifier, "PageDown"},
            {Qt::Key_PageUp, Qt::ShiftModifier, "Shift+PageUp"},
            {Qt::Key_PageDown, Qt::ShiftModifier, "Shift+PageDown"},
            {Qt::Key_Z, Qt::ControlModifier, "Ctrl+Z"},
            {Qt::Key_Y, Qt::ControlModifier, "Ctrl+Y"},
            {Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier, "Ctrl+Shift+Z"},
            {Qt::Key_X, Qt::ControlModifier, "Ctrl+X"},
            {Qt::Key_C, Qt::ControlModifier, "Ctrl+C"},
            {Qt::Key_V, Qt::ControlModifier, "Ctrl+V"},
            {Qt::Key_A, Qt::ControlModifier, "Ctrl+A"},
            {Qt::Key_Insert, Qt::NoModifier, "Insert"},
            {Qt::Key_Insert, Qt::ShiftModifier, "Shift+Insert"},
            {Qt::Key_Insert, Qt::ControlModifier, "Ctrl+Insert"},
            {Qt::Key_Delete, Qt::ShiftModifier, "Shift+Delete"},
            {Qt::Key_Backspace, Qt::ShiftModifier, "Shift+Backspace"},
            {Qt::Key_Tab, Qt::ControlModifier, "Ctrl+Tab"},
            {Qt::Key_Escape, Qt::NoModifier, "Escape"},
        };
        if (Chance(45)) {
            // A typed character, whose effect is known when nothing is overwritten.
            QString text = RandomPiece();
            if (Chance(50)) {
                text = text.left(text.at(0).isHighSurrogate() && text.size() > 1 ? 2 : 1);
            }
            Note(QStringLiteral("type \"%1\"").arg(Escaped(text)));
            const bool overwrite = FMemo.OverwriteMode();
            const qsizetype from = FMemo.SelStart();
            const qsizetype length = FMemo.SelLength();
            Type(text);
            char32_t first = text.at(0).unicode();
            if (text.size() > 1 && text.at(0).isHighSurrogate() && text.at(1).isLowSurrogate()) {
                first = QChar::surrogateToUcs4(text.at(0), text.at(1));
            }
            if (!overwrite && (QChar::isPrint(first) || first == u'\t')) {
                Expect(FBefore.left(from) + NaiveCrLf(text) + FBefore.mid(from + length),
                       QStringLiteral("typed text"));
            } else if (!overwrite) {
                Expect(FBefore, QStringLiteral("an unprintable key changes nothing"));
            }
            return;
        }
        const TKey& k = kKeys[Int(0, static_cast<int>(std::size(kKeys)) - 1)];
        Note(QString::fromLatin1(k.Name));
        const QString selected = FMemo.SelText();
        const qsizetype from = FMemo.SelStart();
        Key(k.Key, k.Mods);
        if (k.Key == Qt::Key_Return || k.Key == Qt::Key_Enter) {
            // A line break replaces the selection and nothing else, in either mode.
            Expect(FBefore.left(from) + QStringLiteral("\r\n") +
                       FBefore.mid(from + selected.size()),
                   QStringLiteral("Enter"));
        }
        if (k.Key == Qt::Key_C && k.Mods == Qt::ControlModifier) {
            Expect(FBefore, QStringLiteral("Ctrl+C changes nothing"));
            if (!selected.isEmpty() && QApplication::clipboard()->text() != selected) {
                FExpectFailure = QStringLiteral("Ctrl+C did not copy the selection");
            }
        }
    }

    void MouseStep() {
        const int kind = Int(0, 6);
        const QPoint p = RandomPoint();
        switch (kind) {
        case 0:
        case 1:
            Note(QStringLiteral("click (%1,%2)").arg(p.x()).arg(p.y()));
            Click(p, Chance(20) ? Qt::ShiftModifier : Qt::NoModifier);
            break;
        case 2: {
            Note(QStringLiteral("double click (%1,%2)").arg(p.x()).arg(p.y()));
            Click(p);
            Mouse(QEvent::MouseButtonDblClick, p, Qt::LeftButton);
            Mouse(QEvent::MouseButtonRelease, p, Qt::NoButton);
            if (Chance(40)) {
                Note(QStringLiteral("third click"));
                Click(p);
            }
            break;
        }
        case 3:
        case 4: {
            const QPoint q = RandomPoint();
            Note(
                QStringLiteral("drag (%1,%2)-(%3,%4)").arg(p.x()).arg(p.y()).arg(q.x()).arg(q.y()));
            Mouse(QEvent::MouseButtonPress, p, Qt::LeftButton);
            const int steps = Int(1, 4);
            for (int i = 1; i <= steps; ++i) {
                Mouse(QEvent::MouseMove, p + (q - p) * i / steps, Qt::LeftButton, Qt::NoModifier,
                      Qt::NoButton);
            }
            if (Chance(30)) {
                QApplication::processEvents();
            }
            if (!FMemo.viewport()->rect().contains(q) && Chance(3)) {
                // Held outside the text: the selection grows as the view scrolls.
                Note(QStringLiteral("hold the button outside"));
                QTest::qWait(120);
            }
            Mouse(QEvent::MouseButtonRelease, q, Qt::NoButton);
            break;
        }
        case 5: {
            const int delta = Int(-3, 3) * 120;
            Note(QStringLiteral("wheel %1").arg(delta));
            QWheelEvent wheel(QPointF(p), FMemo.viewport()->mapToGlobal(QPointF(p)), QPoint(),
                              Chance(20) ? QPoint(delta, 0) : QPoint(0, delta), Qt::NoButton,
                              Qt::NoModifier, Qt::NoScrollPhase, false);
            QApplication::sendEvent(FMemo.viewport(), &wheel);
            break;
        }
        default: {
            const QString text = RandomText(4);
            Note(QStringLiteral("drop \"%1\" at (%2,%3)").arg(Escaped(text)).arg(p.x()).arg(p.y()));
            QMimeData mime;
            mime.setText(text);
            QDropEvent drop(QPointF(p), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(FMemo.viewport(), &drop);
            break;
        }
        }
    }

    void InputMethodStep() {
        const int kind = Int(0, 5);
        if (kind <= 2) {
            const QString preedit = RandomText(3);
            Note(QStringLiteral("pre-edit \"%1\"").arg(Escaped(preedit)));
            QInputMethodEvent e(preedit, PreeditAttributes(preedit));
            QApplication::sendEvent(&FMemo, &e);
            Expect(FBefore, QStringLiteral("a pre-edit text is not part of the document"));
        } else if (kind == 3) {
            const QString commit = RandomText(3);
            Note(QStringLiteral("commit \"%1\"").arg(Escaped(commit)));
            const qsizetype from = FMemo.SelStart();
            const qsizetype length = FMemo.SelLength();
            QInputMethodEvent e;
            e.setCommitString(commit);
            QApplication::sendEvent(&FMemo, &e);
            // An empty commit only ends the pre-edit.
            Expect(commit.isEmpty()
                       ? FBefore
                       : FBefore.left(from) + NaiveCrLf(commit) + FBefore.mid(from + length),
                   QStringLiteral("committed text"));
        } else if (kind == 4 && Chance(20)) {
            const int start = Int(-3, static_cast<int>(FMemo.TextLengthUnits()) + 3);
            const int length = Int(-5, 5);
            Note(QStringLiteral("input-method selection %1+%2").arg(start).arg(length));
            QInputMethodEvent e(QString(),
                                {{QInputMethodEvent::Selection, start, length, QVariant()}});
            QApplication::sendEvent(&FMemo, &e);
            Expect(FBefore, QStringLiteral("a selection from the input method"));
        } else if (kind == 4) {
            const QString commit = RandomText(2);
            const int start = Int(-12, 6);
            const int length = Int(0, 12);
            Note(QStringLiteral("commit \"%1\" replacing %2+%3")
                     .arg(Escaped(commit))
                     .arg(start)
                     .arg(length));
            QInputMethodEvent e;
            e.setCommitString(commit, start, length);
            QApplication::sendEvent(&FMemo, &e);
        } else {
            Note(QStringLiteral("cancel the pre-edit"));
            QInputMethodEvent e;
            QApplication::sendEvent(&FMemo, &e);
            Expect(FBefore, QStringLiteral("cancelling changes nothing"));
        }
    }

    void ViewStep() {
        switch (Int(0, 5)) {
        case 5:
            Note(QString::fromLatin1(FMemo.hasFocus() ? "focus away" : "focus back"));
            if (FMemo.hasFocus()) {
                FMemo.clearFocus();
            } else {
                FMemo.setFocus();
            }
            break;
        case 0: {
            const int w = Chance(15) ? Int(1, 60) : Int(100, 800);
            const int h = Chance(15) ? Int(1, 40) : Int(60, 500);
            Note(QStringLiteral("resize %1x%2").arg(w).arg(h));
            FMemo.resize(w, h);
            break;
        }
        case 1: {
            static const char* const kFamilies[] = {"ＭＳ ゴシック", "Monospace", "Sans Serif",
                                                    "Serif"};
            QFont f(QString::fromUtf8(kFamilies[Int(0, 3)]));
            f.setPixelSize(Int(5, 32));
            Note(QStringLiteral("font %1 %2px").arg(f.family()).arg(f.pixelSize()));
            FMemo.setFont(f);
            break;
        }
        case 2: {
            const int lines = Chance(5) ? (Chance(50) ? std::numeric_limits<int>::max()
                                                      : std::numeric_limits<int>::min())
                                        : Int(-40, 40);
            Note(QStringLiteral("LineScroll %1").arg(lines));
            FMemo.LineScroll(lines);
            break;
        }
        case 3: {
            Note(QStringLiteral("ScrollCaret"));
            FMemo.ScrollCaret();
            // The caret is in sight afterwards, when there is room for it.
            const QRect caret = FMemo.CaretRect();
            const QRect sight = FMemo.viewport()->rect();
            if (sight.height() >= FMemo.LineHeight() && sight.width() > 40 &&
                !sight.contains(caret.topLeft())) {
                FExpectFailure = QStringLiteral("ScrollCaret left the caret at (%1,%2), out of "
                                                "the %3x%4 view")
                                     .arg(caret.x())
                                     .arg(caret.y())
                                     .arg(sight.width())
                                     .arg(sight.height());
            }
            break;
        }
        default: {
            QScrollBar* bar = Chance(50) ? FMemo.horizontalScrollBar() : FMemo.verticalScrollBar();
            const int value = Int(bar->minimum(), bar->maximum());
            Note(QStringLiteral("scroll bar to %1").arg(value));
            bar->setValue(value);
            break;
        }
        }
        Expect(FBefore, QStringLiteral("the view's geometry changes no text"));
    }

    void ModelStep() {
        switch (Int(0, 15)) {
        case 0: {
            const QString text = RandomText(30);
            Note(QStringLiteral("SetText \"%1\"").arg(Escaped(text)));
            FMemo.SetText(text);
            Expect(NaiveCrLf(text), QStringLiteral("SetText"));
            break;
        }
        case 1: {
            const QString text = RandomText(30);
            Note(QStringLiteral("LoadText \"%1\"").arg(Escaped(text)));
            FMemo.LoadText(text);
            Expect(NaiveCrLf(text), QStringLiteral("LoadText"));
            if (FMemo.Modified() || FMemo.CanUndo()) {
                FExpectFailure = QStringLiteral("a loaded text is unmodified, with no undo");
            }
            FBase = FMemo.Text();
            break;
        }
        case 2:
        case 3: {
            const qsizetype pos = RandomPos();
            Note(QStringLiteral("SetSelStart %1").arg(pos));
            FMemo.SetSelStart(pos);
            if (FMemo.SelStart() != Snap(FBefore, pos) || FMemo.SelLength() != 0) {
                FExpectFailure = QStringLiteral("SetSelStart %1 gave %2+%3")
                                     .arg(pos)
                                     .arg(FMemo.SelStart())
                                     .arg(FMemo.SelLength());
            }
            break;
        }
        case 4:
        case 5: {
            const qsizetype length = Chance(10) ? -Int(1, 5) : RandomPos();
            const qsizetype start = FMemo.SelStart();
            Note(QStringLiteral("SetSelLength %1").arg(length));
            FMemo.SetSelLength(length);
            const qsizetype end =
                Snap(FBefore, start + std::clamp<qsizetype>(length, 0, FBefore.size() - start));
            if (FMemo.SelStart() != start || FMemo.SelLength() != end - start) {
                FExpectFailure = QStringLiteral("SetSelLength %1 from %2 gave %3+%4")
                                     .arg(length)
                                     .arg(start)
                                     .arg(FMemo.SelStart())
                                     .arg(FMemo.SelLength());
            }
            break;
        }
        case 6: {
            const QString text = RandomText(4);
            const qsizetype from = FMemo.SelStart();
            const qsizetype length = FMemo.SelLength();
            Note(QStringLiteral("SetSelText \"%1\"").arg(Escaped(text)));
            FMemo.SetSelText(text);
            const QString crlf = NaiveCrLf(text);
            Expect(FBefore.left(from) + crlf + FBefore.mid(from + length),
                   QStringLiteral("SetSelText"));
            if (FMemo.SelStart() != from + crlf.size() || FMemo.SelLength() != 0) {
                FExpectFailure = QStringLiteral("SetSelText leaves the caret after the text");
            }
            break;
        }
        case 7: {
            const qsizetype count = FMemo.LinesCount();
            const qsizetype line = Int(-1, static_cast<int>(count) + 1);
            const QString text = RandomText(3);
            Note(QStringLiteral("SetLine %1 \"%2\"").arg(line).arg(Escaped(text)));
            FMemo.SetLine(line, text);
            if (line >= 0 && line < count) {
                const std::vector<qsizetype> starts = LineStarts(FBefore);
                const qsizetype start = starts[static_cast<std::size_t>(line)];
                qsizetype end = static_cast<std::size_t>(line) + 1 < starts.size()
                                    ? starts[static_cast<std::size_t>(line) + 1] - 2
                                    : FBefore.size();
                Expect(FBefore.left(start) + NaiveCrLf(text) + FBefore.mid(end),
                       QStringLiteral("SetLine"));
            } else {
                Expect(FBefore, QStringLiteral("SetLine past the lines changes nothing"));
            }
            break;
        }
        case 8:
            Note(QString::fromLatin1(FMemo.CanUndo() ? "Undo" : "Undo (nothing to undo)"));
            if (Chance(50)) {
                FMemo.Undo();
            } else {
                FMemo.undo();
            }
            break;
        case 9:
            Note(QStringLiteral("redo"));
            FMemo.redo();
            break;
        case 10: {
            const QString selected = FMemo.SelText();
            const qsizetype from = FMemo.SelStart();
            Note(QStringLiteral("Cut"));
            FMemo.Cut();
            if (!selected.isEmpty() && !FMemo.isReadOnly()) {
                Expect(FBefore.left(from) + FBefore.mid(from + selected.size()),
                       QStringLiteral("Cut"));
                if (QApplication::clipboard()->text() != selected) {
                    FExpectFailure = QStringLiteral("Cut did not copy the selection");
                }
            }
            break;
        }
        case 11: {
            const QString clip = QApplication::clipboard()->text();
            const qsizetype from = FMemo.SelStart();
            const qsizetype length = FMemo.SelLength();
            Note(QStringLiteral("Paste \"%1\"").arg(Escaped(clip)));
            FMemo.Paste();
            if (!clip.isEmpty()) {
                Expect(FBefore.left(from) + NaiveCrLf(clip) + FBefore.mid(from + length),
                       QStringLiteral("Paste"));
            }
            break;
        }
        case 12: {
            const QString clip = RandomText(5);
            Note(QStringLiteral("clipboard \"%1\"").arg(Escaped(clip)));
            QApplication::clipboard()->setText(clip);
            break;
        }
        case 13: {
            const bool value = Chance(50);
            Note(QStringLiteral("SetModified %1").arg(value));
            FMemo.SetModified(value);
            if (FMemo.Modified() != value) {
                FExpectFailure = QStringLiteral("SetModified %1 did not hold").arg(value);
            }
            break;
        }
        case 14:
            Note(QStringLiteral("selectAll"));
            FMemo.selectAll();
            break;
        default: {
            const bool readOnly = Chance(20);
            Note(QStringLiteral("setReadOnly %1").arg(readOnly));
            FMemo.setReadOnly(readOnly);
            break;
        }
        }
    }

    // ---- checks ----

    QString FExpectFailure;

    void Expect(const QString& expected, const QString& what) {
        if (FExpectFailure.isEmpty() && !FMemo.isReadOnly() && FMemo.TextView() != expected) {
            FExpectFailure = what + QStringLiteral(": expected \"%1\"").arg(Escaped(expected, 300));
        }
    }

    // What the view reports as changed is what changed: listeners (the line
    // numbers, searches) follow the text by these reports alone.
    bool CheckChangeReport() {
        const QStringView now = FMemo.TextView();
        if (FChanges.empty()) {
            if (now != FBefore) {
                return Fail(QStringLiteral("the text changed without a change report"));
            }
            return true;
        }
        if (FChanges.size() > 1) {
            return true; // several steps: only the last text is known
        }
        const TChange c = FChanges.front();
        const bool fits = c.Pos >= 0 && c.Removed >= 0 && c.Added >= 0 &&
                          c.Pos + c.Removed <= FBefore.size() && c.Pos + c.Added <= now.size() &&
                          now.size() == FBefore.size() - c.Removed + c.Added;
        if (!fits || now.left(c.Pos) != QStringView(FBefore).left(c.Pos) ||
            now.mid(c.Pos + c.Added) != QStringView(FBefore).mid(c.Pos + c.Removed)) {
            return Fail(QStringLiteral("change reported as %1 -%2 +%3 does not match the text "
                                       "(%4 units before)")
                            .arg(c.Pos)
                            .arg(c.Removed)
                            .arg(c.Added)
                            .arg(FBefore.size()));
        }
        return true;
    }

    bool Check() {
        if (!FExpectFailure.isEmpty()) {
            const QString failure = FExpectFailure;
            FExpectFailure.clear();
            return Fail(failure);
        }
        const QString text = FMemo.Text();
        const qsizetype n = text.size();
        if (FMemo.TextLengthUnits() != n) {
            return Fail(QStringLiteral("TextLengthUnits %1, Text() has %2")
                            .arg(FMemo.TextLengthUnits())
                            .arg(n));
        }
        if (FMemo.TextView() != text) {
            return Fail(QStringLiteral("TextView() differs from Text()"));
        }
        for (qsizetype i = 0; i < n; ++i) {
            if ((text[i] == u'\r' && (i + 1 == n || text[i + 1] != u'\n')) ||
                (text[i] == u'\n' && (i == 0 || text[i - 1] != u'\r'))) {
                return Fail(QStringLiteral("a lone line break at %1").arg(i));
            }
        }

        const qsizetype selStart = FMemo.SelStart();
        const qsizetype selEnd = selStart + FMemo.SelLength();
        if (selStart < 0 || FMemo.SelLength() < 0 || selEnd > n) {
            return Fail(QStringLiteral("selection outside the text"));
        }
        if (MidBreak(text, selStart) || MidBreak(text, selEnd)) {
            return Fail(QStringLiteral("a selection end between CR and LF"));
        }
        if (FMemo.SelText() != text.mid(selStart, selEnd - selStart)) {
            return Fail(QStringLiteral("SelText is not the selected slice"));
        }

        const std::vector<qsizetype> starts = LineStarts(text);
        const auto lines = static_cast<qsizetype>(starts.size());
        if (FMemo.GetLineCount() != lines) {
            return Fail(QStringLiteral("GetLineCount %1, expected %2")
                            .arg(FMemo.GetLineCount())
                            .arg(lines));
        }
        const qsizetype expectedCount = starts.back() == n ? lines - 1 : lines;
        if (FMemo.LinesCount() != expectedCount) {
            return Fail(QStringLiteral("LinesCount %1, expected %2")
                            .arg(FMemo.LinesCount())
                            .arg(expectedCount));
        }
        const auto lineEnd = [&](qsizetype line) {
            return line + 1 < lines ? starts[static_cast<std::size_t>(line) + 1] - 2 : n;
        };
        const auto lineOf = [&](qsizetype pos) {
            return static_cast<qsizetype>(std::upper_bound(starts.begin(), starts.end(), pos) -
                                          starts.begin()) -
                   1;
        };
        std::vector<qsizetype> sample{0, lines - 1, lineOf(selEnd)};
        for (int i = 0; i < 3; ++i) {
            sample.push_back(Int(0, static_cast<int>(lines - 1)));
        }
        for (const qsizetype line : sample) {
            const qsizetype start = starts[static_cast<std::size_t>(line)];
            if (FMemo.LineIndex(line) != start) {
                return Fail(QStringLiteral("LineIndex(%1) %2, expected %3")
                                .arg(line)
                                .arg(FMemo.LineIndex(line))
                                .arg(start));
            }
            if (FMemo.LineLength(line) != lineEnd(line) - start) {
                return Fail(QStringLiteral("LineLength(%1) %2, expected %3")
                                .arg(line)
                                .arg(FMemo.LineLength(line))
                                .arg(lineEnd(line) - start));
            }
            if (FMemo.Line(line) != text.mid(start, lineEnd(line) - start)) {
                return Fail(QStringLiteral("Line(%1) differs").arg(line));
            }
        }
        if (FMemo.LineIndex(lines) != -1 || FMemo.LineLength(lines) != 0 ||
            !FMemo.Line(lines).isEmpty() || FMemo.LineLength(-5) != 0) {
            return Fail(QStringLiteral("lines past the end are not empty"));
        }
        if (FMemo.LineIndex(-1) != starts[static_cast<std::size_t>(lineOf(selEnd))]) {
            return Fail(QStringLiteral("LineIndex(-1) is not the caret's line"));
        }
        std::vector<qsizetype> positions{0, n, n + 3, selStart, selEnd};
        for (int i = 0; i < 3; ++i) {
            positions.push_back(Int(0, static_cast<int>(n)));
        }
        for (const qsizetype pos : positions) {
            const qsizetype expected = lineOf(std::min(pos, n));
            if (FMemo.LineFromChar(pos) != expected) {
                return Fail(QStringLiteral("LineFromChar(%1) %2, expected %3")
                                .arg(pos)
                                .arg(FMemo.LineFromChar(pos))
                                .arg(expected));
            }
        }
        const auto caret = FMemo.CaretPos();
        if (caret.Y != lineOf(selEnd) ||
            caret.X != selEnd - starts[static_cast<std::size_t>(caret.Y)] ||
            FMemo.LineFromChar(-1) != caret.Y) {
            return Fail(
                QStringLiteral("CaretPos %1,%2 for %3").arg(caret.X).arg(caret.Y).arg(selEnd));
        }
        if (!CheckInputMethod(text)) {
            return false;
        }
        // Painting: every operation, as it is where the laid-out lines are read.
        const QPixmap picture = FMemo.grab();
        if (picture.isNull() && FMemo.width() > 0 && FMemo.height() > 0) {
            return Fail(QStringLiteral("the view did not paint"));
        }
        return true;
    }

    bool CheckInputMethod(const QString& text) {
        for (const Qt::InputMethodQuery q :
             {Qt::ImEnabled, Qt::ImCursorRectangle, Qt::ImAnchorRectangle, Qt::ImFont, Qt::ImHints,
              Qt::ImReadOnly, Qt::ImMaximumTextLength}) {
            (void)FMemo.inputMethodQuery(q);
        }
        const QString surrounding = FMemo.inputMethodQuery(Qt::ImSurroundingText).toString();
        const int cursor = FMemo.inputMethodQuery(Qt::ImCursorPosition).toInt();
        const int anchor = FMemo.inputMethodQuery(Qt::ImAnchorPosition).toInt();
        const qsizetype absolute = FMemo.inputMethodQuery(Qt::ImAbsolutePosition).toLongLong();
        const QString before = FMemo.inputMethodQuery(Qt::ImTextBeforeCursor).toString();
        const QString after = FMemo.inputMethodQuery(Qt::ImTextAfterCursor).toString();
        const QString selection = FMemo.inputMethodQuery(Qt::ImCurrentSelection).toString();
        const qsizetype selStart = FMemo.SelStart();
        const qsizetype selEnd = selStart + FMemo.SelLength();
        if (absolute != selStart && absolute != selEnd) {
            return Fail(QStringLiteral("ImAbsolutePosition %1 is not an end of the selection")
                            .arg(absolute));
        }
        if (cursor < 0 || cursor > surrounding.size() || anchor < 0 ||
            anchor > surrounding.size()) {
            return Fail(QStringLiteral("ImCursorPosition %1 / ImAnchorPosition %2 outside the "
                                       "surrounding text of %3")
                            .arg(cursor)
                            .arg(anchor)
                            .arg(surrounding.size()));
        }
        if (text.mid(absolute - cursor, surrounding.size()) != surrounding) {
            return Fail(QStringLiteral("ImSurroundingText is not the text around the caret"));
        }
        if (surrounding.contains(u'\r') || surrounding.contains(u'\n')) {
            return Fail(QStringLiteral("ImSurroundingText crosses a line break"));
        }
        if (before != surrounding.left(cursor) || after != surrounding.mid(cursor)) {
            return Fail(QStringLiteral("ImTextBeforeCursor/ImTextAfterCursor disagree with "
                                       "ImSurroundingText"));
        }
        if (!text.mid(selStart, selEnd - selStart).startsWith(selection) ||
            (selection.isEmpty() && selEnd > selStart)) {
            return Fail(QStringLiteral("ImCurrentSelection is not the selection"));
        }
        return true;
    }

    // Undo of everything gives the text the history started from; redo of as
    // many steps gives the text again.
    bool CheckUndoRedo() {
        if (FMemo.isReadOnly()) {
            return true;
        }
        const QString now = FMemo.Text();
        const bool modified = FMemo.Modified();
        Note(QStringLiteral("undo everything, redo it again"));
        int undone = 0;
        while (FMemo.CanUndo() && undone < 100000) {
            FMemo.undo();
            ++undone;
        }
        if (FMemo.Text() != FBase) {
            return Fail(QStringLiteral("undo of everything did not give the history's start "
                                       "\"%1\"")
                            .arg(Escaped(FBase, 300)));
        }
        if (!Check()) {
            return false;
        }
        for (int i = 0; i < undone; ++i) {
            if (!FMemo.CanRedo()) {
                return Fail(
                    QStringLiteral("only %1 of %2 undone steps can be redone").arg(i).arg(undone));
            }
            FMemo.redo();
        }
        if (FMemo.Text() != now) {
            return Fail(QStringLiteral("redo of the undone steps did not give the text again "
                                       "\"%1\"")
                            .arg(Escaped(now, 300)));
        }
        if (FMemo.Modified() != modified) {
            return Fail(QStringLiteral("Modified() was %1 before undo and redo").arg(modified));
        }
        return Check();
    }
};

class MemoStressTest : public ::testing::Test {
protected:
    void SetUp() override {
        QFont f(QStringLiteral("ＭＳ ゴシック"));
        f.setPixelSize(13);
        memo.setFont(f);
        memo.resize(500, 260);
        memo.show();
        memo.setFocus();
        QApplication::processEvents();
    }

    void Key(Qt::Key key, Qt::KeyboardModifiers mods = Qt::NoModifier) {
        QTest::keyClick(&memo, key, mods);
    }

    TLfMemo memo;
};

TEST_F(MemoStressTest, RandomOperationsKeepTheViewConsistent) {
    // CI: four fixed seeds of 500 operations each.
    const long long ops = EnvNumber("QUILLO_STRESS_OPS", 500);
    const long long first = EnvNumber("QUILLO_STRESS_SEED", 1);
    const long long seeds = EnvNumber("QUILLO_STRESS_SEEDS", 4);
    for (long long seed = first; seed < first + seeds; ++seed) {
        TMemoStress driver(memo, static_cast<std::uint64_t>(seed));
        if (!driver.Run(ops)) {
            break;
        }
        memo.setReadOnly(false);
    }
}

// The storage alone, with many more lines than the view's texts hold, so that
// edits split, merge and span the line index's blocks.
TEST(MemoStorageStress, RandomEditsKeepTheLineIndexExact) {
    const long long ops = EnvNumber("QUILLO_STRESS_OPS", 500) * 4;
    std::mt19937_64 rng(static_cast<std::uint64_t>(EnvNumber("QUILLO_STRESS_SEED", 1)));
    const auto number = [&](qsizetype lo, qsizetype hi) {
        return std::uniform_int_distribution<qsizetype>(lo, hi)(rng);
    };
    const auto randomText = [&](qsizetype maxLength) {
        QString text(number(0, maxLength), u'x');
        for (QChar& c : text) {
            const qsizetype k = number(0, 9);
            c = k < 4    ? QChar(u'\n')
                : k == 4 ? QChar(u'\r')
                         : QChar(static_cast<char16_t>(u'a' + k));
        }
        return text;
    };
    quillo::document::TTextBuffer buffer;
    QString model = randomText(20000);
    buffer.Assign(model);
    for (long long op = 0; op < ops; ++op) {
        const qsizetype pos = number(0, model.size());
        const qsizetype length = number(0, std::min<qsizetype>(model.size() - pos, 3000));
        const QString text = randomText(number(0, 3) == 0 ? 3000 : 12);
        switch (number(0, 3)) {
        case 0:
            buffer.Insert(pos, text);
            model.insert(pos, text);
            break;
        case 1:
            buffer.Remove(pos, length);
            model.remove(pos, length);
            break;
        case 2:
            buffer.Replace(pos, length, text);
            model.replace(pos, length, text);
            break;
        default:
            if (number(0, 20) == 0) {
                QString taken = buffer.Take();
                ASSERT_EQ(taken, model) << "operation " << op;
                model = randomText(30000);
                buffer.Assign(model);
            }
            break;
        }
        ASSERT_EQ(buffer.Length(), model.size()) << "operation " << op;
        const std::vector<qsizetype> starts = LineStarts(model);
        ASSERT_EQ(buffer.LineCount(), static_cast<qsizetype>(starts.size())) << "operation " << op;
        for (std::size_t line = 0; line < starts.size(); line += 1 + line % 7) {
            const auto l = static_cast<qsizetype>(line);
            ASSERT_EQ(buffer.LineStart(l), starts[line]) << "operation " << op << " line " << l;
            const qsizetype next = line + 1 < starts.size() ? starts[line + 1] : model.size();
            ASSERT_EQ(buffer.LineNext(l), next) << "operation " << op << " line " << l;
        }
        for (int i = 0; i < 20; ++i) {
            const qsizetype p = number(0, model.size());
            const auto expected = static_cast<qsizetype>(
                std::upper_bound(starts.begin(), starts.end(), p) - starts.begin() - 1);
            ASSERT_EQ(buffer.LineOfPos(p), expected) << "operation " << op << " pos " << p;
        }
        if (op % 50 == 0) {
            ASSERT_EQ(buffer.View(), model) << "operation " << op;
        }
    }
    EXPECT_EQ(buffer.Text(), model);
}

// ---- faults the driver found ----

TEST_F(MemoStressTest, InputMethodReplacementNeverSplitsALineBreak) {
    memo.SetText(QStringLiteral("ab\r\ncd"));
    memo.SetSelStart(4);
    // Takes back the one unit before the caret: the LF of the break.
    QInputMethodEvent back;
    back.setCommitString(QStringLiteral("X"), -1, 1);
    QApplication::sendEvent(&memo, &back);
    EXPECT_EQ(memo.Text(), QStringLiteral("abXcd"));
    EXPECT_EQ(memo.SelStart(), 3);

    // A range that ends between CR and LF takes the LF with it.
    memo.SetText(QStringLiteral("ab\r\ncd"));
    memo.SetSelStart(1);
    QInputMethodEvent ahead;
    ahead.setCommitString(QStringLiteral("Y"), 0, 2);
    QApplication::sendEvent(&memo, &ahead);
    EXPECT_EQ(memo.Text(), QStringLiteral("aYcd"));
    EXPECT_EQ(memo.GetLineCount(), 1);
}

TEST_F(MemoStressTest, TypedCharacterBeyondTheBasicPlaneIsInserted) {
    // A key whose text is a surrogate pair (an emoji panel, a compose key).
    const QString kanji = QString::fromUcs4(U"\U00020BB7");
    QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, kanji);
    QApplication::sendEvent(&memo, &press);
    EXPECT_EQ(memo.Text(), kanji);
    EXPECT_EQ(memo.SelStart(), 2);
    QKeyEvent lone(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(1, QChar(0xD800)));
    QApplication::sendEvent(&memo, &lone);
    EXPECT_EQ(memo.Text(), kanji) << "a lone surrogate is no character";
}

TEST_F(MemoStressTest, PreeditLeavesNoTraceOnALineTheCaretLeft) {
    memo.SetText(QStringLiteral("abc\r\ndef"));
    memo.SetSelStart(8);
    const QRect firstRow(0, 0, memo.viewport()->width(), memo.LineHeight());
    const QImage before = memo.viewport()->grab(firstRow).toImage();
    memo.SetSelStart(3);
    QInputMethodEvent preedit(QStringLiteral("にほんご"), {});
    QApplication::sendEvent(&memo, &preedit);
    ASSERT_NE(memo.viewport()->grab(firstRow).toImage(), before) << "the pre-edit text shows";
    // The caret goes to the other line and the text changes there: the
    // pre-edit text follows the caret and is drawn on the first line no more.
    memo.SetSelStart(8);
    memo.SetSelText(QStringLiteral("x"));
    EXPECT_EQ(memo.viewport()->grab(firstRow).toImage(), before);
}

TEST_F(MemoStressTest, SelLengthFarPastTheEndSelectsToTheEnd) {
    memo.SetText(QStringLiteral("abc\r\ndef"));
    memo.SetSelStart(2);
    memo.SetSelLength(std::numeric_limits<qsizetype>::max());
    EXPECT_EQ(memo.SelStart(), 2);
    EXPECT_EQ(memo.SelLength(), 6);
    EXPECT_EQ(memo.SelText(), QStringLiteral("c\r\ndef"));
}

TEST_F(MemoStressTest, LineScrollByTheLargestAmountsStopsAtTheEnds) {
    memo.SetText(QStringLiteral("line\r\n").repeated(200));
    memo.LineScroll(5);
    ASSERT_EQ(memo.verticalScrollBar()->value(), 5);
    memo.LineScroll(std::numeric_limits<int>::max());
    EXPECT_EQ(memo.verticalScrollBar()->value(), memo.verticalScrollBar()->maximum());
    memo.LineScroll(std::numeric_limits<int>::min());
    EXPECT_EQ(memo.verticalScrollBar()->value(), 0);
}

TEST_F(MemoStressTest, EnterInOverwriteModeTypesNothingAway) {
    memo.SetText(QStringLiteral("abc"));
    memo.SetSelStart(1);
    Key(Qt::Key_Insert);
    ASSERT_TRUE(memo.OverwriteMode());
    Key(Qt::Key_Return);
    EXPECT_EQ(memo.Text(), QStringLiteral("a\r\nbc")) << "the line break is inserted";
    QTest::keyClicks(&memo, QStringLiteral("X"));
    EXPECT_EQ(memo.Text(), QStringLiteral("a\r\nXc")) << "characters are still typed over";
}

TEST_F(MemoStressTest, OverwriteCaretWiderThanTheViewKeepsItsLeftEdgeInSight) {
    memo.SetText(QString(200, u'x') + QStringLiteral("\tend"));
    for (int w = 300; w > 0 && memo.viewport()->width() > 30; w -= 5) {
        memo.resize(w, 200);
    }
    Key(Qt::Key_Insert);
    ASSERT_TRUE(memo.OverwriteMode());
    memo.SetSelStart(200); // before the tab, a cell wider than the view
    ASSERT_GT(memo.CaretRect().width(), memo.viewport()->width());
    memo.ScrollCaret();
    EXPECT_GE(memo.CaretRect().x(), 0);
    EXPECT_LT(memo.CaretRect().x(), memo.viewport()->width());
}

} // namespace
