#include "document/SafeFiles.h"

#include "codepage/CodeChoice.h"
#include "codepage/CodePageDetector.h"
#include "codepage/TextFileReader.h"
#include "document/Document.h"
#include "document/DocumentFile.h"
#include "platform/ReadableFile.h"
#include "platform/SettingsStore.h"

#include <QDir>
#include <QFile>
#include <QIODevice>
#include <QLocale>

#include <algorithm>
#include <new>

namespace quillo::document {

namespace {

QString Native(const QString& path) {
    return QDir::toNativeSeparators(path);
}

QString Number(qint64 n) {
    return QLocale(QLocale::Japanese, QLocale::Japan).toString(n);
}

// The longest a single unit of text can be in a code's bytes.
qint64 BytesPerUnitAtMost(int code) {
    switch (code) {
    case codepage::kUnknownCode:
    case codepage::kShiftJis:
    case codepage::kUtf16Le:
    case codepage::kUtf16Be:
        return 2;
    case codepage::kEucJp: // three-byte JIS X 0212
    case codepage::kUtf8:  // three bytes for one unit, four for two
        return 3;
    default: // UTF-32 and any other code iconv reads
        return 4;
    }
}

[[noreturn]] void TooLarge(const QString& path, const QString& what) {
    throw EFileError(QStringLiteral("ファイル %1 は大きすぎるため開けません。%2")
                         .arg(Native(path), what)
                         .toStdString());
}

QString LimitText() {
    return QStringLiteral("編集できるのは %1 文字までです。").arg(Number(TDocument::kMaxUnits));
}

// The head already read, then the rest of the file; past `limit` bytes in all
// it fails instead of reading on.
class TBoundedSource : public QIODevice {
public:
    TBoundedSource(QByteArray head, QIODevice& rest, qint64 size, qint64 limit)
        : FHead(std::move(head)), FRest(rest), FSize(size), FLimit(limit) {
        open(QIODevice::ReadOnly | QIODevice::Unbuffered);
    }

    bool Exceeded() const { return FExceeded; }
    qint64 size() const override { return std::max<qint64>(FSize, FHead.size()); }

protected:
    qint64 readData(char* data, qint64 maxSize) override {
        if (FDelivered < FHead.size()) {
            const qint64 n = std::min(maxSize, qint64(FHead.size()) - FDelivered);
            std::copy_n(FHead.constData() + FDelivered, n, data);
            FDelivered += n;
            return n;
        }
        if (FDelivered >= FLimit) {
            char probe = 0;
            const qint64 more = FRest.read(&probe, 1);
            if (more > 0) {
                FExceeded = true;
                setErrorString(QStringLiteral("大きすぎます。"));
                return -1;
            }
            return more;
        }
        const qint64 n = FRest.read(data, std::min(maxSize, FLimit - FDelivered));
        if (n < 0) {
            setErrorString(FRest.errorString());
            return -1;
        }
        FDelivered += n;
        return n;
    }
    qint64 writeData(const char*, qint64) override { return -1; }

private:
    QByteArray FHead;
    QIODevice& FRest;
    qint64 FSize;
    qint64 FLimit;
    qint64 FDelivered = 0;
    bool FExceeded = false;
};

codepage::LoadedText ReadOpenFile(const QString& path, QFile& file, qint64 size,
                                  int requestedCode) {
    // The code decides the bound, and the first block decides the code.
    QByteArray head(codepage::kDetectSampleBytes + 1, Qt::Uninitialized);
    const qint64 got = file.read(head.data(), head.size());
    if (got < 0) {
        throw EFileError(QStringLiteral("ファイル %1 を読み込めません。%2")
                             .arg(Native(path), file.errorString())
                             .toStdString());
    }
    head.truncate(got);
    const codepage::CodeChoice choice = codepage::ChooseCode(head, requestedCode);
    const qint64 limit = MaxFileBytes(choice.code, choice.markBytes);
    if (size > limit) {
        TooLarge(path, QStringLiteral("(%1 バイト。%2)").arg(Number(size), LimitText()));
    }
    TBoundedSource source(std::move(head), file, size, limit);
    try {
        codepage::LoadedText loaded = codepage::ReadTextDevice(source, path, requestedCode);
        if (loaded.text.size() > TDocument::kMaxUnits) {
            TooLarge(path,
                     QStringLiteral("(%1 文字。%2)").arg(Number(loaded.text.size()), LimitText()));
        }
        return loaded;
    } catch (const codepage::ETextFileError& e) {
        if (source.Exceeded()) {
            TooLarge(path,
                     QStringLiteral("(%1 バイトを越えました。%2)").arg(Number(limit), LimitText()));
        }
        throw EFileError(e.what());
    }
}

} // namespace

qint64 MaxFileBytes(int code, qsizetype markBytes) {
    return BytesPerUnitAtMost(code) * TDocument::kMaxUnits + markBytes;
}

codepage::LoadedText ReadDocumentFile(const QString& path, int requestedCode) {
    QFile file;
    qint64 size = 0;
    try {
        size = platform::OpenRegularFile(path, file);
    } catch (const platform::EUnreadableFile& e) {
        throw EFileError(QStringLiteral("ファイル %1 を開けません。%2")
                             .arg(Native(path), e.Reason())
                             .toStdString());
    }
    // Nothing is read of a file that no code could fit.
    if (size > MaxFileBytes(-1, 4)) {
        TooLarge(path, QStringLiteral("(%1 バイト。%2)").arg(Number(size), LimitText()));
    }
    try {
        return ReadOpenFile(path, file, size, requestedCode);
    } catch (const std::bad_alloc&) {
        TooLarge(path, QStringLiteral("読み込むためのメモリが足りません。"));
    }
}

void WriteDocumentBytes(const QString& path, const platform::TByteProducer& produce,
                        bool writeReadOnly) {
    platform::TWriteOptions options;
    options.SafetyFolder = platform::AppDataFolder();
    options.WriteReadOnly = writeReadOnly;
    try {
        platform::WriteFileSafely(path, produce, options);
    } catch (const platform::EWriteError& e) {
        const QString format = e.Stage() == platform::EWriteError::TStage::Create
                                   ? QStringLiteral("ファイル %1 を作成できません。%2")
                                   : QStringLiteral("ファイル %1 に書き込めません。%2");
        throw EFileError(format.arg(Native(path), e.Reason()).toStdString());
    }
}

bool IsReadOnlyFile(const QString& path) {
    const platform::TWriteTarget target = platform::InspectWriteTarget(path);
    return target.Exists && target.ReadOnly;
}

} // namespace quillo::document
