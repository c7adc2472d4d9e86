#pragma once

// The main window's own texts, in one place.

#include "backup/BackupStrings.h"

#include <QString>

namespace quillo::app::strings {

inline const QString AppTitle = QStringLiteral("quillo");
inline const QString TitleSuffix = QStringLiteral(" - quillo");
inline const QString NewDocumentTitle = QStringLiteral("新規ドキュメント - quillo");
inline const QString Untitled = backup::strings::Untitled;
inline const QString AskSaveBeforeClose = QStringLiteral("閉じる前にファイルを保存しますか？");
inline const QString AskWriteReadOnly = QStringLiteral("%1 は読み取り専用です。上書きしますか？");
inline const QString AskWriteOverChange =
    QStringLiteral("このファイルは他のプログラムによって変更されています。上書きしますか？");
inline const QString AskRereadChanged =
    QStringLiteral("ファイルが他のプログラムによって変更されました。再読み込みしますか？");
inline const QString FileRemovedOutside = QStringLiteral(
    "%1 は他のプログラムによって削除されました。保存するとファイルが作り直されます。");
inline const QString HeldByOtherCopy =
    QStringLiteral("このファイルは別の quillo (プロセス %1) でも開かれています。"
                   "両方で編集すると、先に保存した変更に後の保存が上書きされることがあります。");
inline const QString OutOfMemory =
    QStringLiteral("メモリが足りないため、この操作を続けられません。文書は変更されていません。");

inline const QString CaptionWarning = QStringLiteral("警告");
inline const QString CaptionError = QStringLiteral("エラー");
inline const QString CaptionInformation = QStringLiteral("情報");
inline const QString CaptionConfirmation = QStringLiteral("確認");
inline const QString ButtonYes = QStringLiteral("はい(&Y)");
inline const QString ButtonNo = QStringLiteral("いいえ(&N)");
inline const QString ButtonCancel = QStringLiteral("キャンセル");
inline const QString ButtonOk = QStringLiteral("OK");

inline const QString PreferenceCaption = QStringLiteral("quillo 環境設定");
inline const QString PreferenceSaveGroup = QStringLiteral("保存設定");
inline const QString PreferenceUseBom = QStringLiteral("UNICODE BOMをつけて保存する");
inline const QString PreferenceViewGroup = QStringLiteral("表示設定");
inline const QString PreferenceSmallIcons = QStringLiteral("アイコン - 小");
inline const QString PreferenceLargeIcons = QStringLiteral("アイコン - 大");

inline const QString FontDialogCaption = QStringLiteral("フォントの選択");
inline const QString FontDialogColor = QStringLiteral("色(&C):");

inline const QString DesignFontName = QStringLiteral("ＭＳ ゴシック");

} // namespace quillo::app::strings
