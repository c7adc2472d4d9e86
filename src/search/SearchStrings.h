#pragma once

// Every text the find and replace dialogs and the document search show.

#include <QString>

namespace quillo::search::strings {

inline const QString kFindCaption = QStringLiteral("検索");
inline const QString kReplaceCaption = QStringLiteral("置換");
inline const QString kFindLabel = QStringLiteral("検索する文字列(&N)");
inline const QString kReplaceLabel = QStringLiteral("置換後の文字列(&R)");
inline const QString kFindCursor = QStringLiteral("カーソル位置から");
inline const QString kFindTop = QStringLiteral("先頭から");
inline const QString kMatchCase = QStringLiteral("大文字と小文字を区別する(&C)");
inline const QString kFindNext = QStringLiteral("次を検索(&F)");
inline const QString kReplaceNext = QStringLiteral("置換して次に(&R)");
inline const QString kReplaceAll = QStringLiteral("すべて置換(&A)");
inline const QString kCancel = QStringLiteral("キャンセル");
inline const QString kMultiLine = QStringLiteral("行を解釈する(&L)");
inline const QString kUseRegex = QStringLiteral("正規表現を使用する(&X)");
inline const QString kFontName = QStringLiteral("Tahoma");

inline const QString kHistoryCount = QStringLiteral("FindTextCount");
// Name of history entry i: "FindText%.2d".
inline QString HistoryEntryName(int i) {
    return QString::asprintf("FindText%.2d", i);
}

inline const QString kSearching = QStringLiteral("文字列を検索中です");
inline const QString kReplacing = QStringLiteral("文字列を置き換え中です");
constexpr int kSearchOverlayIndex = 4;

inline const QString kBadExpression = QStringLiteral("検索式に誤りがあります。");

// The messages that quote the search string X.
inline QString LineSearchEnded(const QString& x) {
    return QStringLiteral("\"") + x + QStringLiteral("\"の検索が終わりました。");
}
inline QString NotFound(const QString& x) {
    return QStringLiteral("検索文字列\"") + x + QStringLiteral("\"が見つかりませんでした。");
}
inline QString ReachedEnd(const QString& x) {
    return QStringLiteral("\"") + x + QStringLiteral("\"の検索が最後まで達しました。");
}
inline QString ReplaceEnded(const QString& x) {
    return QStringLiteral("\"") + x + QStringLiteral("\"の置換が終わりました。");
}

} // namespace quillo::search::strings
