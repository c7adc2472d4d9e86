#pragma once

// The recent-file list: kept most recent first, stored in the settings store
// as "File0", "File1", ... and shown as numbered entries of a submenu that is
// found in the menu bar by its captions.

#include <QMenu>
#include <QMenuBar>
#include <QObject>
#include <QPointer>
#include <QStringList>

#include <functional>
#include <memory>
#include <stdexcept>
#include <vector>

class QAction;
class QSettings;

namespace quillo::accessories {

class ELfFileHistoryError : public std::runtime_error {
public:
    explicit ELfFileHistoryError(const QString& message);
    QString Message() const { return FMessage; }

private:
    QString FMessage;
};

enum class TLfRootKey {
    regHKEY_CLASSES_ROOT,
    regHKEY_CURRENT_USER,
    regHKEY_LOCAL_MACHINE,
    regHKEY_USERS,
    regHKEY_PERFORMANCE_DATA,
    regHKEY_CURRENT_CONFIG,
    regHKEY_DYN_DATA,
};

// The entry as the menu shows it: the folder part is cut short with ".../"
// so that the whole stays within historyLen characters.  A file name too long
// for historyLen raises historyLen to the name's length + 4.
QString HistoryDisplayForm(const QString& entry, int& historyLen);

class TLfFileHistory : public QObject {
    Q_OBJECT

public:
    using SettingsFactory = std::function<std::unique_ptr<QSettings>()>;

    explicit TLfFileHistory(QObject* owner = nullptr);
    ~TLfFileHistory() override;

    void AddHistory(const QString& HistoryStr);
    void ClearHistory();
    void ReadReg();
    void WriteReg();
    void ShowMenuHistory();
    QString ReadHistoryByItem(const QAction* MenuItem) const;

    TLfRootKey RootKey() const { return FRootKey; }
    void SetRootKey(TLfRootKey value) { FRootKey = value; }
    QString OpenKey() const { return FOpenKey; }
    void SetOpenKey(const QString& value) { FOpenKey = value; }
    int MaxFileHistory() const { return FMaxFileHistory; }
    void SetMaxFileHistory(int value);
    int HistoryLen() const { return FHistoryLen; }
    void SetHistoryLen(int value);
    bool Duplication() const { return FDuplication; }
    void SetDuplication(bool value) { FDuplication = value; }
    // The window that holds the menu bar; the bar must belong to it.
    QWidget* UseActionManager() const { return FActionManager; }
    void SetUseActionManager(QWidget* value) { FActionManager = value; }
    QMenuBar* UseActionMainMenuBar() const { return FActionMainMenuBar; }
    void SetUseActionMainMenuBar(QMenuBar* value) { FActionMainMenuBar = value; }
    QString TargetMenuCaption() const { return FTargetMenuCaption; }
    void SetTargetMenuCaption(const QString& value) { FTargetMenuCaption = value; }
    QString TargetSubMenuCaption() const { return FTargetSubMenuCaption; }
    void SetTargetSubMenuCaption(const QString& value) { FTargetSubMenuCaption = value; }

    bool IsHistory() const { return !FHistory.isEmpty(); }
    // The entry chosen last; empty once that entry has left the list.
    QString FileName() const { return ReadHistoryByItem(FMenuItem); }
    const QStringList& History() const { return FHistory; }
    int ShowHistoryCount() const { return FShowHistoryCount; }

    // Where ReadReg and WriteReg open the store; the program's own by default.
    void SetSettingsFactory(SettingsFactory factory) { FSettingsFactory = std::move(factory); }

signals:
    // An entry of the submenu was chosen; FileName() names its file.
    void OnItemClick(QAction* sender);

private:
    QMenu* FindTargetSubMenu() const;
    QString SettingsGroup() const;
    void ItemClick(QAction* action);

    QStringList FHistory;
    int FMaxFileHistory = 5;
    TLfRootKey FRootKey = TLfRootKey::regHKEY_CURRENT_USER;
    QString FOpenKey;
    QPointer<QAction> FMenuItem;
    int FShowHistoryCount = 0;
    int FHistoryLen = 40;
    bool FDuplication = false;
    QPointer<QWidget> FActionManager;
    QPointer<QMenuBar> FActionMainMenuBar;
    QString FTargetMenuCaption;
    QString FTargetSubMenuCaption;

    SettingsFactory FSettingsFactory;
    std::vector<QPointer<QAction>> FMenuActions; // made by the last rebuild
};

} // namespace quillo::accessories
