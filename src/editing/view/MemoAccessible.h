#pragma once

// What a screen reader sees of the edit view: its text, caret, selection and
// lines through Qt's accessibility interfaces, read from the document where
// it lies (never the whole text at once unless asked for it), and edits
// through the view's own undoable commands.

#include <QAccessibleWidget>

#include <functional>

namespace quillo::editing {
class TLfMemo;
}

namespace quillo::editing::view {

class TMemoAccessible : public QAccessibleWidget,
                        public QAccessibleTextInterface,
                        public QAccessibleEditableTextInterface {
public:
    explicit TMemoAccessible(TLfMemo* memo);

    // Installs the factory once and tells assistive technology, while one
    // listens, of the memo's caret, selection and text changes.
    static void Follow(TLfMemo& memo);
    // Whether a reader listens and where notices go: the platform's bridge
    // unless a test puts its own in.
    static inline std::function<bool()> Listening = [] {
        return QAccessible::isActive();
    };
    static inline std::function<void(QAccessibleEvent*)> Tell = [](QAccessibleEvent* event) {
        QAccessible::updateAccessibility(event);
    };

    void* interface_cast(QAccessible::InterfaceType type) override;
    QAccessible::State state() const override;
    QString text(QAccessible::Text t) const override;

    // QAccessibleTextInterface
    void selection(int selectionIndex, int* startOffset, int* endOffset) const override;
    int selectionCount() const override;
    void addSelection(int startOffset, int endOffset) override;
    void removeSelection(int selectionIndex) override;
    void setSelection(int selectionIndex, int startOffset, int endOffset) override;
    int cursorPosition() const override;
    void setCursorPosition(int position) override;
    QString text(int startOffset, int endOffset) const override;
    QString textBeforeOffset(int offset, QAccessible::TextBoundaryType boundaryType,
                             int* startOffset, int* endOffset) const override;
    QString textAfterOffset(int offset, QAccessible::TextBoundaryType boundaryType,
                            int* startOffset, int* endOffset) const override;
    QString textAtOffset(int offset, QAccessible::TextBoundaryType boundaryType, int* startOffset,
                         int* endOffset) const override;
    int characterCount() const override;
    QRect characterRect(int offset) const override;
    int offsetAtPoint(const QPoint& point) const override;
    void scrollToSubstring(int startIndex, int endIndex) override;
    QString attributes(int offset, int* startOffset, int* endOffset) const override;

    // QAccessibleEditableTextInterface
    void deleteText(int startOffset, int endOffset) override;
    void insertText(int offset, const QString& text) override;
    void replaceText(int startOffset, int endOffset, const QString& text) override;

private:
    TLfMemo* Memo() const;
    // The piece of the text around `offset` that `boundary` makes: [start, end).
    void Piece(int offset, QAccessible::TextBoundaryType boundary, int* start, int* end) const;
};

} // namespace quillo::editing::view
