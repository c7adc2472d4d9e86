#pragma once

// The texts of the backup and the file-type registration, in one place.

#include <QString>

namespace quillo::backup::strings {

inline const QString RecoveryQuestion =
    QStringLiteral("前回の編集途中のバックアップがあります。バックアップを開きますか？");
inline const QString RecoveryHint = QStringLiteral("バックアップの回復をしますか？");
// The name of a document that has no file yet, as the slots record it.
inline const QString Untitled = QStringLiteral("名称未設定");
inline const QString TypeDescription = QStringLiteral("テキストファイル");

} // namespace quillo::backup::strings
