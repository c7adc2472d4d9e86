#include "search/LfFindDlg.h"

#include "platform/SettingsStore.h"
#include "search/SearchStrings.h"

#include <QCheckBox>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include <algorithm>

namespace quillo::search {

namespace {

QComboBox* MakeCombo(QWidget* parent, int left, int top) {
    auto* combo = new QComboBox(parent);
    combo->setEditable(true);
    combo->setCompleter(nullptr);
    combo->setInsertPolicy(QComboBox::NoInsert);
    combo->setDuplicatesEnabled(true);
    combo->move(left, top);
    combo->resize(301, combo->sizeHint().height());
    return combo;
}

template <typename T> T* Place(T* widget, int left, int top) {
    widget->adjustSize();
    widget->move(left, top);
    return widget;
}

QPushButton* MakeButton(QWidget* parent, const QString& caption, int top) {
    auto* button = new QPushButton(caption, parent);
    button->setGeometry(422, top, 102, 25);
    return button;
}

void MoveItemToTop(QComboBox* combo, int index) {
    const QString text = combo->itemText(index);
    combo->removeItem(index);
    combo->insertItem(0, text);
}

// One past the highest index among the entries' names in `keys`.
qint64 StoredEntriesEnd(const QStringList& keys) {
    const QString prefix = strings::HistoryEntryName(0).chopped(2);
    qint64 end = 0;
    for (const QString& key : keys) {
        bool ok = false;
        const int i = key.startsWith(prefix) ? key.mid(prefix.size()).toInt(&ok) : -1;
        if (ok && i >= end && key == strings::HistoryEntryName(i)) {
            end = qint64{i} + 1;
        }
    }
    return end;
}

} // namespace

TLfFindDlg::TLfFindDlg(QWidget* owner) : QDialog(owner) {
    setWindowTitle(strings::kReplaceCaption);
    setFont(QFont(strings::kFontName, 8));
    setFixedSize(537, 190);
    setWindowFlag(Qt::MSWindowsFixedSizeDialogHint);
    setModal(false);

    Label1 = Place(new QLabel(strings::kFindLabel, this), 8, 24);
    FindStr = MakeCombo(this, 108, 21);
    Label1->setBuddy(FindStr);
    Label2 = Place(new QLabel(strings::kReplaceLabel, this), 8, 64);
    ReplaceStr = MakeCombo(this, 108, 61);
    Label2->setBuddy(ReplaceStr);
    FindCursor = Place(new QRadioButton(strings::kFindCursor, this), 18, 94);
    FindCursor->setChecked(true);
    FindTop = Place(new QRadioButton(strings::kFindTop, this), 137, 94);
    UseMatchCase = Place(new QCheckBox(strings::kMatchCase, this), 18, 117);
    FindNextBtn = MakeButton(this, strings::kFindNext, 8);
    FindNextBtn->setDefault(true);
    FindNextBtn->setEnabled(false);
    ReplaceNextBtn = MakeButton(this, strings::kReplaceNext, 39);
    ReplaceNextBtn->setEnabled(false);
    ReplaceAllBtn = MakeButton(this, strings::kReplaceAll, 70);
    ReplaceAllBtn->setEnabled(false);
    CancelBtn = MakeButton(this, strings::kCancel, 109);
    UseMultiLine = Place(new QCheckBox(strings::kMultiLine, this), 32, 154);
    UseMultiLine->setEnabled(false);
    UseRegex = Place(new QCheckBox(strings::kUseRegex, this), 18, 137);

    QWidget* order[] = {FindStr,        FindCursor,    FindTop,   UseMatchCase, FindNextBtn,
                        ReplaceNextBtn, ReplaceAllBtn, CancelBtn, UseMultiLine, UseRegex};
    setTabOrder(FindStr, ReplaceStr);
    setTabOrder(ReplaceStr, FindCursor);
    for (std::size_t i = 1; i + 1 < std::size(order); ++i) {
        setTabOrder(order[i], order[i + 1]);
    }

    connect(FindStr, &QComboBox::editTextChanged, this, &TLfFindDlg::FindStrChange);
    connect(FindStr->lineEdit(), &QLineEdit::textEdited, this, [this] { FFindChosen = false; });
    connect(ReplaceStr->lineEdit(), &QLineEdit::textEdited, this,
            [this] { FReplaceChosen = false; });
    connect(FindStr, &QComboBox::activated, this, &TLfFindDlg::FindStrSelect);
    connect(ReplaceStr, &QComboBox::activated, this, &TLfFindDlg::ReplaceStrSelect);
    connect(UseRegex, &QCheckBox::toggled, this, &TLfFindDlg::UseRegexClick);
    connect(FindNextBtn, &QPushButton::clicked, this, &TLfFindDlg::FindNextBtnClick);
    connect(ReplaceNextBtn, &QPushButton::clicked, this, &TLfFindDlg::ReplaceNextBtnClick);
    connect(ReplaceAllBtn, &QPushButton::clicked, this, &TLfFindDlg::ReplaceAllBtnClick);
    connect(CancelBtn, &QPushButton::clicked, this, &QDialog::close);

    for (QComboBox* combo : {FindStr, ReplaceStr}) {
        combo->installEventFilter(this);
        combo->lineEdit()->installEventFilter(this);
    }
}

TLfFindDlg::~TLfFindDlg() {
    if (!FRegKey.isEmpty()) {
        SaveHistory();
    }
}

void TLfFindDlg::LoadHistory() {
    FindStr->clear();
    const auto settings = platform::OpenSettings();
    settings->beginGroup(FRegKey);
    if (!settings->contains(strings::kHistoryCount)) {
        settings->setValue(strings::kHistoryCount, 0);
        settings->sync();
    }
    if (settings->status() != QSettings::NoError) {
        return;
    }
    // A missing entry is an empty one, but a damaged count must not make
    // thousands of millions of them: the list ends with the last stored entry.
    const qint64 count =
        std::min<qint64>(platform::ReadInteger(*settings, strings::kHistoryCount).value_or(0),
                         StoredEntriesEnd(settings->childKeys()));
    for (int i = 0; i < count; ++i) {
        FindStr->addItem(
            platform::ReadString(*settings, strings::HistoryEntryName(i)).value_or(QString()));
    }
    // Filling the list must not put an entry into the edit field.
    FindStr->setEditText(QString());
    FFindChosen = false;
}

void TLfFindDlg::SaveHistory() const {
    const auto settings = platform::OpenSettings();
    settings->beginGroup(FRegKey);
    settings->setValue(strings::kHistoryCount, FindStr->count());
    for (int i = 0; i < FindStr->count(); ++i) {
        settings->setValue(strings::HistoryEntryName(i), FindStr->itemText(i));
    }
    settings->sync();
}

void TLfFindDlg::showEvent(QShowEvent* event) {
    if (FsetFind) {
        setWindowTitle(strings::kFindCaption);
        ReplaceNextBtn->hide();
        ReplaceAllBtn->hide();
        ReplaceStr->hide();
        Label2->hide();
    }
    QDialog::showEvent(event);
    emit Opened();
}

bool TLfFindDlg::eventFilter(QObject* watched, QEvent* event) {
    // Enter in either combo box starts one search; it is taken here so that
    // the default button does not start a second one.
    if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            if (!key->isAutoRepeat() && FindNextBtn->isEnabled()) {
                FindNextBtn->click();
            }
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TLfFindDlg::FindStrChange() {
    const bool enabled = !FindStr->currentText().isEmpty();
    FindNextBtn->setEnabled(enabled);
    ReplaceNextBtn->setEnabled(enabled);
    ReplaceAllBtn->setEnabled(enabled);
}

void TLfFindDlg::UseRegexClick() {
    UseMultiLine->setEnabled(UseRegex->isChecked());
}

void TLfFindDlg::PromoteText(QComboBox* combo, bool itemChosen) {
    const QString text = combo->currentText();
    const int current = combo->currentIndex();
    if (itemChosen && current >= 0 && combo->itemText(current) == text) {
        MoveItemToTop(combo, current);
    } else {
        int last = -1;
        for (int i = 0; i < combo->count(); ++i) {
            if (combo->itemText(i) == text) {
                last = i;
            }
        }
        if (last < 0) {
            combo->insertItem(0, text);
        } else {
            MoveItemToTop(combo, last);
        }
    }
    combo->setCurrentIndex(0);
    combo->setEditText(text);
}

void TLfFindDlg::FindNextBtnClick() {
    PromoteText(FindStr, FFindChosen);
    emit Command(TLfFindCommand::fcFindNext);
}

void TLfFindDlg::ReplaceNextBtnClick() {
    PromoteText(ReplaceStr, FReplaceChosen);
    emit Command(TLfFindCommand::fcReplace);
}

void TLfFindDlg::ReplaceAllBtnClick() {
    PromoteText(ReplaceStr, FReplaceChosen);
    emit Command(TLfFindCommand::fcReplaceAll);
}

void TLfFindDlg::FindStrSelect(int index) {
    if (index < 0) {
        return;
    }
    MoveItemToTop(FindStr, index);
    FindStr->setCurrentIndex(0);
    FFindChosen = true;
    FindStrChange();
}

void TLfFindDlg::ReplaceStrSelect(int index) {
    if (index < 0) {
        return;
    }
    MoveItemToTop(ReplaceStr, index);
    ReplaceStr->setCurrentIndex(0);
    FReplaceChosen = true;
}

} // namespace quillo::search
