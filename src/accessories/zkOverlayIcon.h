#pragma once

// Lays one picture of an image list over the program's taskbar button, with
// a text that says what the editor is doing.  Index -1 (or any index outside
// the list) shows no overlay.

#include "accessories/ImageList.h"
#include "accessories/zkTaskbarComponents.h"

#include <QPointer>
#include <QString>

namespace quillo::accessories {

class TzkOverlayIcon : public TzkTaskbarComponent {
    Q_OBJECT

public:
    explicit TzkOverlayIcon(QObject* owner,
                            std::shared_ptr<ITaskbarList3> taskbarList = CreateTaskbarList());
    // Removes the overlay at once.
    ~TzkOverlayIcon() override;

    TImageList* Images() const { return FImages; }
    void SetImages(TImageList* value);
    int ImageIndex() const { return FImageIndex; }
    void SetImageIndex(int value);
    QString Hint() const { return FHint; }
    void SetHint(const QString& value);

protected:
    bool DoInitialize() override;
    void DoUpdate() override;

private:
    bool ApplyOverlay();

    QPointer<TImageList> FImages;
    int FImageIndex = -1;
    QString FHint;
};

} // namespace quillo::accessories
