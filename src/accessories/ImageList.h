#pragma once

// A numbered list of pictures, as the toolbar and the overlay use them.

#include <QIcon>
#include <QList>
#include <QObject>

namespace quillo::accessories {

class TImageList : public QObject {
    Q_OBJECT

public:
    explicit TImageList(QObject* owner = nullptr);
    TImageList(const QStringList& files, QObject* owner = nullptr);

    void Add(const QIcon& icon) { FImages.append(icon); }
    int Count() const { return static_cast<int>(FImages.size()); }
    // The picture at index; a null icon outside the list.
    QIcon GetIcon(int index) const;

private:
    QList<QIcon> FImages;
};

// The 24 pictures of the actions, by picture index.
TImageList* CreateImageList1(QObject* owner);
// The 7 overlay pictures: blank sheet, open folder, diskette, red pencil,
// magnifying glass, loudspeaker, printer.
TImageList* CreateImageList2(QObject* owner);

} // namespace quillo::accessories
