#pragma once

// The about box: the program's picture, name, version and build.  Shown
// modally from the Help menu (a click on it closes it) and, without waiting,
// as the start-up splash that asks its owner to close it after 3 seconds.

#include <QDialog>

#include <functional>

class QFrame;
class QLabel;
class QTimer;

namespace quillo::accessories {

class TAboutBox : public QDialog {
    Q_OBJECT

public:
    // Reads the program's version; raises EVersionError for a malformed one.
    explicit TAboutBox(QWidget* owner);
    ~TAboutBox() override;

    // Shows the box as the splash: after 3 seconds windowMessage is queued
    // to receiver (the main window then closes and frees the box).
    void StartSplash(QObject* receiver, std::function<void()> windowMessage);

    QFrame* Panel1 = nullptr;
    QLabel* ProgramIcon = nullptr;
    QLabel* ProductName = nullptr;
    QLabel* Version = nullptr;
    QLabel* copy = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* BuildNo1 = nullptr;
    QTimer* Timer1 = nullptr;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void FormCreate();
    void FormClick();
    void Timer1Timer();

    QObject* FSplashReceiver = nullptr;
    std::function<void()> FWindowMessage;
};

// The splash shows unless an argument, without surrounding double quotes, is "-q".
bool SplashWanted(const QStringList& args);

} // namespace quillo::accessories
