#include "codepage/TextFileReader.h"

#include "codepage/CodeChoice.h"
#include "codepage/CodePageDetector.h"
#include "codepage/TextDecoder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cstring>
#include <exception>
#include <memory>
#include <system_error>
#include <thread>
#include <utility>

// Each chunk is cut near its middle at a point where decoding can restart
// (TextDecoder::cutPoint).  The calling thread decodes the first part straight
// into the output; a helper decodes the second part into a scratch buffer and
// then reads the next chunk, so reading overlaps decoding.  The second part is
// copied after the first once the first's length is known.  What a chunk leaves
// unfinished (a sequence cut by its end) is carried to the front of the next.

namespace quillo::codepage {
namespace {

// Room in front of a chunk's fresh bytes for the unfinished end of the chunk
// before; our own decoders carry at most three bytes.
constexpr std::size_t kCarryRoom = 64;

// The output is first sized for the whole file; past this it grows as needed
// (the view takes no more than 2^30 units anyway).
constexpr std::size_t kMaxFirstUnits = std::size_t{1} << 31;

QString nativePath(const QString& path) {
    return QDir::toNativeSeparators(path);
}

[[noreturn]] void failRead(const QString& path, const QString& reason) {
    throw ETextFileError(QStringLiteral("ファイル %1 を読み込めません。%2")
                             .arg(nativePath(path), reason)
                             .toStdString());
}

// Reads until `n` bytes or the end; returns how many came.
std::size_t readFully(QIODevice& device, const QString& path, char* to, std::size_t n) {
    std::size_t got = 0;
    while (got < n) {
        const qint64 r = device.read(to + got, static_cast<qint64>(n - got));
        if (r < 0) {
            failRead(path, device.errorString());
        }
        if (r == 0) {
            break;
        }
        got += static_cast<std::size_t>(r);
    }
    return got;
}

// The bytes after the mark: the rest of the first block, then the device.
class ByteSource {
public:
    ByteSource(QIODevice& device, const QString& path, QByteArray head, qsizetype start)
        : device_(device), path_(path), head_(std::move(head)), pos_(start) {}

    std::size_t read(char* to, std::size_t n) {
        std::size_t got = 0;
        if (pos_ < head_.size()) {
            got = std::min(n, static_cast<std::size_t>(head_.size() - pos_));
            std::memcpy(to, head_.constData() + pos_, got);
            pos_ += static_cast<qsizetype>(got);
        }
        return got + readFully(device_, path_, to + got, n - got);
    }

private:
    QIODevice& device_;
    const QString& path_;
    QByteArray head_;
    qsizetype pos_;
};

// A chunk buffer: fresh bytes at kCarryRoom, the carried bytes just before.
class ChunkBuffer {
public:
    explicit ChunkBuffer(std::size_t chunkBytes)
        : size_(kCarryRoom + chunkBytes), bytes_(std::make_unique_for_overwrite<char[]>(size_)) {}

    char* fresh() { return bytes_.get() + kCarryRoom; }

    // Puts `carry` in front of the fresh bytes; returns where the chunk starts.
    char* prepend(const char* carry, std::size_t n, std::size_t freshBytes) {
        if (n > kCarryRoom) { // never for our own decoders
            auto grown = std::make_unique_for_overwrite<char[]>(n + freshBytes + kCarryRoom);
            std::memcpy(grown.get() + n, fresh(), freshBytes);
            std::memcpy(grown.get(), carry, n);
            spill_ = std::move(grown);
            return spill_.get();
        }
        std::memcpy(fresh() - n, carry, n);
        return fresh() - n;
    }

private:
    std::size_t size_;
    std::unique_ptr<char[]> bytes_;
    std::unique_ptr<char[]> spill_;
};

// The output string, sized ahead so that the decoders write into it directly.
class Output {
public:
    explicit Output(std::size_t units) { text_.resize(static_cast<qsizetype>(units)); }

    // Where the next units go, with room for `units` of them.
    char16_t* room(std::size_t units) {
        const auto need = static_cast<qsizetype>(produced_ + units);
        if (need > text_.size()) {
            text_.resize(std::max(need, 2 * text_.size()));
        }
        return reinterpret_cast<char16_t*>(text_.data()) + produced_;
    }
    void add(std::size_t units) { produced_ += units; }

