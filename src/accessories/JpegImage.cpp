// Decoding JPEG pictures with libjpeg.

#include "accessories/JpegImage.h"

#include <QFile>

#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <jpeglib.h>
#include <vector>

namespace quillo::accessories {

namespace {

// libjpeg reports fatal errors through error_exit, which must not return:
// it jumps back to the caller's setjmp with the message kept.
struct ErrorManager {
    jpeg_error_mgr pub;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

void ErrorExit(j_common_ptr info) {
    auto* err = reinterpret_cast<ErrorManager*>(info->err);
    (*info->err->format_message)(info, err->message);
    std::longjmp(err->jump, 1);
}

void SilentOutput(j_common_ptr) {}

constexpr unsigned long long kMaxPixels = 64ULL * 1024 * 1024;

// Only plain data lives in these frames, so the long jump skips no destructor.
bool DecodeInto(const unsigned char* data, unsigned long size, QImage* image, char* message) {
    jpeg_decompress_struct info;
    ErrorManager err;
    info.err = jpeg_std_error(&err.pub);
    err.pub.error_exit = ErrorExit;
    err.pub.output_message = SilentOutput;
    err.message[0] = '\0';
    if (setjmp(err.jump)) {
        jpeg_destroy_decompress(&info);
        std::snprintf(message, JMSG_LENGTH_MAX, "%s", err.message);
        return false;
    }
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, data, size);
    jpeg_read_header(&info, TRUE);
    info.out_color_space = JCS_RGB;
    jpeg_start_decompress(&info);
    // A header may claim any size; refuse what no real picture of ours needs
    // before allocating for it.
    if (static_cast<unsigned long long>(info.output_width) * info.output_height > kMaxPixels) {
        std::snprintf(message, JMSG_LENGTH_MAX, "JPEG picture too large (%u x %u)",
                      info.output_width, info.output_height);
        jpeg_destroy_decompress(&info);
        return false;
    }
    *image = QImage(static_cast<int>(info.output_width), static_cast<int>(info.output_height),
                    QImage::Format_RGB888);
    if (image->isNull()) {
        std::snprintf(message, JMSG_LENGTH_MAX, "JPEG picture too large (%u x %u)",
                      info.output_width, info.output_height);
        jpeg_destroy_decompress(&info);
        return false;
    }
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = image->scanLine(static_cast<int>(info.output_scanline));
        jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    return true;
}

bool EncodeInto(const QImage& rgb, int quality, unsigned char** out, unsigned long* outSize,
                char* message) {
    jpeg_compress_struct info;
    ErrorManager err;
    info.err = jpeg_std_error(&err.pub);
    err.pub.error_exit = ErrorExit;
    err.pub.output_message = SilentOutput;
    err.message[0] = '\0';
    if (setjmp(err.jump)) {
        jpeg_destroy_compress(&info);
        std::snprintf(message, JMSG_LENGTH_MAX, "%s", err.message);
        return false;
    }
    jpeg_create_compress(&info);
    jpeg_mem_dest(&info, out, outSize);
    info.image_width = static_cast<JDIMENSION>(rgb.width());
    info.image_height = static_cast<JDIMENSION>(rgb.height());
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, quality, TRUE);
    jpeg_start_compress(&info, TRUE);
    while (info.next_scanline < info.image_height) {
        auto row = const_cast<JSAMPROW>(rgb.constScanLine(static_cast<int>(info.next_scanline)));
        jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    return true;
}

} // namespace

QImage DecodeJpeg(const QByteArray& data) {
    if (data.isEmpty()) {
        throw EJpegError("empty JPEG data");
    }
    QImage image;
    char message[JMSG_LENGTH_MAX];
    if (!DecodeInto(reinterpret_cast<const unsigned char*>(data.constData()),
                    static_cast<unsigned long>(data.size()), &image, message)) {
        throw EJpegError(message);
    }
    return image.convertToFormat(QImage::Format_RGB32);
}

QImage DecodeJpegFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        throw EJpegError("cannot read " + path.toStdString());
    }
    return DecodeJpeg(file.readAll());
}

QByteArray EncodeJpeg(const QImage& image, int quality) {
    const QImage rgb = image.convertToFormat(QImage::Format_RGB888);
    unsigned char* out = nullptr;
    unsigned long outSize = 0;
    char message[JMSG_LENGTH_MAX];
    const bool ok = EncodeInto(rgb, quality, &out, &outSize, message);
    QByteArray bytes;
    if (ok) {
        bytes = QByteArray(reinterpret_cast<const char*>(out), static_cast<qsizetype>(outSize));
    }
    std::free(out);
    if (!ok) {
        throw EJpegError(message);
    }
    return bytes;
}

} // namespace quillo::accessories
