#pragma once

#include <QDialog>

class QCheckBox;
class QRadioButton;

namespace quillo::app {

// "quillo 環境設定": the byte-order-mark preference and the icon size choice.
class TPreferenceDialog : public QDialog {
    Q_OBJECT
public:
    explicit TPreferenceDialog(QWidget* owner);

    QCheckBox* CheckBox1 = nullptr;
    QRadioButton* RadioButton1 = nullptr;
    QRadioButton* RadioButton2 = nullptr;
};

} // namespace quillo::app
