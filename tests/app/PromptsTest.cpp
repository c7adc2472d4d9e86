// The real prompts, run modally on the offscreen platform and answered by a
// timer as a user would answer them.

#include "app/Prompts.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <functional>

namespace {

using quillo::app::TDialogPrompts;
using quillo::app::TFileDialogRequest;

// Runs `answer` on the file dialog once it is shown.
void AnswerFileDialog(std::function<void(QFileDialog&)> answer) {
    QTimer::singleShot(0, [answer] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        if (dialog == nullptr) {
            AnswerFileDialog(answer); // not shown yet
            return;
        }
        answer(*dialog);
    });
}

// Types a name into the dialog's name field and presses Enter there; a
// message refusing the name is closed and fails the test.
void TypeName(QFileDialog& dialog, const QString& name) {
    auto* edit = dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    ASSERT_NE(edit, nullptr);
    edit->setText(name);
    bool refused = false;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            refused = true;
            box->reject();
        }
    });
    watch.start(10);
    QTest::keyClick(edit, Qt::Key_Return);
    watch.stop();
    EXPECT_FALSE(refused) << "the dialog refused " << name.toStdString();
    if (dialog.isVisible()) {
        dialog.reject();
    }
}

TEST(OpenFileDialog, TakesATypedNameThatDoesNotExist) {
    QTemporaryDir dir;
    const QString missing = dir.filePath(QStringLiteral("not-there.txt"));
    TDialogPrompts prompts;
    TFileDialogRequest request;
    request.Title = QStringLiteral("開く");
    request.Filters = {QStringLiteral("すべてのファイル - 自動判別 (*.*)"),
                       QStringLiteral("すべてのファイル - UTF-8(*.*)")};
    request.FilterIndex = 2;
    request.FileName = dir.path() + QLatin1Char('/');
    AnswerFileDialog([&](QFileDialog& d) { TypeName(d, missing); });
    const auto answer = prompts.OpenFileDialog(nullptr, request);
    EXPECT_TRUE(answer.Accepted);
    EXPECT_EQ(answer.FileName, missing);
    EXPECT_EQ(answer.FilterIndex, 2);
}

TEST(OpenFileDialog, TakesAnExistingFile) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("here.txt"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    TDialogPrompts prompts;
    TFileDialogRequest request;
    request.Filters = {QStringLiteral("すべてのファイル - 自動判別 (*.*)")};
    AnswerFileDialog([&](QFileDialog& d) { TypeName(d, path); });
    const auto answer = prompts.OpenFileDialog(nullptr, request);
    EXPECT_TRUE(answer.Accepted);
    EXPECT_EQ(answer.FileName, path);
}

} // namespace
