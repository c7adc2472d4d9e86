#pragma once

namespace quillo::platform {

// Maps the Windows face names the program stores and designs with to installed
// free faces of the same kind, so that a stored name keeps working.
void InstallFontSubstitutes();

} // namespace quillo::platform
