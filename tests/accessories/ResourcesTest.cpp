#include "accessories/AccessoryResources.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QIcon>
#include <QImage>

namespace {

// The library is static: its pictures must still reach a program that links it.
TEST(AccessoryResources, PicturesReachTheLinkingProgram) {
    quillo::accessories::InitAccessoryResources();
    quillo::accessories::InitAccessoryResources(); // a second call is harmless
    for (const char* name :
         {":/icons/imagelist1_00_blank_sheet.svg", ":/icons/imagelist1_23_purple_book.svg",
          ":/icons/imagelist2_06_printer.svg", ":/about/about.jpg", ":/about/quillo.svg"}) {
        EXPECT_TRUE(QFile::exists(QString::fromLatin1(name))) << name;
    }
    EXPECT_FALSE(QIcon(QStringLiteral(":/about/quillo.svg")).pixmap(48, 48).isNull());
}

} // namespace
