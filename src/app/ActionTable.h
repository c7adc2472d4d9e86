#pragma once

// Every command of the main window, in the order that decides which action a
// shortcut goes to, with its caption, hints, shortcut, picture and starting
// state.  Menus, toolbar and context menu are laid out from the same table.

#include <QKeySequence>
#include <QList>
#include <QString>

class QAction;
class QKeyEvent;
class QObject;

namespace quillo::accessories {
class TImageList;
}

namespace quillo::app {

struct TActionSpec {
    const char* Name;
    const char* Caption;
    const char* ShortHint;     // tooltip; empty: none
    const char* LongHint;      // status-bar tip; empty: none
    const char* Shortcut = ""; // portable text, e.g. "Ctrl+N"
    int ImageIndex = -1;
    bool EnabledAtStart = true;
};

// The actions in table order.
class TActionTable {
public:
    TActionTable(QObject* owner, const accessories::TImageList* images);

    QAction* operator[](const char* name) const;
    const QList<QAction*>& All() const { return FActions; }

    // The first action in table order whose shortcut the key is; null if none.
    QAction* ActionForKey(const QKeyEvent& event) const;

private:
    QList<QAction*> FActions;
};

} // namespace quillo::app
