#pragma once

// The window of the find and replace dialogs: one layout for both, the
// replace-only controls hidden in find mode.  It keeps the search history of
// its FindStr list in the settings store and tells its component about button
// presses; the component takes the options from it.

#include "search/LfFindOptions.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QRadioButton;

namespace quillo::search {

class TLfFindDlg : public QDialog {
    Q_OBJECT

public:
    explicit TLfFindDlg(QWidget* owner);
    // Writes the FindStr history when FRegKey is set.
    ~TLfFindDlg() override;

    // Reads the FindStr history from FRegKey (created with a count of 0 when missing).
    void LoadHistory();
    void SaveHistory() const;

    QString FRegKey;
    TLfRootKey FRootKey = regHKEY_CURRENT_USER;
    bool FsetFind = false;

    QLabel* Label1 = nullptr;
    QComboBox* FindStr = nullptr;
    QLabel* Label2 = nullptr;
    QComboBox* ReplaceStr = nullptr;
    QRadioButton* FindCursor = nullptr;
    QRadioButton* FindTop = nullptr;
    QCheckBox* UseMatchCase = nullptr;
    QPushButton* FindNextBtn = nullptr;
    QPushButton* ReplaceNextBtn = nullptr;
    QPushButton* ReplaceAllBtn = nullptr;
    QPushButton* CancelBtn = nullptr;
    QCheckBox* UseMultiLine = nullptr;
    QCheckBox* UseRegex = nullptr;

signals:
    // The window was shown.
    void Opened();
    // A button asks for a search or a replacement.
    void Command(quillo::search::TLfFindCommand command);

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FindStrChange();
    void UseRegexClick();
    void FindNextBtnClick();
    void ReplaceNextBtnClick();
    void ReplaceAllBtnClick();
    void FindStrSelect(int index);
    void ReplaceStrSelect(int index);
    // Moves the combo box's text to the top of its list, most recent first.
    static void PromoteText(QComboBox* combo, bool itemChosen);

    // Whether the combo box's text is a list item the user chose (not typed).
    bool FFindChosen = false;
    bool FReplaceChosen = false;
};

} // namespace quillo::search
