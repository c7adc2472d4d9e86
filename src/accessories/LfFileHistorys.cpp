// The recent-file list: its order, its stored values and its submenu.

#include "accessories/LfFileHistorys.h"

#include "platform/SettingsStore.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QSettings>
#include <QWidget>

#include <algorithm>

namespace quillo::accessories {

namespace {

// Path separator of the platform's file names.
#ifdef Q_OS_WIN
constexpr QChar kSeparator = QLatin1Char('\\');
#else
constexpr QChar kSeparator = QLatin1Char('/');
#endif

// Blanks and control characters, as the stored values are trimmed of them.
bool IsBlank(QChar c) {
    return c.unicode() <= 0x20;
}

bool IsBlankText(const QString& s) {
    return std::all_of(s.begin(), s.end(), IsBlank);
}

} // namespace

ELfFileHistoryError::ELfFileHistoryError(const QString& message)
    : std::runtime_error(message.toStdString()), FMessage(message) {}

QString HistoryDisplayForm(const QString& entry, int& historyLen) {
    const int cut = entry.lastIndexOf(kSeparator) + 1;
    const QString path = entry.left(cut);
    const QString name = entry.mid(cut);
    const int b = static_cast<int>(name.size());
    if (b + 4 > historyLen) {
        historyLen = b + 4;
    }
    if (entry.size() <= historyLen) {
        return entry;
    }
    QString s = path.left(historyLen - 4 - b);
    if (!s.isEmpty()) {
        s.chop(1);
    }
    return s + QStringLiteral("...") + kSeparator + name;
}

TLfFileHistory::TLfFileHistory(QObject* owner)
    : QObject(owner), FSettingsFactory(&platform::OpenSettings) {}

TLfFileHistory::~TLfFileHistory() = default;

void TLfFileHistory::SetMaxFileHistory(int value) {
    FMaxFileHistory = std::min(value, 15);
}

void TLfFileHistory::SetHistoryLen(int value) {
    FHistoryLen = std::min(value, 100);
}

void TLfFileHistory::AddHistory(const QString& HistoryStr) {
    if (FDuplication) {
        if (!FHistory.isEmpty() && FHistory.first() == HistoryStr) {
            return;
        }
        FHistory.prepend(HistoryStr);
    } else {
        const auto found =
            std::find_if(FHistory.begin(), FHistory.end(), [&](const QString& stored) {
                return stored.compare(HistoryStr, Qt::CaseInsensitive) == 0;
            });
        if (found == FHistory.end()) {
            FHistory.prepend(HistoryStr);
        } else {
            FHistory.move(found - FHistory.begin(), 0);
        }
    }
    // A negative limit would index before the list.
    const int limit = std::max(FMaxFileHistory, 0);
    if (FHistory.size() > limit) {
        FHistory.removeAt(limit);
    }
    ShowMenuHistory();
}

void TLfFileHistory::ClearHistory() {
    FHistory.clear();
}

QString TLfFileHistory::SettingsGroup() const {
    // The store itself stands for Software\Orvane\quillo; what follows is the group.
    static const QString kStoreKey = QStringLiteral("Software\\Orvane\\quillo");
    QString key = FOpenKey;
    if (key.startsWith(kStoreKey, Qt::CaseInsensitive)) {
        key = key.mid(kStoreKey.size());
    }
    key.replace(QLatin1Char('\\'), QLatin1Char('/'));
    while (key.startsWith(QLatin1Char('/'))) {
        key.remove(0, 1);
    }
    return key;
}

void TLfFileHistory::ReadReg() {
    if (FOpenKey.isEmpty()) {
        throw ELfFileHistoryError(QStringLiteral("OpenKeyが未設定です"));
    }
    const auto settings = FSettingsFactory();
    // An absent group reads as no values at all.
    settings->beginGroup(SettingsGroup());
    for (int i = 0; i < FMaxFileHistory; ++i) {
        const QVariant value = settings->value(QStringLiteral("File%1").arg(i));
        // Only string values are entries; anything else is skipped.
        if (!value.isValid() || value.typeId() != QMetaType::QString) {
            continue;
        }
        const QString entry = value.toString();
        if (!IsBlankText(entry)) {
            FHistory.append(entry);
        }
    }
    settings->endGroup();
}

void TLfFileHistory::WriteReg() {
    if (FOpenKey.isEmpty()) {
        throw ELfFileHistoryError(QStringLiteral("OpenKeyが未設定です"));
    }
    try {
        const auto settings = FSettingsFactory();
        settings->beginGroup(SettingsGroup());
        for (int i = 0; i < FMaxFileHistory; ++i) {
            settings->setValue(QStringLiteral("File%1").arg(i),
                               i < FHistory.size() ? FHistory.at(i) : QString());
        }
        // Clears names left from a longer list.
        for (int i = std::max(FMaxFileHistory, 0); i <= 9; ++i) {
            settings->setValue(QStringLiteral("File%1").arg(i), QString());
        }
        settings->endGroup();
        settings->sync();
    } catch (...) {
        // A store that cannot be written loses this run's list, nothing more.
    }
}

QMenu* TLfFileHistory::FindTargetSubMenu() const {
    if (FActionManager.isNull()) {
        throw ELfFileHistoryError(QStringLiteral("TargetItemが未設定です"));
    }
    if (FActionMainMenuBar.isNull()) {
        throw ELfFileHistoryError(QStringLiteral("StartItemが未設定です"));
    }
    const auto error = [] {
        return ELfFileHistoryError(QStringLiteral("Error"));
    };
    QMenuBar* bar = FActionMainMenuBar;
    QWidget* manager = FActionManager;
    if (bar != manager && !manager->isAncestorOf(bar)) {
        throw error();
    }
    QMenu* menu = nullptr;
    for (QAction* item : bar->actions()) {
        if (item->menu() != nullptr && item->text() == FTargetMenuCaption) {
            menu = item->menu();
            break;
        }
    }
    if (menu == nullptr) {
        throw error();
    }
    for (QAction* item : menu->actions()) {
        if (item->menu() != nullptr && item->text() == FTargetSubMenuCaption) {
            return item->menu();
        }
    }
    throw error();
}

void TLfFileHistory::ShowMenuHistory() {
    QMenu* sub = FindTargetSubMenu();
    const QList<QAction*> old = sub->actions();
    for (auto it = old.rbegin(); it != old.rend(); ++it) {
        sub->removeAction(*it);
    }
    // Deleted later: the rebuild may run inside the click of one of these entries.
    for (const QPointer<QAction>& made : FMenuActions) {
        if (!made.isNull()) {
            made->deleteLater();
        }
    }
    FMenuActions.clear();

    if (FHistory.isEmpty()) {
        return;
    }
    FShowHistoryCount = 0;
    for (int k = 0; k < FMaxFileHistory; ++k) {
        const QString entry = k < FHistory.size() ? FHistory.at(k) : QString();
        if (IsBlankText(entry)) {
            continue;
        }
        auto* action = new QAction(sub);
        action->setText(QStringLiteral("&%1 ").arg(k + 1) + HistoryDisplayForm(entry, FHistoryLen));
        action->setProperty("Category", FTargetSubMenuCaption);
        action->setStatusTip(entry);
        action->setToolTip(entry);
        action->setData(k);
        connect(action, &QAction::triggered, this, [this, action] { ItemClick(action); });
        sub->addAction(action);
        FMenuActions.emplace_back(action);
        ++FShowHistoryCount;
    }
}

QString TLfFileHistory::ReadHistoryByItem(const QAction* MenuItem) const {
    if (MenuItem == nullptr) {
        return {};
    }
    const int tag = MenuItem->data().toInt();
    if (tag < 0 || tag >= FHistory.size()) {
        return {};
    }
    return FHistory.at(tag);
}

void TLfFileHistory::ItemClick(QAction* action) {
    FMenuItem = action;
    emit OnItemClick(action);
}

} // namespace quillo::accessories
