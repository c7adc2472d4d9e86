// The overlay picture on the taskbar button and its hint.

#include "accessories/zkOverlayIcon.h"

#include "accessories/ImageList.h"

namespace quillo::accessories {

TzkOverlayIcon::TzkOverlayIcon(QObject* owner, std::shared_ptr<ITaskbarList3> taskbarList)
    : TzkTaskbarComponent(owner, std::move(taskbarList)) {}

TzkOverlayIcon::~TzkOverlayIcon() {
    FImageIndex = -1;
    if (IsInitialized()) {
        ApplyOverlay();
    }
}

void TzkOverlayIcon::SetImages(TImageList* value) {
    FImages = value;
    Update();
}

void TzkOverlayIcon::SetImageIndex(int value) {
    if (value != FImageIndex) {
        FImageIndex = value;
        Update();
    }
}

void TzkOverlayIcon::SetHint(const QString& value) {
    if (value != FHint) {
        FHint = value;
        Update();
    }
}

bool TzkOverlayIcon::DoInitialize() {
    return ApplyOverlay();
}

void TzkOverlayIcon::DoUpdate() {
    ApplyOverlay();
}

bool TzkOverlayIcon::ApplyOverlay() {
    ITaskbarList3* list = TaskbarList3();
    if (list == nullptr) {
        return false;
    }
    QWidget* window = TaskBarEntryHandle();
    if (window == nullptr) {
        return false;
    }
    if (!FImages.isNull() && FImageIndex >= 0 && FImageIndex < FImages->Count()) {
        list->SetOverlayIcon(window, FImages->GetIcon(FImageIndex), FHint);
    } else {
        list->SetOverlayIcon(window, QIcon(), QString());
    }
    return true;
}

} // namespace quillo::accessories