    QString take() {
        FitDecodedText(text_, produced_);
        return std::move(text_);
    }

private:
    QString text_;
    std::size_t produced_ = 0;
};

} // namespace

LoadedText ReadTextDevice(QIODevice& device, const QString& path, int requestedCode,
                          std::size_t chunkBytes) {
    chunkBytes = std::max<std::size_t>(chunkBytes, 1);
    QByteArray head(kDetectSampleBytes + 1, Qt::Uninitialized);
    head.resize(static_cast<qsizetype>(
        readFully(device, path, head.data(), static_cast<std::size_t>(head.size()))));
    const CodeChoice choice = ChooseCode(head, requestedCode);
    TextDecoder first(choice.code, true);
    TextDecoder second(choice.code, true);

    const qint64 rest = device.isSequential() ? 0 : std::max<qint64>(0, device.bytesAvailable());
    const auto expected = static_cast<std::size_t>(head.size() - choice.markBytes + rest);
    // Text with more units than bytes needs many line breaks; past this guess
    // the output grows (a large block is moved by remapping, not copying).
    const std::size_t guess = expected + expected / 8 + first.unitBound(chunkBytes + kCarryRoom);
    Output output(std::min({guess, first.unitBound(expected), kMaxFirstUnits}));
    ByteSource source(device, path, std::move(head), choice.markBytes);

    ChunkBuffer buffers[2] = {ChunkBuffer(chunkBytes), ChunkBuffer(chunkBytes)};
    std::unique_ptr<char16_t[]> scratch;
    std::size_t scratchUnits = 0;

    int current = 0;
    char* chunk = buffers[current].fresh();
    std::size_t fresh = source.read(chunk, chunkBytes);
    std::size_t length = fresh;
    while (fresh > 0) {
        // The helper reads the next chunk too, so it decodes a little less.
        const std::size_t cut = second.cutPoint(chunk, length, length - length * 9 / 20);
        if (cut > 0 && scratchUnits < second.unitBound(length - cut)) {
            scratchUnits = second.unitBound(std::max(length, chunkBytes));
            scratch = std::make_unique_for_overwrite<char16_t[]>(scratchUnits);
        }
        char16_t* out = output.room(first.unitBound(length));
        ChunkBuffer& next = buffers[1 - current];
        TextDecoder::Step front;
        TextDecoder::Step back;
        std::size_t nextFresh = 0;
        std::exception_ptr failure;
        auto helperWork = [&] {
            try {
                if (cut > 0) {
                    second.startAtCut();
                    back = second.decode(chunk + cut, length - cut, false, scratch.get());
                }
                nextFresh = source.read(next.fresh(), chunkBytes);
            } catch (...) {
                failure = std::current_exception();
            }
        };
        std::jthread helper;
        try {
            helper = std::jthread(helperWork);
        } catch (const std::system_error&) {
            // No thread to be had: the same work, one part after the other.
        }
        front =
            cut > 0 ? first.decode(chunk, cut, true, out) : first.decode(chunk, length, false, out);
        if (helper.joinable()) {
            helper.join();
        } else {
            helperWork();
        }
        if (failure) {
            std::rethrow_exception(failure);
        }
        std::size_t consumed = front.consumed;
        output.add(front.produced);
        if (cut > 0) {
            std::memcpy(out + front.produced, scratch.get(), back.produced * sizeof(char16_t));
            output.add(back.produced);
            consumed = cut + back.consumed;
            first.continueFrom(second);
        }
        const std::size_t carry = length - consumed;
        chunk = next.prepend(chunk + consumed, carry, nextFresh);
        length = carry + nextFresh;
        fresh = nextFresh;
        current = 1 - current;
    }
    if (length > 0) { // a sequence cut by the end of the file
        const TextDecoder::Step last =
            first.decode(chunk, length, true, output.room(first.unitBound(length)));
        output.add(last.produced);
    }

    LoadedText loaded;
    loaded.text = output.take();
    loaded.codePage = choice.code;
    loaded.badBytes = static_cast<qsizetype>(first.badBytes() + second.badBytes());
    return loaded;
}

LoadedText ReadTextFile(const QString& path, int requestedCode, std::size_t chunkBytes) {
    if (QFileInfo(path).isDir()) {
        throw ETextFileError(QStringLiteral("ファイル %1 を開けません。フォルダです。")
                                 .arg(nativePath(path))
                                 .toStdString());
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered)) {
        throw ETextFileError(QStringLiteral("ファイル %1 を開けません。%2")
                                 .arg(nativePath(path), file.errorString())
                                 .toStdString());
    }
    return ReadTextDevice(file, path, requestedCode, chunkBytes);
}

LoadedText ReadTextFile(const QString& path, int requestedCode) {
    return ReadTextFile(path, requestedCode, kReadChunkBytes);
}

} // namespace quillo::codepage
