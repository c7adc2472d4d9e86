// Registers the pictures this library carries, once.

#include "accessories/AccessoryResources.h"

#include <QtGlobal>

#include <mutex>

// Q_INIT_RESOURCE must be used outside any namespace.
static void RegisterResources() {
    Q_INIT_RESOURCE(icons);
    Q_INIT_RESOURCE(about);
}

namespace quillo::accessories {

void InitAccessoryResources() {
    static std::once_flag once;
    std::call_once(once, RegisterResources);
}

} // namespace quillo::accessories
