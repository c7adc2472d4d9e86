#pragma once

// Making the per-user data folder exist before anything is written there.

#include <QString>

#include <stdexcept>

namespace quillo::platform {

// A folder that cannot be created; the message is for the user.
class EFolderError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Creates each missing level of path, from the root down, one at a time.
// Throws EFolderError naming the level that could not be made.
void CreateFolderLevels(const QString& path);

// AppDataFolder(), created when missing; returns its path.
QString EnsureAppDataFolder();

} // namespace quillo::platform
