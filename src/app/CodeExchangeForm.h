#pragma once

#include <QDialog>

class QComboBox;
class QLabel;

namespace quillo::app {

// "文字コードを指定して再読み込み": the code to read the file again in.
class TCodeExchangeDlg : public QDialog {
    Q_OBJECT
public:
    explicit TCodeExchangeDlg(QWidget* owner);

    QLabel* Label1 = nullptr;
    QComboBox* ComboBox1 = nullptr;
};

} // namespace quillo::app
