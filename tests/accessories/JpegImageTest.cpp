#include "accessories/JpegImage.h"

#include <gtest/gtest.h>

#include <QColor>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>

using namespace quillo::accessories;

namespace {

QImage Quarters() {
    QImage image(64, 48, QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            image.setPixel(x, y,
                           x < 32 ? (y < 24 ? qRgb(255, 0, 0) : qRgb(0, 0, 255))
                                  : (y < 24 ? qRgb(0, 160, 0) : qRgb(255, 255, 255)));
        }
    }
    return image;
}

bool Near(QRgb a, QRgb b) {
    return std::abs(qRed(a) - qRed(b)) < 24 && std::abs(qGreen(a) - qGreen(b)) < 24 &&
           std::abs(qBlue(a) - qBlue(b)) < 24;
}

TEST(JpegImage, RoundTripKeepsSizeAndColours) {
    const QByteArray bytes = EncodeJpeg(Quarters(), 95);
    ASSERT_TRUE(bytes.startsWith("\xFF\xD8"));
    const QImage back = DecodeJpeg(bytes);
    ASSERT_EQ(back.size(), QSize(64, 48));
    EXPECT_TRUE(Near(back.pixel(8, 8), qRgb(255, 0, 0)));
    EXPECT_TRUE(Near(back.pixel(8, 40), qRgb(0, 0, 255)));
    EXPECT_TRUE(Near(back.pixel(56, 8), qRgb(0, 160, 0)));
    EXPECT_TRUE(Near(back.pixel(56, 40), qRgb(255, 255, 255)));
}

TEST(JpegImage, GreyPicturesDecodeAsColour) {
    QImage grey(16, 16, QImage::Format_Grayscale8);
    grey.fill(128);
    const QImage back = DecodeJpeg(EncodeJpeg(grey, 90));
    EXPECT_TRUE(Near(back.pixel(4, 4), qRgb(128, 128, 128)));
}

TEST(JpegImage, BadDataRaisesInsteadOfCrashing) {
    EXPECT_THROW(DecodeJpeg(QByteArray()), EJpegError);
    EXPECT_THROW(DecodeJpeg(QByteArray("not a picture at all")), EJpegError);
    EXPECT_THROW(DecodeJpegFile(QStringLiteral("/nonexistent/picture.jpg")), EJpegError);

    // A header claiming 65000 x 65000 pixels.
    QByteArray huge = EncodeJpeg(Quarters(), 80);
    const qsizetype sof = huge.indexOf("\xFF\xC0");
    ASSERT_GT(sof, 0);
    for (const int at : {5, 7}) {
        huge[sof + at] = char(0xFD);
        huge[sof + at + 1] = char(0xE8);
    }
    EXPECT_THROW(DecodeJpeg(huge), EJpegError);
}

TEST(JpegImage, FromAFile) {
    QTemporaryDir dir;
    QFile file(dir.filePath(QStringLiteral("p.jpg")));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(EncodeJpeg(Quarters(), 90));
    file.close();
    EXPECT_EQ(DecodeJpegFile(file.fileName()).size(), QSize(64, 48));
}

} // namespace
