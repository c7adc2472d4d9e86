// The font dialog over Qt's font picker, with the colour row the program stores.

#include "app/FontDialog.h"

#include "app/AppStrings.h"
#include "app/ColorValue.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFontDialog>
#include <QFormLayout>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QVBoxLayout>

#include <array>

namespace quillo::app {
namespace {

struct TNamedColor {
    quint32 Value;
    const char* Name;
};

// The sixteen colours of the classic font dialog.
constexpr std::array<TNamedColor, 16> kColors{{
    {0x000000, "黒"},
    {0x000080, "マルーン"},
    {0x008000, "緑"},
    {0x008080, "オリーブ"},
    {0x800000, "紺"},
    {0x800080, "紫"},
    {0x808000, "青緑"},
    {0x808080, "灰色"},
    {0xC0C0C0, "銀色"},
    {0x0000FF, "赤"},
    {0x00FF00, "ライム"},
    {0x00FFFF, "黄"},
    {0xFF0000, "青"},
    {0xFF00FF, "赤紫"},
    {0xFFFF00, "水色"},
    {0xFFFFFF, "白"},
}};

QIcon Swatch(quint32 value) {
    QPixmap pm(16, 12);
    pm.fill(ColorFromValue(value));
    QPainter p(&pm);
    p.setPen(Qt::black);
    p.drawRect(0, 0, 15, 11);
    return QIcon(pm);
}

} // namespace

TFontDialog::TFontDialog(QWidget* owner) : QDialog(owner) {
    setWindowTitle(strings::FontDialogCaption);
    auto* layout = new QVBoxLayout(this);
    FFontPicker = new QFontDialog(this);
    FFontPicker->setOptions(QFontDialog::NoButtons | QFontDialog::DontUseNativeDialog);
    FFontPicker->setWindowFlags(Qt::Widget);
    layout->addWidget(FFontPicker);
    // The picker is a dialog of its own: Enter or Escape in it would end it
    // and only hide it inside this one.  They end this dialog instead.
    connect(FFontPicker, &QDialog::finished, this, [this](int result) {
        FFontPicker->setVisible(true);
        done(result);
    });

    FColorBox = new QComboBox(this);
    for (const TNamedColor& c : kColors) {
        FColorBox->addItem(Swatch(c.Value), QString::fromUtf8(c.Name), c.Value);
    }
    auto* form = new QFormLayout;
    form->addRow(strings::FontDialogColor, FColorBox);
    layout->addLayout(form);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText(strings::ButtonOk);
    buttons->button(QDialogButtonBox::Cancel)->setText(strings::ButtonCancel);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
}

QFont TFontDialog::Font() const {
    return FFontPicker->currentFont();
}

void TFontDialog::SetFont(const QFont& font) {
    FFontPicker->setCurrentFont(font);
}

quint32 TFontDialog::Color() const {
    return FColorBox->currentData().toUInt();
}

void TFontDialog::SetColor(quint32 value) {
    int index = FColorBox->findData(value);
    if (index < 0) {
        // a colour the list does not hold (a system colour, say) is added
        FColorBox->addItem(Swatch(value), QStringLiteral("#%1").arg(value, 6, 16, QLatin1Char('0')),
                           value);
        index = FColorBox->count() - 1;
    }
    FColorBox->setCurrentIndex(index);
}

} // namespace quillo::app
