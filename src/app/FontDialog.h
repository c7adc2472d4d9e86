#pragma once

#include <QDialog>
#include <QFont>

class QComboBox;
class QFontDialog;

namespace quillo::app {

// The font dialog: face, style, size, effects and a colour, as the program
// stores them.  It keeps the last accepted choice for its next showing.
class TFontDialog : public QDialog {
    Q_OBJECT
public:
    explicit TFontDialog(QWidget* owner);

    QFont Font() const;
    void SetFont(const QFont& font);
    quint32 Color() const; // $00BBGGRR
    void SetColor(quint32 value);

    QFontDialog* FontPicker() const { return FFontPicker; }
    QComboBox* ColorBox() const { return FColorBox; }

private:
    QFontDialog* FFontPicker = nullptr;
    QComboBox* FColorBox = nullptr;
};

} // namespace quillo::app
