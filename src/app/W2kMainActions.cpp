// The main window's commands: the action table wired to the handlers, the
// menu bar, toolbar and context menu laid out from it, and key dispatch.

#include "accessories/HelpWindow.h"
#include "accessories/ImageList.h"
#include "app/W2kMain.h"
#include "editing/LfMemo.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QToolBar>

namespace quillo::app {
namespace {

// A menu layout: action names, "-" for a separator, ">Caption|Picture" opens
// a submenu and "<" closes it; "Name=Caption" shows another caption there.
using TLayout = std::initializer_list<const char*>;

} // namespace

void TWin2kAppForm::BuildActions() {
    ImageList1 = accessories::CreateImageList1(this);
    ActionManager1 = std::make_unique<TActionTable>(this, ImageList1);
    TActionTable& a = *ActionManager1;
    FileSave1 = a["FileSave1"];
    CodeExchange1 = a["CodeExchange1"];
    SearchFind1 = a["SearchFind1"];
    SearchFindNext1 = a["SearchFindNext1"];
    SearchFindFirst1 = a["SearchFindFirst1"];
    CursorPast1 = a["CursorPast1"];
    CursorNext1 = a["CursorNext1"];

    const auto on = [this](QAction* action, void (TWin2kAppForm::*handler)()) {
        ConnectCommand(action, handler);
    };
    on(a["FileNew1"], &TWin2kAppForm::FileNew1Execute);
    on(a["FileNewWindow"], &TWin2kAppForm::FileNewWindowExecute);
    on(a["FileOpen1"], &TWin2kAppForm::FileOpen1Execute);
    on(FileSave1, &TWin2kAppForm::FileSave1Execute);
    on(a["FileSaveAs1"], &TWin2kAppForm::FileSaveAs1Execute);
    on(CodeExchange1, &TWin2kAppForm::CodeExchange1Execute);
    on(a["FileExit1"], &TWin2kAppForm::FileExit1Execute);
    on(a["FontEdit1"], &TWin2kAppForm::FontEdit1Execute);
    on(a["ActionPreference1"], &TWin2kAppForm::ActionPreference1Execute);
    on(CursorPast1, &TWin2kAppForm::CursorPast1Execute);
    on(CursorNext1, &TWin2kAppForm::CursorNext1Execute);
    on(a["JumpLine1"], &TWin2kAppForm::JumpLine1Execute);
    on(a["ReplaceNum1"], &TWin2kAppForm::ReplaceNum1Execute);
    on(a["SqlCreateStatement1"], &TWin2kAppForm::SqlCreateStatement1Execute);
    on(a["sqlCSharpRead1"], &TWin2kAppForm::SqlCSharpRead1Execute);
    on(a["sqlCSharpInsert1"], &TWin2kAppForm::sqlCSharpInsert1Execute);
    on(a["sqlCSharpUpdate1"], &TWin2kAppForm::sqlCSharpUpdate1Execute);

    // The standard edit actions act on the view.
    connect(a["EditUndo1"], &QAction::triggered, this, [this] { Memo1->Undo(); });
    connect(a["EditCut1"], &QAction::triggered, this, [this] { Memo1->Cut(); });
    connect(a["EditCopy1"], &QAction::triggered, this, [this] { Memo1->copy(); });
    connect(a["EditPaste1"], &QAction::triggered, this, [this] { Memo1->Paste(); });
    connect(a["EditDelete1"], &QAction::triggered, this, [this] { Memo1->RemoveSelectedText(); });
    connect(a["EditSelectAll1"], &QAction::triggered, this, [this] { Memo1->selectAll(); });

    connect(Memo1, &editing::TLfMemo::selectionChanged, this, &TWin2kAppForm::UpdateEditActions);
    connect(Memo1, &editing::TLfMemo::undoAvailable, this, &TWin2kAppForm::UpdateEditActions);
    connect(Memo1, &editing::TLfMemo::textChanged, this, &TWin2kAppForm::UpdateEditActions);
    connect(Memo1, &editing::TLfMemo::readOnlyChanged, this, &TWin2kAppForm::UpdateEditActions);
    // The clipboard is asked when it changes, not at every keystroke.
    const auto clipboardChanged = [this] {
        FClipboardHasText = !QApplication::clipboard()->text().isEmpty();
        UpdateEditActions();
    };
    connect(QApplication::clipboard(), &QClipboard::dataChanged, this, clipboardChanged);
    FClipboardHasText = !QApplication::clipboard()->text().isEmpty();
    connect(qApp, &QApplication::focusChanged, this, &TWin2kAppForm::UpdateEditActions);

    connect(Memo1, &editing::TLfMemo::textChanged, this, &TWin2kAppForm::Memo1Change);
    connect(Memo1, &editing::TLfMemo::OnClick, this, &TWin2kAppForm::Memo1Click);
    // The status shows where the caret is after every key, not only where
    // the key found it.
    connect(Memo1, &editing::TLfMemo::cursorPositionChanged, this,
            &TWin2kAppForm::RefreshCaretStatus);
    connect(Memo1, &editing::TLfMemo::OnCut, this, &TWin2kAppForm::Memo1Cut);
    connect(Memo1, &editing::TLfMemo::OnPaste, this, &TWin2kAppForm::Memo1Paste);
    connect(Memo1, &editing::TLfMemo::OnKeyDown, this,
            [this](QKeyEvent* key, bool&) { Memo1KeyDown(key); });
    connect(Memo1, &editing::TLfMemo::OnKeyPress, this,
            [this](QKeyEvent* key, bool&) { Memo1KeyPress(key); });

    qApp->installEventFilter(this);
    UpdateEditActions();
}

void TWin2kAppForm::ConnectCommand(QAction* action, void (TWin2kAppForm::*handler)()) {
    connect(action, &QAction::triggered, this,
            [this, handler] { Guarded([&] { (this->*handler)(); }); });
}

void TWin2kAppForm::BuildMenus() {
    TActionTable& a = *ActionManager1;
    const auto fill = [&](QWidget* target, TLayout layout) {
        std::vector<QWidget*> stack{target};
        for (const char* item : layout) {
            const QString entry = QString::fromUtf8(item);
            QWidget* w = stack.back();
            if (entry == QLatin1String("-")) {
                if (auto* m = qobject_cast<QMenu*>(w)) {
                    m->addSeparator();
                } else if (auto* t = qobject_cast<QToolBar*>(w)) {
                    t->addSeparator();
                }
            } else if (entry.startsWith(u'>')) {
                const QStringList parts = entry.mid(1).split(u'|');
                QMenu* sub = nullptr;
                if (auto* bar = qobject_cast<QMenuBar*>(w)) {
                    sub = bar->addMenu(parts.at(0));
                } else {
                    sub = static_cast<QMenu*>(w)->addMenu(parts.at(0));
                }
                if (parts.size() > 1) {
                    sub->setIcon(ImageList1->GetIcon(parts.at(1).toInt()));
                }
                stack.push_back(sub);
            } else if (entry == QLatin1String("<")) {
                stack.pop_back();
            } else {
                const QStringList parts = entry.split(u'=');
                QAction* action = a[parts.at(0).toUtf8().constData()];
                if (parts.size() > 1) {
                    // Another caption in this place only: a stand-in that runs the action.
                    auto* alias = new QAction(parts.at(1), w);
                    alias->setObjectName(action->objectName() + QStringLiteral("Menu"));
                    alias->setIcon(action->icon());
                    alias->setStatusTip(action->statusTip());
                    alias->setShortcut(action->shortcut());
                    alias->setShortcutContext(Qt::WidgetShortcut);
                    alias->setEnabled(action->isEnabled());
                    connect(action, &QAction::changed, alias,
                            [alias, action] { alias->setEnabled(action->isEnabled()); });
                    connect(alias, &QAction::triggered, action, &QAction::trigger);
                    action = alias;
                }
                w->addAction(action);
            }
        }
    };
    fill(ActionMainMenuBar1, {">ファイル(&F)",
                              ">新規作成(&F)|0",
                              "FileNew1",
                              "FileNewWindow",
                              "<",
                              "-",
                              "FileOpen1",
                              ">履歴から開く(&H)",
                              "Action1",
                              "<",
                              "FileSave1",
                              "FileSaveAs1",
                              "-",
                              "CodeExchange1",
                              "-",
                              "PrinterSetting1",
                              "FilePageSetup1",
                              "Print1",
                              "-",
                              "FileExit1",
                              "<",
                              ">編集(&E)",
                              "EditUndo1",
                              "-",
                              "EditCut1",
                              "EditCopy1",
                              "EditPaste1",
                              "EditDelete1",
                              "-",
                              "EditSelectAll1",
                              "-",
                              "JumpLine1",
                              "CursorNext1",
                              "CursorPast1",
                              "-",
                              "FontEdit1",
                              "-",
                              "ActionPreference1=環境設定(&Z)...",
                              "<",
                              ">検索(&S)",
                              "SearchFind1",
                              "SearchFindFirst1=最初から検索(&Z)",
                              "SearchFindNext1",
                              "SearchReplace1",
                              "-",
                              "ReplaceNum1",
                              "<",
                              ">SQL変換(&Q)",
                              "SqlCreateStatement1",
                              "sqlCSharpRead1",
                              "sqlCSharpInsert1",
                              "sqlCSharpUpdate1",
                              "<",
                              ">ヘルプ(&H)",
                              "HespAbout1",
                              "HelpContents1",
                              "HelpWeb1",
                              "<"});
    fill(ActionToolBar1,
         {"FileNew1",    "FileOpen1",       "FileSave1",      "-",           "EditUndo1",
          "-",           "EditCut1",        "EditCopy1",      "EditPaste1",  "EditDelete1",
          "-",           "JumpLine1",       "CursorPast1",    "CursorNext1", "-",
          "SearchFind1", "SearchFindNext1", "SearchReplace1", "-",           "FontEdit1",
          "-",           "HespAbout1",      "HelpContents1",  "HelpWeb1"});
    fill(PopupActionBar1,
         {"EditCut1", "EditCopy1", "EditPaste1", "EditDelete1", "-", "SearchFind1",
          "SearchFindNext1", "SearchReplace1", "-", "JumpLine1", "CursorPast1", "CursorNext1"});
}

bool TWin2kAppForm::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if ((type == QEvent::ShortcutOverride || type == QEvent::KeyPress) && watched->isWidgetType()) {
        auto* widget = static_cast<QWidget*>(watched);
        QWidget* top = widget->window();
        // Keys typed in this window or in one of its menus.
        const bool ours = top == this || (qobject_cast<QMenu*>(top) != nullptr &&
                                          QApplication::activeWindow() == this);
        if (ours && isActiveWindow()) {
            auto* key = static_cast<QKeyEvent*>(event);
            if (QAction* action = ActionManager1->ActionForKey(*key)) {
                event->accept();
                if (type == QEvent::KeyPress) {
                    if (auto* menu = qobject_cast<QMenu*>(top)) {
                        menu->close();
                    }
                    if (action->isEnabled()) {
                        action->trigger();
                    }
                }
                return true;
            }
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void TWin2kAppForm::UpdateEditActions() {
    if (!ActionManager1) {
        return;
    }
    TActionTable& a = *ActionManager1;
    // With the view not focused no edit control is the target.
    const bool target = Memo1->hasFocus() || focusWidget() == Memo1 || focusWidget() == nullptr;
    const bool writable = target && !Memo1->isReadOnly();
    const bool selection = target && Memo1->HasSelection();
    a["EditUndo1"]->setEnabled(writable && Memo1->CanUndo());
    a["EditCut1"]->setEnabled(writable && selection);
    a["EditCopy1"]->setEnabled(selection);
    a["EditPaste1"]->setEnabled(writable && FClipboardHasText);
    a["EditDelete1"]->setEnabled(writable && selection);
    a["EditSelectAll1"]->setEnabled(target && !Memo1->IsEmpty());
}

void TWin2kAppForm::FileExit1Execute() {
    accessories::CloseHelp();
    close();
}

} // namespace quillo::app
