#include "platform/DataFolder.h"

#include "platform/SettingsStore.h"

#include <QDir>
#include <QFileInfo>

namespace quillo::platform {

void CreateFolderLevels(const QString& path) {
    const QString clean = QDir::cleanPath(QDir(path).absolutePath());
    const QStringList parts = clean.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    QString level;
    for (const QString& part : parts) {
        level += QLatin1Char('/') + part;
        const QFileInfo info(level);
        if (info.isDir()) {
            continue;
        }
        // Another copy may create the same level at the same moment.
        if (!QDir().mkdir(level) && !QFileInfo(level).isDir()) {
            throw EFolderError(QStringLiteral("フォルダ %1 を作成できません。")
                                   .arg(QDir::toNativeSeparators(level))
                                   .toStdString());
        }
    }
}

QString EnsureAppDataFolder() {
    const QString folder = AppDataFolder();
    CreateFolderLevels(folder);
    return folder;
}

} // namespace quillo::platform
