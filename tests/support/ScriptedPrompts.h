#pragma once

// Prompts that answer from a script instead of showing anything.  Every
// question asked is recorded; a question the script has no answer for fails
// the test and is answered Cancel.

#include "app/Prompts.h"

#include <gtest/gtest.h>

#include <QDialog>

#include <deque>
#include <functional>

namespace quillo::testing {

class ScriptedPrompts : public app::Prompts {
public:
    struct TAsked {
        QString Text;
        app::TMsgDlgType Type;
        QMessageBox::StandardButtons Buttons;
    };

    std::deque<QMessageBox::StandardButton> Answers;
    std::deque<std::function<int(QDialog&)>> DialogScripts;
    std::deque<app::TFileDialogAnswer> FileAnswers;
    std::vector<TAsked> Asked;
    std::vector<app::TFileDialogRequest> FileRequests;
    std::vector<QString> Errors;

    QMessageBox::StandardButton MessageDlg(QWidget*, const QString& text, app::TMsgDlgType type,
                                           QMessageBox::StandardButtons buttons) override {
        Asked.push_back({text, type, buttons});
        if (buttons == QMessageBox::Ok && Answers.empty()) {
            return QMessageBox::Ok; // an information box needs no script
        }
        if (Answers.empty()) {
            ADD_FAILURE() << "unscripted question: " << text.toStdString();
            return QMessageBox::Cancel;
        }
        const auto a = Answers.front();
        Answers.pop_front();
        return a;
    }

    int ExecDialog(QDialog& dialog) override {
        if (DialogScripts.empty()) {
            ADD_FAILURE() << "unscripted dialog: " << dialog.windowTitle().toStdString();
            return QDialog::Rejected;
        }
        auto script = std::move(DialogScripts.front());
        DialogScripts.pop_front();
        const int result = script(dialog);
        dialog.done(result); // closes it as the user's button would
        return result;
    }

    app::TFileDialogAnswer OpenFileDialog(QWidget*, const app::TFileDialogRequest& r) override {
        return NextFile(r);
    }
    app::TFileDialogAnswer SaveFileDialog(QWidget*, const app::TFileDialogRequest& r) override {
        return NextFile(r);
    }

    void ShowException(QWidget*, const QString& message) override { Errors.push_back(message); }

    // No test scripts the print dialogs: reaching one is a failure.
    bool ExecutePrintDialog(QWidget*, printing::THxPrintDialog&) override { return NoPrint(); }
    bool ExecutePrinterSetupDialog(QWidget*, printing::THxPrinterSetupDialog&) override {
        return NoPrint();
    }
    bool ExecutePageSetupDialog(QWidget*, printing::TPageSetupDialog&) override {
        return NoPrint();
    }

private:
    static bool NoPrint() {
        ADD_FAILURE() << "unscripted print dialog";
        return false;
    }
    app::TFileDialogAnswer NextFile(const app::TFileDialogRequest& r) {
        FileRequests.push_back(r);
        if (FileAnswers.empty()) {
            ADD_FAILURE() << "unscripted file dialog: " << r.Title.toStdString();
            return {};
        }
        auto a = FileAnswers.front();
        FileAnswers.pop_front();
        return a;
    }
};

} // namespace quillo::testing
