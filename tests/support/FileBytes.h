#pragma once

// Whole-file reads and writes for tests that check the bytes a command leaves.

#include <gtest/gtest.h>

#include <QByteArray>
#include <QFile>
#include <QString>

namespace quillo::testing {

// The file's bytes, or "<unreadable>" when it cannot be opened.
inline QByteArray ReadBytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

inline void WriteBytes(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    ASSERT_EQ(f.write(bytes), bytes.size());
}

} // namespace quillo::testing
