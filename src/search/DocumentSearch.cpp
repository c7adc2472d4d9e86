#include "search/DocumentSearch.h"

#include "document/LineBreaks.h"
#include "editing/LfMemo.h"
#include "regex/errors.h"
#include "search/LfFindDialog.h"
#include "search/SearchPrompts.h"
#include "search/SearchStrings.h"
#include "search/TextSearcher.h"

namespace quillo::search {

namespace {

const QString kLineBreak = QStringLiteral("\r\n");

bool MatchCase(TLfFindOptions options) {
    return HasFindOption(options, frmMatchCase);
}

} // namespace

TDocumentSearch::TDocumentSearch(editing::TLfMemo& memo, TLfFindDialog& findDialog,
                                 TLfReplaceDialog& replaceDialog, TSearchPrompts& prompts,
                                 QWidget* window, TOverlayCallback overlay)
    : Memo1(memo), LfFindDialog1(findDialog), LfReplaceDialog1(replaceDialog), FPrompts(prompts),
      FWindow(window), FOverlay(std::move(overlay)) {}

void TDocumentSearch::ConnectDialogs() {
    connect(&LfFindDialog1, &TLfFindDialog::OnFind, this, &TDocumentSearch::LfFindDialog1Find);
    connect(&LfReplaceDialog1, &TLfFindDialog::OnFind, this,
            &TDocumentSearch::LfReplaceDialog1Find);
    connect(&LfReplaceDialog1, &TLfFindDialog::OnReplace, this,
            &TDocumentSearch::LfReplaceDialog1Replace);
}

void TDocumentSearch::SearchFind1Execute() {
    LfFindDialog1.Execute(FWindow);
}

void TDocumentSearch::SearchReplace1Execute() {
    LfReplaceDialog1.Execute(FWindow);
}

void TDocumentSearch::SearchFindNext1Execute() {
    if (LfFindDialog1.FindText().isEmpty()) {
        LfFindDialog1.Execute(FWindow);
        return;
    }
    Find(LfFindDialog1, false, true);
}

void TDocumentSearch::SearchFindFirst1Execute() {
    if (LfFindDialog1.FindText().isEmpty()) {
        LfFindDialog1.Execute(FWindow);
        return;
    }
    GoTop();
    Find(LfFindDialog1, false, true);
}

void TDocumentSearch::LfFindDialog1Find(TLfFindDialog* Sender) {
    Find(*Sender, false, false);
}

void TDocumentSearch::LfReplaceDialog1Find(TLfFindDialog* Sender) {
    Find(*Sender, true, false);
}

void TDocumentSearch::LfReplaceDialog1Replace(TLfFindDialog* Sender) {
    Replace(*Sender);
}

void TDocumentSearch::GoTop() {
    Memo1.LineScroll(-static_cast<int>(Memo1.LineFromChar(-1)));
    Memo1.SetSelStart(0);
    Memo1.setFocus();
}

void TDocumentSearch::Inform(const QString& text) {
    FPrompts.MessageDlg(text, TSearchMsgType::mtInformation, QMessageBox::Ok);
}

void TDocumentSearch::Guarded(const std::function<void()>& work) {
    try {
        work();
    } catch (const ERxRegExp&) {
        FPrompts.MessageDlg(strings::kBadExpression, TSearchMsgType::mtWarning, QMessageBox::Ok);
    } catch (const std::exception& e) {
        FPrompts.MessageDlg(QString::fromUtf8(e.what()), TSearchMsgType::mtError, QMessageBox::Ok);
    }
}

void TDocumentSearch::Find(TLfFindDialog& dialog, bool replaceDialog, bool fromCommand) {
    if (FOverlay) {
        FOverlay(strings::kSearchOverlayIndex, strings::kSearching);
    }
    const TLfFindOptions options = dialog.Options();
    const QString x = dialog.FindText();
    // The commands search on from the caret even when the last press was "先頭から".
    if (!fromCommand && HasFindOption(options, frmFindTop)) {
        if (replaceDialog) {
            Memo1.SetSelStart(0);
            Memo1.SetSelLength(0);
        } else {
            GoTop();
        }
    }
    Guarded([&] {
        if (HasFindOption(options, frmMultiLine)) {
            TTextSearcher searcher(x, true, MatchCase(options));
            if (!FindLines(searcher)) {
                Inform(strings::LineSearchEnded(x));
            }
            return;
        }
        const bool useEngine = HasFindOption(options, frmUseRegex);
        TTextSearcher searcher(x, useEngine, MatchCase(options));
        if (!FindInText(searcher, useEngine)) {
            Inform(replaceDialog ? strings::ReachedEnd(x) : strings::NotFound(x));
        }
    });
}

bool TDocumentSearch::ScanLines(TTextSearcher& searcher, qsizetype& line, qsizetype column,
                                TTextMatch& match) {
    const qsizetype count = Memo1.GetLineCount();
    for (; line < count; ++line, column = 0) {
        match = searcher.Find(Memo1.Line(line), column, TEmptyMatch::emSkipped);
        if (match.Found()) {
            return true;
        }
    }
    return false;
}

bool TDocumentSearch::FindLines(TTextSearcher& searcher) {
    Memo1.SetSelStart(Memo1.SelStart() + Memo1.SelLength());
    Memo1.SetSelLength(0);
    const qsizetype start = Memo1.SelStart();
    qsizetype line = Memo1.LineFromChar(start);
    TTextMatch match;
    if (!ScanLines(searcher, line, start - Memo1.LineIndex(line), match)) {
        return false;
    }
    Memo1.SetSelStart(Memo1.LineIndex(line) + match.Pos);
    Memo1.SetSelLength(match.Len);
    return true;
}

bool TDocumentSearch::FindInText(TTextSearcher& searcher, bool useEngine) {
    const qsizetype s = Memo1.SelStart();
    const qsizetype l = Memo1.SelLength();
    // An empty match where the caret stands is the one the last find left
    // there; passing it over lets repeated finds move on.
    const TEmptyMatch empty = l == 0 ? TEmptyMatch::emSkippedAtStart : TEmptyMatch::emCounts;
    const TTextMatch match = searcher.Find(Memo1.TextView(), s + l, empty);
    if (!match.Found()) {
        if (useEngine) {
            Memo1.SetSelLength(0);
        }
        return false;
    }
    Memo1.SetSelStart(match.Pos);
    Memo1.SetSelLength(match.Len);
    return true;
}

void TDocumentSearch::Replace(TLfFindDialog& dialog) {
    if (FOverlay) {
        FOverlay(strings::kSearchOverlayIndex, strings::kReplacing);
    }
    const TLfFindOptions options = dialog.Options();
    const QString x = dialog.FindText();
    auto* replace = qobject_cast<TLfReplaceDialog*>(&dialog);
    const QString replacement = replace != nullptr ? replace->ReplaceText() : QString();
    if (HasFindOption(options, frmFindTop)) {
        Memo1.SetSelStart(0);
        Memo1.SetSelLength(0);
    }
    const bool all = HasFindOption(options, frmReplaceAll);
    Guarded([&] {
        const bool lines = HasFindOption(options, frmMultiLine);
        TTextSearcher searcher(x, lines || HasFindOption(options, frmUseRegex), MatchCase(options));
        bool replaced = false;
        if (lines) {
            replaced =
                all ? ReplaceAllLines(searcher, replacement) : ReplaceLine(searcher, replacement);
        } else {
            replaced =
                all ? ReplaceAllText(searcher, replacement) : ReplaceOnce(searcher, replacement);
        }
        if (all || !replaced) {
            Inform(strings::ReplaceEnded(x));
        }
    });
}

bool TDocumentSearch::ReplaceLine(TTextSearcher& searcher, const QString& replacement) {
    // The selection stays, so a match a find selected is the one replaced.
    const qsizetype s = Memo1.SelStart();
    qsizetype line = Memo1.LineFromChar(s);
    TTextMatch match;
    if (!ScanLines(searcher, line, s - Memo1.LineIndex(line), match)) {
        return false;
    }
    const QString text = Memo1.Line(line);
    const QString r = searcher.Expand(text, match, replacement);
    const QString rewritten = text.left(match.Pos) + r + text.mid(match.Pos + match.Len);
    Memo1.SetLine(line, rewritten);
    // Right after the inserted text, so that the next match is not skipped;
    // counted after its lone breaks have become CR LF.
    Memo1.SetSelStart(Memo1.LineIndex(line) +
                      document::CrLfPosition(rewritten, match.Pos + r.size()));
    Memo1.SetSelLength(0);
    return true;
}

bool TDocumentSearch::ReplaceAllLines(TTextSearcher& searcher, const QString& replacement) {
    const qsizetype s = Memo1.SelStart();
    const qsizetype firstLine = Memo1.LineFromChar(s);
    const qsizetype lineStart = Memo1.LineIndex(firstLine);
    const QStringView text = Memo1.TextView();
    QString out = text.left(lineStart).toString();
    out.reserve(text.size());
    qsizetype column = s - lineStart;
    qsizetype caret = -1;
    for (qsizetype pos = lineStart;;) {
        const qsizetype end = text.indexOf(kLineBreak, pos);
        const QStringView line = text.mid(pos, end < 0 ? -1 : end - pos);
        const TReplaceResult r = searcher.ReplaceAll(line, column, replacement);
        if (r.Count > 0) {
            caret = out.size() + r.CaretAfter;
        }
        out += r.Text;
        if (end < 0) {
            break;
        }
        out += kLineBreak;
        pos = end + kLineBreak.size();
        column = 0;
    }
    if (caret < 0) {
        return false;
    }
    Memo1.SetText(out);
    Memo1.SetSelStart(document::CrLfPosition(out, caret));
    Memo1.SetSelLength(0);
    return true;
}

bool TDocumentSearch::ReplaceOnce(TTextSearcher& searcher, const QString& replacement) {
    const QStringView text = Memo1.TextView();
    const TTextMatch match = searcher.Find(text, Memo1.SelStart(), TEmptyMatch::emSkipped);
    if (!match.Found()) {
        return false;
    }
    const QString r = searcher.Expand(text, match, replacement);
    Memo1.SetSelStart(match.Pos);
    Memo1.SetSelLength(match.Len);
    Memo1.SetSelText(r);
    return true;
}

bool TDocumentSearch::ReplaceAllText(TTextSearcher& searcher, const QString& replacement) {
    const TReplaceResult r = searcher.ReplaceAll(Memo1.TextView(), Memo1.SelStart(), replacement);
    if (r.Count == 0) {
        return false;
    }
    Memo1.SetText(r.Text);
    Memo1.SetSelStart(document::CrLfPosition(r.Text, r.CaretAfter));
    Memo1.SetSelLength(0);
    return true;
}

} // namespace quillo::search
