// The numbered picture lists of the toolbar and the overlay.

#include "accessories/ImageList.h"

#include "accessories/AccessoryResources.h"

#include <QDir>

namespace quillo::accessories {

namespace {

// The pictures of one list, in index order: their resource names start with
// the list's prefix followed by the two-digit index.
QStringList ResourceFiles(const QString& prefix) {
    InitAccessoryResources();
    const QDir dir(QStringLiteral(":/icons"));
    QStringList files = dir.entryList({prefix + QStringLiteral("_*.svg")}, QDir::Files, QDir::Name);
    for (QString& f : files) {
        f = dir.filePath(f);
    }
    return files;
}

} // namespace

TImageList::TImageList(QObject* owner) : QObject(owner) {}

TImageList::TImageList(const QStringList& files, QObject* owner) : QObject(owner) {
    for (const QString& f : files) {
        FImages.append(QIcon(f));
    }
}

QIcon TImageList::GetIcon(int index) const {
    if (index < 0 || index >= FImages.size()) {
        return {};
    }
    return FImages.at(index);
}

TImageList* CreateImageList1(QObject* owner) {
    return new TImageList(ResourceFiles(QStringLiteral("imagelist1")), owner);
}

TImageList* CreateImageList2(QObject* owner) {
    return new TImageList(ResourceFiles(QStringLiteral("imagelist2")), owner);
}

} // namespace quillo::accessories
