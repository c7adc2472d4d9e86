#pragma once

// The find and replace dialog components.  Each owns one dialog window,
// created by the first Execute, and turns every button press of it into an
// OnFind or OnReplace signal carrying the window's options at that moment.

#include "search/LfFindDlg.h"
#include "search/LfFindOptions.h"

#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QString>

class QWidget;

namespace quillo::search {

class TLfFindDialog : public QObject {
    Q_OBJECT

public:
    explicit TLfFindDialog(QObject* AOwner = nullptr);
    // Tells the owner the dialog is gone (NotifyMessage(1, kind)) and frees the window.
    ~TLfFindDialog() override;

    // Shows the window, creating it (and loading its history) the first time.
    bool Execute(QWidget* ParentWnd);
    // Hides the window.
    void CloseDialog();
    // Takes the window's options, resets its start point, and raises the
    // signal of the command.  False when there is no window.
    bool MessageHook(TLfFindCommand command);

    TLfRootKey RootKey() const { return FRootKey; }
    void SetRootKey(TLfRootKey value) { FRootKey = value; }
    QString RegKey() const { return FRegKey; }
    void SetRegKey(const QString& value) { FRegKey = value; }
    TLfFindOptions Options() const { return FOptions; }
    void SetOptions(TLfFindOptions value) { FOptions = value; }
    // The window's search string while it is shown; the last one read otherwise.
    QString FindText();
    // Lost when there is no window.
    void SetFindText(const QString& value);

    // The window's top-left corner (the window must exist).
    QPoint Position() const;
    void SetPosition(const QPoint& value);
    int Left() const { return Position().x(); }
    void SetLeft(int value) { FPosition.setX(value); }
    int Top() const { return Position().y(); }
    void SetTop(int value) { FPosition.setY(value); }

    bool IsFindDialog() const { return FsetFind; }
    // 1 for a find dialog, 2 for a replace dialog, as in NotifyMessage.
    int Kind() const { return FsetFind ? 1 : 2; }
    TLfFindDlg* DlgForm() const { return FDlgForm; }

signals:
    void OnFind(quillo::search::TLfFindDialog* Sender);
    void OnReplace(quillo::search::TLfFindDialog* Sender);
    // WParam 0: the dialog was shown (queued); 1: it is gone.  LParam: Kind().
    void NotifyMessage(int WParam, int LParam);

protected:
    TLfFindDialog(QObject* AOwner, bool setFind);
    virtual void DoFind();
    virtual void DoReplace();
    virtual void DoReplaceAll();

    QPointer<TLfFindDlg> FDlgForm;
    TLfFindOptions FOptions = FindOptionBit(frmDown);
    QPoint FPosition{-1, -1};
    bool FsetFind = true;
    QString FFindText;
    QString FReplaceText;
    QString FRegKey;
    TLfRootKey FRootKey = regHKEY_CURRENT_USER;
};

class TLfReplaceDialog : public TLfFindDialog {
    Q_OBJECT

public:
    explicit TLfReplaceDialog(QObject* AOwner = nullptr);

    // The window's replacement while it is shown; the last one read otherwise.
    QString ReplaceText();
    void SetReplaceText(const QString& value);
};

} // namespace quillo::search
