#include "platform/SettingsStore.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace quillo::platform {

std::unique_ptr<QSettings> OpenSettings() {
    return std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope,
                                       QStringLiteral("Orvane"), QStringLiteral("quillo"));
}

bool SettingsKeyExists() {
    const auto settings = OpenSettings();
    return QFileInfo::exists(settings->fileName()) || !settings->allKeys().isEmpty();
}

std::optional<qint64> ReadInteger(const QSettings& settings, const QString& name) {
    if (!settings.contains(name)) {
        return std::nullopt;
    }
    bool ok = false;
    const qint64 v = settings.value(name).toLongLong(&ok);
    if (!ok) {
        return std::nullopt;
    }
    return v;
}

std::optional<bool> ReadBool(const QSettings& settings, const QString& name) {
    const auto v = ReadInteger(settings, name);
    if (!v) {
        return std::nullopt;
    }
    return *v != 0;
}

std::optional<QString> ReadString(const QSettings& settings, const QString& name) {
    if (!settings.contains(name)) {
        return std::nullopt;
    }
    const QVariant v = settings.value(name);
    if (v.typeId() == QMetaType::QStringList) {
        return std::nullopt; // a list is no single string
    }
    return v.toString();
}

QString AppDataFolder() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
           QStringLiteral("/Orvane/quillo");
}

} // namespace quillo::platform
