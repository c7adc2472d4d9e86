// The re-read dialog: its list of codes comes from the table of document codes.

#include "app/CodeExchangeForm.h"

#include "app/AppStrings.h"
#include "codepage/DocumentCodes.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace quillo::app {

TCodeExchangeDlg::TCodeExchangeDlg(QWidget* owner) : QDialog(owner) {
    setWindowTitle(QStringLiteral("文字コードを指定して再読み込み"));
    QFont bold = font();
    bold.setBold(true);
    auto* layout = new QVBoxLayout(this);
    Label1 = new QLabel(QStringLiteral("文字コードを指定してください。"), this);
    Label1->setFont(bold);
    layout->addWidget(Label1);
    ComboBox1 = new QComboBox(this);
    ComboBox1->setFont(bold);
    ComboBox1->addItems(codepage::RereadList());
    ComboBox1->setCurrentIndex(0);
    layout->addWidget(ComboBox1);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText(strings::ButtonOk);
    buttons->button(QDialogButtonBox::Ok)->setDefault(true);
    buttons->button(QDialogButtonBox::Cancel)->setText(strings::ButtonCancel);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
}

} // namespace quillo::app
