// Shared main of the tests that need Qt: an application on the offscreen
// platform, with every settings and data folder in a fresh temporary folder,
// so that no test ever sees or changes the real user's files.

#include "platform/FontSubstitutes.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>

#include <cstdlib>
#include <string>

int main(int argc, char** argv) {
    std::string base = "/tmp/quillo-test-XXXXXX";
    if (mkdtemp(base.data()) == nullptr) {
        return 2;
    }
    const QString root = QString::fromStdString(base);
    for (const char* sub : {"config", "data", "cache", "runtime"}) {
        QDir().mkpath(root + QLatin1Char('/') + QLatin1String(sub));
    }
    qputenv("XDG_CONFIG_HOME", (root + QStringLiteral("/config")).toLocal8Bit());
    qputenv("XDG_DATA_HOME", (root + QStringLiteral("/data")).toLocal8Bit());
    qputenv("XDG_RUNTIME_DIR", (root + QStringLiteral("/runtime")).toLocal8Bit());
    QFile::setPermissions(root + QStringLiteral("/runtime"),
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }

    int rc = 0;
    {
        QApplication app(argc, argv);
        QApplication::setApplicationName(QStringLiteral("quillo"));
        quillo::platform::InstallFontSubstitutes();
        ::testing::InitGoogleTest(&argc, argv);
        rc = RUN_ALL_TESTS();
    }
    QDir(root).removeRecursively();
    return rc;
}
