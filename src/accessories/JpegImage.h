#pragma once

// JPEG pictures through libjpeg.

#include <QByteArray>
#include <QImage>
#include <QString>

#include <stdexcept>

namespace quillo::accessories {

class EJpegError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Decodes a baseline or progressive JPEG (grey or colour) into an RGB32
// image.  Raises EJpegError for data libjpeg rejects.
QImage DecodeJpeg(const QByteArray& data);
// The same for a file; a file that cannot be read raises EJpegError too.
QImage DecodeJpegFile(const QString& path);

// Encodes an image as a colour JPEG of the given quality (1 to 100).
QByteArray EncodeJpeg(const QImage& image, int quality);

} // namespace quillo::accessories
