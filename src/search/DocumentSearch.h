#pragma once

// Find and replace in the edit view: the search commands of the main window
// and the handlers of the find and replace dialogs.  Searches go forward from
// the caret and never wrap; what they find is selected.  Works on the view
// through its text-model operations only.

#include "search/LfFindOptions.h"

#include <QObject>
#include <QString>

#include <functional>

class QWidget;

namespace quillo::editing {
class TLfMemo;
}

namespace quillo::search {

class TLfFindDialog;
class TLfReplaceDialog;
class TSearchPrompts;
class TTextSearcher;
struct TTextMatch;

// Sets the taskbar overlay: picture index and hint.
using TOverlayCallback = std::function<void(int index, const QString& hint)>;

class TDocumentSearch : public QObject {
    Q_OBJECT

public:
    // `window` owns the dialog windows; everything passed must outlive this object.
    TDocumentSearch(editing::TLfMemo& memo, TLfFindDialog& findDialog,
                    TLfReplaceDialog& replaceDialog, TSearchPrompts& prompts, QWidget* window,
                    TOverlayCallback overlay = {});

    // Connects OnFind and OnReplace of both dialogs to the handlers below.
    void ConnectDialogs();

    void SearchFind1Execute();
    void SearchFindNext1Execute();
    void SearchFindFirst1Execute();
    void SearchReplace1Execute();
    void LfFindDialog1Find(TLfFindDialog* Sender);
    void LfReplaceDialog1Find(TLfFindDialog* Sender);
    void LfReplaceDialog1Replace(TLfFindDialog* Sender);

private:
    void Find(TLfFindDialog& dialog, bool replaceDialog, bool fromCommand);
    bool FindLines(TTextSearcher& searcher);
    bool FindInText(TTextSearcher& searcher, bool useEngine);
    void Replace(TLfFindDialog& dialog);
    bool ReplaceLine(TTextSearcher& searcher, const QString& replacement);
    bool ReplaceAllLines(TTextSearcher& searcher, const QString& replacement);
    bool ReplaceOnce(TTextSearcher& searcher, const QString& replacement);
    bool ReplaceAllText(TTextSearcher& searcher, const QString& replacement);
    // The first non-empty match from (line, column) on, line by line.
    bool ScanLines(TTextSearcher& searcher, qsizetype& line, qsizetype column, TTextMatch& match);
    void GoTop();
    void Inform(const QString& text);
    // Runs a handler's work, turning its errors into messages.
    void Guarded(const std::function<void()>& work);

    editing::TLfMemo& Memo1;
    TLfFindDialog& LfFindDialog1;
    TLfReplaceDialog& LfReplaceDialog1;
    TSearchPrompts& FPrompts;
    QWidget* FWindow;
    TOverlayCallback FOverlay;
};

} // namespace quillo::search
