// The preferences dialog's layout.

#include "app/PreferenceDialog.h"

#include "app/AppStrings.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace quillo::app {

TPreferenceDialog::TPreferenceDialog(QWidget* owner) : QDialog(owner) {
    setWindowTitle(strings::PreferenceCaption);
    auto* layout = new QVBoxLayout(this);

    auto* saveGroup = new QGroupBox(strings::PreferenceSaveGroup, this);
    auto* saveLayout = new QVBoxLayout(saveGroup);
    CheckBox1 = new QCheckBox(strings::PreferenceUseBom, saveGroup);
    saveLayout->addWidget(CheckBox1);
    layout->addWidget(saveGroup);

    auto* viewGroup = new QGroupBox(strings::PreferenceViewGroup, this);
    auto* viewLayout = new QVBoxLayout(viewGroup);
    RadioButton1 = new QRadioButton(strings::PreferenceSmallIcons, viewGroup);
    RadioButton2 = new QRadioButton(strings::PreferenceLargeIcons, viewGroup);
    RadioButton1->setChecked(true);
    viewLayout->addWidget(RadioButton1);
    viewLayout->addWidget(RadioButton2);
    layout->addWidget(viewGroup);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText(strings::ButtonOk);
    buttons->button(QDialogButtonBox::Cancel)->setText(strings::ButtonCancel);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
}

} // namespace quillo::app
