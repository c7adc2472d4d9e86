// The main window's find and replace: the two dialogs and the document search.

#include "accessories/zkOverlayIcon.h"
#include "app/W2kMain.h"
#include "editing/LfMemo.h"
#include "search/DocumentSearch.h"
#include "search/LfFindDialog.h"
#include "search/SearchPrompts.h"

#include <QAction>

namespace quillo::app {
namespace {

// The search's messages, through the window's prompts.
class TWindowSearchPrompts : public search::TSearchPrompts {
public:
    TWindowSearchPrompts(QWidget* window, Prompts& prompts) : FWindow(window), FPrompts(prompts) {}
    QMessageBox::StandardButton MessageDlg(const QString& text, search::TSearchMsgType type,
                                           QMessageBox::StandardButtons buttons) override {
        static constexpr TMsgDlgType kTypes[] = {TMsgDlgType::mtWarning, TMsgDlgType::mtError,
                                                 TMsgDlgType::mtInformation,
                                                 TMsgDlgType::mtConfirmation};
        return FPrompts.MessageDlg(FWindow, text, kTypes[static_cast<int>(type)], buttons);
    }

private:
    QWidget* FWindow;
    Prompts& FPrompts;
};

} // namespace

void TWin2kAppForm::BuildSearch() {
    LfFindDialog1 = new search::TLfFindDialog(this);
    LfFindDialog1->setObjectName(QStringLiteral("LfFindDialog1"));
    LfFindDialog1->SetRegKey(QStringLiteral("History/Find"));
    LfReplaceDialog1 = new search::TLfReplaceDialog(this);
    LfReplaceDialog1->setObjectName(QStringLiteral("LfReplaceDialog1"));
    LfReplaceDialog1->SetRegKey(QStringLiteral("History/Replace"));

    FSearchPrompts = std::make_unique<TWindowSearchPrompts>(this, FPrompts);
    FDocumentSearch = std::make_unique<search::TDocumentSearch>(
        *Memo1, *LfFindDialog1, *LfReplaceDialog1, *FSearchPrompts, this,
        [this](int index, const QString& hint) { SetOverlay(index, hint); });
    FDocumentSearch->ConnectDialogs();

    TActionTable& a = *ActionManager1;
    search::TDocumentSearch* s = FDocumentSearch.get();
    connect(SearchFind1, &QAction::triggered, s, &search::TDocumentSearch::SearchFind1Execute);
    connect(SearchFindNext1, &QAction::triggered, s,
            &search::TDocumentSearch::SearchFindNext1Execute);
    connect(SearchFindFirst1, &QAction::triggered, s,
            &search::TDocumentSearch::SearchFindFirst1Execute);
    connect(a["SearchReplace1"], &QAction::triggered, s,
            &search::TDocumentSearch::SearchReplace1Execute);
}

} // namespace quillo::app
