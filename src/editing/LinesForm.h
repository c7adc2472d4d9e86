#pragma once

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

namespace quillo::editing {

// "指定行へ移動": asks for a line number; digits only.  It opens centred over
// the main window and writes where it closed to the settings as
// "Num-Window-Left" and "Num-Window-Top".
class TLinesForm : public QDialog {
    Q_OBJECT
public:
    explicit TLinesForm(QWidget* owner);

    QLabel* Label1 = nullptr;
    QLineEdit* Edit1 = nullptr;
    QPushButton* Button1 = nullptr;
    QString numStr;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void done(int result) override;

private:
    void FormClose();
    void Edit1Change();
};

} // namespace quillo::editing
