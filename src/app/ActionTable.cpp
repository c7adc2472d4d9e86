// The table of the main window's commands and the actions built from it.

#include "app/ActionTable.h"

#include "accessories/ImageList.h"

#include <QAction>
#include <QKeyEvent>

#include <array>

namespace quillo::app {
namespace {

// clang-format off
constexpr std::array<TActionSpec, 35> kActions{{
    {"FileNew1", "新規作成(&N)", "新規作成", "新しいファイルを作成", "Ctrl+N", 0, true},
    {"EditUndo1", "元に戻す(&U)", "元に戻す", "直前の変更を元に戻す", "Ctrl+Z", 9, true},
    {"SqlCreateStatement1", "SQL:CREATE文変換(&C)", "", "", "", 12, true},
    {"sqlCSharpRead1", "SQL:C#読み込み文変換(&S)", "SQL:C#読み込み文変換", "SQL:C#読み込み文変換", "", -1, true},
    {"sqlCSharpInsert1", "SQL:C#INSERT文変換(&I)", "", "", "", 16, true},
    {"EditCut1", "切り取り(&T)", "切り取り", "選択部分を切り取り、クリップボードに送る", "Ctrl+X", 5, true},
    {"EditCopy1", "コピー(&C)", "コピー", "選択範囲をクリップボードにコピー", "Ctrl+C", 6, true},
    {"EditPaste1", "貼り付け(&P)", "貼り付け", "クリップボードの内容を貼り付ける", "Ctrl+V", 7, true},
    {"EditDelete1", "削除(&D)", "削除", "選択部分を削除する", "Ctrl+Del", 8, true},
    {"EditSelectAll1", "すべてを選択(&A)", "すべてを選択", "ドキュメント全体を選択する", "Ctrl+A", -1, true},
    {"SearchFind1", "検索(&F)...", "検索", "指定された文字列を検索する", "Ctrl+F", 19, false},
    {"FileNewWindow", "新規ウインドウで作成(&W)", "新規ウィンドウで作成", "新しいファイルを作成", "Ctrl+W", 1, true},
    {"FileOpen1", "開く(&O)...", "開く", "既存のファイルを開く", "", 2, true},
    {"FileHistryOpen", "履歴から開く(&H)", "", "", "", -1, true},
    {"FileSave1", "保存(&S)", "保存", "現在のファイルを保存", "Ctrl+S", 3, false},
    {"FileSaveAs1", "名前を付けて保存(&A)...", "", "", "Ctrl+A", -1, true},
    {"CodeExchange1", "文字コード変換再読み込み(&E)", "文字コード変換再読み込み", "文字コードを変換して読み込みなおします。", "", 4, false},
    {"PrinterSetting1", "プリンタの設定(&U)...", "プリンタの設定", "使用するプリンタの設定", "", -1, true},
    {"FilePageSetup1", "ページの設定(&V)...", "", "", "", -1, true},
    {"Print1", "印刷(&P)...", "印刷", "ドキュメントの印刷", "Ctrl+P", 17, true},
    {"FileExit1", "終了(&X)", "終了", "アプリケーションを終了する", "", -1, true},
    {"SearchFindFirst1", "最初から検索", "先頭から検索", "先頭から指定された文字列を探す", "", -1, false},
    {"SearchFindNext1", "次を検索(&N)", "次を検索", "直前の検索を繰り返す", "F3", 20, false},
    {"JumpLine1", "行へ移動(&G)...", "行へ移動", "指定した行へ移動します。", "Ctrl+G", 11, true},
    {"SearchReplace1", "置換(&R)...", "置換", "指定した文字列を他の文字列で置き換える", "Ctrl+R", 21, true},
    {"ReplaceNum1", "ナンバリング(&M)", "", "", "", -1, true},
    {"HespAbout1", "バージョン情報(&A)...", "バージョン情報", "プログラムの情報，バージョン番号，および著作権を表示", "", 22, true},
    {"HelpContents1", "目次(&C)...", "ヘルプの目次", "ヘルプの目次", "F1", 23, true},
    {"HelpWeb1", "サポートWebへ(&W)...", "サポートWebへ", "サポートWebを開きます(要ネット接続）", "", 10, true},
    {"sqlCSharpUpdate1", "SQL:C#UPDATE文変換(&U)", "", "", "", -1, true},
    {"FontEdit1", "フォントの選択(&F)...", "フォントの選択", "フォントの選択", "", 13, true},
    {"CursorPast1", "カーソルを戻す(&O)", "カーソルを戻す", "カーソルを一つ前に編集した行へ移動します。", "", 14, false},
    {"CursorNext1", "カーソルを進ませる(&N)", "カーソルを進ませる", "カーソルを一つ後の編集した行へ移動します。", "", 15, false},
    {"Action1", "Action1", "", "", "", -1, true},
    {"ActionPreference1", "環境設定(&P)...", "", "", "", 18, true},
}};
// clang-format on

} // namespace

TActionTable::TActionTable(QObject* owner, const accessories::TImageList* images) {
    for (const TActionSpec& row : kActions) {
        auto* action = new QAction(owner);
        action->setObjectName(QString::fromUtf8(row.Name));
        action->setText(QString::fromUtf8(row.Caption));
        action->setToolTip(QString::fromUtf8(row.ShortHint));
        action->setStatusTip(QString::fromUtf8(row.LongHint));
        action->setEnabled(row.EnabledAtStart);
        const QKeySequence key = QKeySequence::fromString(QString::fromLatin1(row.Shortcut));
        // The window dispatches keys itself, in table order (Qt would refuse
        // the doubled Ctrl+A as ambiguous); the shortcut is still carried and
        // shown, in a context no key ever reaches.
        action->setShortcut(key);
        action->setShortcutContext(Qt::WidgetShortcut);
        action->setShortcutVisibleInContextMenu(true);
        if (images != nullptr && row.ImageIndex >= 0) {
            action->setIcon(images->GetIcon(row.ImageIndex));
        }
        FActions.append(action);
    }
}

QAction* TActionTable::operator[](const char* name) const {
    const QString n = QString::fromUtf8(name);
    for (QAction* a : FActions) {
        if (a->objectName() == n) {
            return a;
        }
    }
    return nullptr;
}

QAction* TActionTable::ActionForKey(const QKeyEvent& event) const {
    const int key = event.key();
    if (key == Qt::Key_unknown || key == Qt::Key_Control || key == Qt::Key_Shift ||
        key == Qt::Key_Alt || key == Qt::Key_Meta) {
        return nullptr;
    }
    const Qt::KeyboardModifiers mods =
        event.modifiers() &
        (Qt::ControlModifier | Qt::ShiftModifier | Qt::AltModifier | Qt::MetaModifier);
    const QKeyCombination pressed(mods, static_cast<Qt::Key>(key));
    for (QAction* a : FActions) {
        const QKeySequence s = a->shortcut();
        if (s.count() == 1 && s[0] == pressed) {
            return a;
        }
    }
    return nullptr;
}

} // namespace quillo::app
