#pragma once

#include <QSettings>
#include <QString>

#include <memory>
#include <optional>

namespace quillo::platform {

// The program's settings store: organisation "Orvane", application "quillo"
// (~/.config/Orvane/quillo.conf here).  Groups stand for the subkeys.
std::unique_ptr<QSettings> OpenSettings();

// True once anything has created the store, even if it holds no value yet.
bool SettingsKeyExists();

// Typed reads that treat a value of the wrong type as absent.
std::optional<qint64> ReadInteger(const QSettings& settings, const QString& name);
std::optional<bool> ReadBool(const QSettings& settings, const QString& name);
std::optional<QString> ReadString(const QSettings& settings, const QString& name);

// The per-user data folder: the XDG data home + "/Orvane/quillo".
QString AppDataFolder();

} // namespace quillo::platform
