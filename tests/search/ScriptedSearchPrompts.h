#pragma once

// Search prompts that record every message and answer OK.

#include "search/SearchPrompts.h"

#include <vector>

namespace quillo::testing {

class ScriptedSearchPrompts : public search::TSearchPrompts {
public:
    struct TAsked {
        QString Text;
        search::TSearchMsgType Type;
        QMessageBox::StandardButtons Buttons;
    };
    std::vector<TAsked> Asked;

    QMessageBox::StandardButton MessageDlg(const QString& text, search::TSearchMsgType type,
                                           QMessageBox::StandardButtons buttons) override {
        Asked.push_back({text, type, buttons});
        return QMessageBox::Ok;
    }

    // The texts asked since the last call.
    std::vector<QString> Take() {
        std::vector<QString> texts;
        for (const auto& a : Asked) {
            texts.push_back(a.Text);
        }
        Asked.clear();
        return texts;
    }
};

} // namespace quillo::testing
