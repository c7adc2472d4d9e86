#pragma once

// Why a file operation failed, said to the user in Japanese.

#include <QString>

namespace quillo::platform {

// The reason for an errno value, one sentence ending in "。".
QString SystemErrorText(int error);

// True for the errors that mean no room is left: a full disk or a used-up quota.
bool IsNoSpaceError(int error);

} // namespace quillo::platform
