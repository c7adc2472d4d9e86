// The main window's editing handlers: caret status, cursor history, keys and
// auto-indent, go to line, numbering and the SQL conversions.

#include "accessories/zkOverlayIcon.h"
#include "app/W2kMain.h"
#include "document/LineBreaks.h"
#include "editing/Indent.h"
#include "editing/LfMemo.h"
#include "editing/LinesForm.h"
#include "editing/Numbering.h"
#include "sqlconv/sqlconv.h"

#include <QAction>
#include <QKeyEvent>
#include <QLineEdit>
#include <QLocale>
#include <QStatusBar>
#include <QTimer>

namespace quillo::app {

// ---- caret status ----

QString TWin2kAppForm::CaretStatusText() const {
    const qsizetype p = Memo1->SelStart();
    const qsizetype line = Memo1->LineFromChar(p);
    const qsizetype column = p - Memo1->LineIndex(line);
    QLocale locale;
    locale.setNumberOptions(locale.numberOptions() & ~QLocale::OmitGroupSeparator);
    return QStringLiteral("カーソル位置:%1,%2 文字数:%3")
        .arg(line + 1)
        .arg(column + 1)
        .arg(locale.toString(qlonglong{Memo1->TextLengthUnits()}));
}

void TWin2kAppForm::RefreshCaretStatus() {
    const QString text = CaretStatusText();
    StatusBar->setStatusTip(text);
    Memo1->setStatusTip(text);
    // The status bar shows the hint of what the pointer rests on.
    if (Memo1->underMouse() || StatusBar->underMouse()) {
        StatusBar->showMessage(text);
    }
}

// ---- change, click, cut and paste ----

void TWin2kAppForm::UpdateCursorActions() {
    CursorPast1->setEnabled(FCursorHistory.CanGoBack());
    CursorNext1->setEnabled(FCursorHistory.CanGoForward());
}

void TWin2kAppForm::Memo1Change() {
    if (!Memo1->IsEmpty()) {
        SearchFind1->setEnabled(true);
        SearchFindNext1->setEnabled(true);
        SearchFindFirst1->setEnabled(true);
    }
    FileSave1->setEnabled(true);
    RefreshCaretStatus();
    zkOverlayIcon1->SetImageIndex(3);
    FCursorHistory.TextChanged(Memo1->SelStart(), Memo1->TextLengthUnits());
    UpdateCursorActions();
    if (!Timer1->isActive()) {
        Timer1->start();
    }
}

void TWin2kAppForm::Memo1Click() {
    if (!FCursorHistory.Clicked(Memo1->SelStart(), Memo1->TextLengthUnits())) {
        return;
    }
    UpdateCursorActions();
    RefreshCaretStatus();
    Memo1->RepaintStrips();
}

void TWin2kAppForm::Memo1Cut() {
    FCursorHistory.AdjustForCut(Memo1->SelStart(), Memo1->SelLength());
}

void TWin2kAppForm::Memo1Paste(const QString& text) {
    FCursorHistory.AdjustForPaste(Memo1->SelStart(), Memo1->SelLength(),
                                  document::CrLfPosition(text, text.size()));
}

// ---- the history walk ----

void TWin2kAppForm::ScrollToLine(qsizetype target) {
    const qsizetype last = std::max<qsizetype>(Memo1->GetLineCount() - 1, 0);
    target = std::clamp<qsizetype>(target, 0, last);
    const qsizetype caretLine = Memo1->LineFromChar(Memo1->SelStart());
    // The target comes to the screen row the caret's line had.
    Memo1->LineScroll(static_cast<int>(target - caretLine));
    Memo1->SetSelStart(Memo1->LineIndex(target));
}

void TWin2kAppForm::CursorPast1Execute() {
    if (const auto target = FCursorHistory.Back(Memo1->SelStart(), Memo1->TextLengthUnits())) {
        ScrollToLine(Memo1->LineFromChar(*target));
    }
    UpdateCursorActions();
    RefreshCaretStatus();
}

void TWin2kAppForm::CursorNext1Execute() {
    if (const auto target = FCursorHistory.Forward()) {
        ScrollToLine(Memo1->LineFromChar(*target));
    }
    UpdateCursorActions();
    RefreshCaretStatus();
}

// ---- keys and auto-indent ----

void TWin2kAppForm::Memo1KeyDown(QKeyEvent* key) {
    FTabBuffer.clear();
    if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
        FTabBuffer = editing::CaptureIndent(*Memo1, Memo1->SelStart());
    }
    FCursorHistory.Note(Memo1->SelStart());
    RefreshCaretStatus();
}

void TWin2kAppForm::Memo1KeyPress(QKeyEvent* key) {
    if (key->text() == QLatin1String("\r") && !FTabBuffer.isEmpty()) {
        QMetaObject::invokeMethod(
            this, [this] { SetIndent(true); }, Qt::QueuedConnection);
    }
}

void TWin2kAppForm::SetIndent(bool ownMessage) {
    if (ownMessage) {
        Memo1->SetSelText(FTabBuffer);
    }
    FTabBuffer.clear();
    RefreshCaretStatus();
}

// ---- go to line, numbering ----

void TWin2kAppForm::JumpLine1Execute() {
    editing::TLinesForm dialog(this);
    if (FPrompts.ExecDialog(dialog) == QDialog::Accepted && !dialog.Edit1->text().isEmpty()) {
        bool ok = false;
        const int number = dialog.Edit1->text().toInt(&ok);
        if (ok) {
            ScrollToLine(qsizetype{number} - 1);
        }
    }
    RefreshCaretStatus();
}

void TWin2kAppForm::ReplaceNum1Execute() {
    Memo1->SetText(editing::AsLineList(editing::NumberMarkers(Memo1->Text(), 0)));
}

// ---- SQL conversions: the whole text in, the whole text out, one undo step ----

namespace {

template <typename Convert> void ApplyConversion(editing::TLfMemo& memo, Convert convert) {
    const QString text = memo.Text();
    const std::optional<std::u16string> result = convert(std::u16string_view(
        reinterpret_cast<const char16_t*>(text.utf16()), static_cast<size_t>(text.size())));
    if (result) {
        memo.SetText(QString::fromUtf16(result->data(), static_cast<qsizetype>(result->size())));
    }
}

} // namespace

void TWin2kAppForm::SqlCreateStatement1Execute() {
    ApplyConversion(*Memo1, sqlconv::ConvertToCreateTable);
}
void TWin2kAppForm::SqlCSharpRead1Execute() {
    ApplyConversion(*Memo1, sqlconv::ConvertToCSharpRead);
}
void TWin2kAppForm::sqlCSharpInsert1Execute() {
    ApplyConversion(*Memo1, sqlconv::ConvertToCSharpInsert);
}
void TWin2kAppForm::sqlCSharpUpdate1Execute() {
    ApplyConversion(*Memo1, sqlconv::ConvertToCSharpUpdate);
}

} // namespace quillo::app
