#pragma once

namespace quillo::accessories {

// Registers the pictures this library carries (toolbar and overlay pictures,
// the about-box picture, the program icon).  A static library's resources are
// not linked in by themselves; every component that needs them calls this,
// and calling it again does nothing.
void InitAccessoryResources();

} // namespace quillo::accessories
