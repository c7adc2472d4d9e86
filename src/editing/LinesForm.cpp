#include "editing/LinesForm.h"

#include "platform/ScreenFit.h"
#include "platform/SettingsStore.h"

#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <algorithm>
#include <climits>

namespace quillo::editing {

TLinesForm::TLinesForm(QWidget* owner) : QDialog(owner) {
    setWindowTitle(QStringLiteral("指定行へ移動"));
    QFont f(QStringLiteral("Tahoma"));
    f.setPointSize(8);
    setFont(f);
    setFixedSize(154, 57);
    Label1 = new QLabel(QStringLiteral("行番号"), this);
    Label1->move(16, 8);
    Edit1 = new QLineEdit(this);
    Edit1->setGeometry(16, 24, 65, 21);
    // Line numbers are typed directly: no input method.
    Edit1->setAttribute(Qt::WA_InputMethodEnabled, false);
    Edit1->installEventFilter(this);
    Button1 = new QPushButton(QStringLiteral("OK"), this);
    Button1->setGeometry(87, 22, 51, 25);
    Button1->setDefault(true);
    setTabOrder(Edit1, Button1);
    connect(Button1, &QPushButton::clicked, this, &QDialog::accept);
    connect(Edit1, &QLineEdit::textChanged, this, &TLinesForm::Edit1Change);
    FormCreate();
}

void TLinesForm::FormCreate() {
    if (!platform::SettingsKeyExists()) {
        return;
    }
    const auto s = platform::OpenSettings();
    const auto left = platform::ReadInteger(*s, QStringLiteral("Num-Window-Left"));
    const auto top = platform::ReadInteger(*s, QStringLiteral("Num-Window-Top"));
    if (left && top) {
        // A stored place off every screen would hide the dialog.
        const QPoint stored(static_cast<int>(std::clamp<qint64>(*left, INT_MIN, INT_MAX)),
                            static_cast<int>(std::clamp<qint64>(*top, INT_MIN, INT_MAX)));
        move(
            platform::FitOnScreen(stored, size(), platform::AvailableScreenArea(stored)).topLeft());
    }
}

bool TLinesForm::eventFilter(QObject* watched, QEvent* event) {
    if (watched == Edit1) {
        if (event->type() == QEvent::KeyPress) {
            const auto* key = static_cast<QKeyEvent*>(event);
            const QString t = key->text();
            if (!t.isEmpty() && t[0].isPrint() && !(t[0] >= u'0' && t[0] <= u'9')) {
                return true; // only digits are typed
            }
        } else if (event->type() == QEvent::KeyRelease) {
            numStr = Edit1->text();
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TLinesForm::Edit1Change() {
    bool ok = false;
    Edit1->text().toInt(&ok);
    if (!ok) {
        const QSignalBlocker block(Edit1);
        Edit1->setText(numStr);
    }
}

void TLinesForm::done(int result) {
    FormClose();
    QDialog::done(result);
}

void TLinesForm::FormClose() {
    const auto s = platform::OpenSettings();
    s->setValue(QStringLiteral("Num-Window-Left"), pos().x());
    s->setValue(QStringLiteral("Num-Window-Top"), pos().y());
}

} // namespace quillo::editing
