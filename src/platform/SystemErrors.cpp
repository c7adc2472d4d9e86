#include "platform/SystemErrors.h"

#include <cerrno>
#include <cstring>

namespace quillo::platform {

QString SystemErrorText(int error) {
    switch (error) {
    case ENOSPC:
        return QStringLiteral("ディスクがいっぱいです。");
    case EDQUOT:
        return QStringLiteral("ディスクの使用量の上限(クォータ)に達しました。");
    case EFBIG:
        return QStringLiteral("ファイルが大きすぎます。");
    case EACCES:
    case EPERM:
        return QStringLiteral("アクセスが拒否されました。");
    case EROFS:
        return QStringLiteral("読み取り専用のファイルシステムです。");
    case ENOENT:
        return QStringLiteral("ファイルまたはフォルダが見つかりません。");
    case ENOTDIR:
        return QStringLiteral("パスの途中にフォルダでないものがあります。");
    case EISDIR:
        return QStringLiteral("フォルダです。");
    case ENAMETOOLONG:
        return QStringLiteral("ファイル名が長すぎます。");
    case ETXTBSY:
        return QStringLiteral("実行中のプログラムのファイルです。");
    case EIO:
        return QStringLiteral("入出力エラーが起きました。");
    case ENXIO:
        return QStringLiteral("受け取る相手がいません。");
    case ETIMEDOUT:
        return QStringLiteral("相手が受け取らないまま時間切れになりました。");
    default:
        return QString::fromLocal8Bit(std::strerror(error)) + QStringLiteral("。");
    }
}

bool IsNoSpaceError(int error) {
    return error == ENOSPC || error == EDQUOT;
}

} // namespace quillo::platform
