// The main window: its parts, start-up, settings, closing, preferences and font.
// The document commands, editing, search, backup and accessories are wired in
// the W2kMain*.cpp files beside this one.

#include "app/W2kMain.h"

#include "accessories/ImageList.h"
#include "accessories/zkOverlayIcon.h"
#include "app/AppStrings.h"
#include "app/ColorValue.h"
#include "app/FontDialog.h"
#include "app/PreferenceDialog.h"
#include "editing/LfMemo.h"
#include "platform/DataFolder.h"
#include "platform/ScreenFit.h"
#include "platform/SettingsStore.h"
#include "printing/PrintCommands.h"
#include "printing/PrintPrompts.h"
#include "search/DocumentSearch.h"
#include "search/LfFindDialog.h"
#include "search/SearchPrompts.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QCloseEvent>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <QVBoxLayout>

namespace quillo::app {
namespace {

constexpr QPoint kDesignPosition(192, 102);
constexpr QSize kDesignClientSize(820, 465);

QString StripQuotes(QString s) {
    if (s.size() >= 2 && s.startsWith(u'"') && s.endsWith(u'"')) {
        s = s.mid(1, s.size() - 2);
    }
    return s;
}

int PointSizeOf(const QFont& font, const QWidget* widget) {
    if (font.pointSize() > 0) {
        return font.pointSize();
    }
    // A font given in pixels: points at the screen's resolution.
    return qRound(font.pixelSize() * 72.0 / widget->logicalDpiY());
}

} // namespace

TWin2kAppForm::TWin2kAppForm(const QStringList& args, Prompts& prompts, QWidget* parent)
    : QMainWindow(parent), FPrompts(prompts), FArgs(args),
      FCursorHistory([this](qsizetype pos) { return Memo1->LineFromChar(pos); }) {
    setObjectName(QStringLiteral("Win2kAppForm"));
    setWindowTitle(strings::AppTitle);
    setMinimumSize(200, 200);
    move(kDesignPosition);
    resize(kDesignClientSize);

    ActionMainMenuBar1 = menuBar();
    ActionMainMenuBar1->setObjectName(QStringLiteral("ActionMainMenuBar1"));
    {
        QFont f(QStringLiteral("メイリオ"));
        f.setPixelSize(12);
        ActionMainMenuBar1->setFont(f);
    }
    ActionToolBar1 = addToolBar(QStringLiteral("ActionToolBar1"));
    ActionToolBar1->setObjectName(QStringLiteral("ActionToolBar1"));
    ActionToolBar1->setMovable(false);
    ActionToolBar1->setIconSize(QSize(16, 16));
    {
        QFont f(QStringLiteral("Tahoma"));
        f.setPixelSize(11);
        ActionToolBar1->setFont(f);
    }

    Panel1 = new QWidget(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    auto* panelLayout = new QVBoxLayout(Panel1);
    panelLayout->setContentsMargins(0, 0, 0, 0);
    Memo1 = new editing::TLfMemo(FDocument, Panel1);
    Memo1->setObjectName(QStringLiteral("Memo1"));
    Memo1->SetStartLineNo(1);
    Memo1->SetLineNoColor(QColor(0x80, 0x80, 0x80));
    Memo1->SetLineColumnColor(QColor(0x80, 0x80, 0x80));
    Memo1->SetLineNoColumn(8);
    Memo1->setFocusPolicy(Qt::ClickFocus);
    {
        QFont f(strings::DesignFontName);
        f.setPixelSize(13);
        f.setStyleHint(QFont::TypeWriter);
        SetMemoFont(f, 0xFF000008); // window text
    }
    panelLayout->addWidget(Memo1);
    setCentralWidget(Panel1);

    PopupActionBar1 = new QMenu(this);
    PopupActionBar1->setObjectName(QStringLiteral("PopupActionBar1"));
    Memo1->SetPopupMenu(PopupActionBar1);

    StatusBar = statusBar();
    StatusBar->setObjectName(QStringLiteral("StatusBar"));
    StatusBar->setSizeGripEnabled(true);

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    // A backup a minute after a change; end-to-end tests shorten the wait.
    Timer1->setInterval(qEnvironmentVariableIntValue("QUILLO_TEST_BACKUP_INTERVAL_MS") > 0
                            ? qEnvironmentVariableIntValue("QUILLO_TEST_BACKUP_INTERVAL_MS")
                            : 60000);
    connect(Timer1, &QTimer::timeout, this, &TWin2kAppForm::Timer1Timer);

    FontEdit1Dialog = new TFontDialog(this);
    {
        QFont f(QStringLiteral("Tahoma"));
        f.setPixelSize(11);
        FontEdit1Dialog->SetFont(f);
    }

    BuildActions();
    BuildMenus();
    BuildAccessories();
    BuildSearch();

    FormCreate();
}

TWin2kAppForm::~TWin2kAppForm() {
    // The application outlives the window: stop hearing from it before the
    // members go.
    qApp->removeEventFilter(this);
    disconnect(qApp, nullptr, this, nullptr);
    disconnect(QApplication::clipboard(), nullptr, this, nullptr);
    // Children go after this class's members; none may call back into it then.
    for (QObject* child : findChildren<QObject*>()) {
        disconnect(child, nullptr, this, nullptr);
    }
    // The view shows the document, which is a member: the view goes first.
    delete takeCentralWidget();
    Memo1 = nullptr;
}

void TWin2kAppForm::SetTitle(const QString& title) {
    setWindowTitle(title);
    FApplicationTitle = title;
}

void TWin2kAppForm::SetMemoFont(const QFont& font, quint32 color) {
    Memo1->setFont(font);
    FFontColor = color;
    QPalette p = Memo1->palette();
    p.setColor(QPalette::Text, ColorFromValue(color));
    Memo1->setPalette(p);
}

// ---- start-up ----

void TWin2kAppForm::FormCreate() {
    setAcceptDrops(true);

    ShowSplash();

    FileNew1Execute();
    SetTitle(strings::NewDocumentTitle);

    if (platform::SettingsKeyExists()) {
        ApplySettings();
    }

    ReadFileHistory();
    FDocument.SetFileName(strings::Untitled);
    // Told only when no question is open; a later look tells it then.
    FDiskWatch.SetCanTell([] { return QApplication::activeModalWidget() == nullptr; });
    connect(&FDiskWatch, &document::TDiskWatch::ChangedOutside, this,
            &TWin2kAppForm::FileChangedOutside);
    QMetaObject::invokeMethod(
        this, [this] { AfterCreate(true); }, Qt::QueuedConnection);
}

void TWin2kAppForm::ApplySettings() {
    const auto store = platform::OpenSettings();
    const TAppSettingsRead r = ReadAppSettings(*store);

    const QPoint storedPos(r.WindowLeft.value_or(pos().x()), r.WindowTop.value_or(pos().y()));
    const QSize storedSize(r.WindowWidth.value_or(width()), r.WindowHeight.value_or(height()));
    // Whatever is stored, the window lands on a screen and is no larger than
    // it; the design values it keeps where nothing is stored.
    const QRect fitted = platform::FitOnScreen(
        storedPos, storedSize, platform::AvailableScreenArea(storedPos), minimumSize());
    const QRect frame(r.WindowLeft ? fitted.left() : storedPos.x(),
                      r.WindowTop ? fitted.top() : storedPos.y(),
                      r.WindowWidth ? fitted.width() : storedSize.width(),
                      r.WindowHeight ? fitted.height() : storedSize.height());
    move(frame.topLeft());
    resize(frame.size().expandedTo(minimumSize()));
    if (r.WindowWidth || r.WindowHeight) {
        // The stored size is the outer one; the frame is known only once shown.
        FRestoreFrameSize = true;
        FStoredOuterSize = frame.size();
    }

    QFont f(r.Font.Name);
    f.setPointSize(r.Font.Size);
    f.setItalic(r.Font.Italic);
    f.setBold(r.Font.Bold);
    f.setUnderline(r.Font.UnderLine);
    f.setStrikeOut(r.Font.StrikeOut);
    f.setStyleHint(QFont::TypeWriter);
    SetMemoFont(f, r.Font.Color);
    FontEdit1Dialog->SetFont(f);
    FontEdit1Dialog->SetColor(r.Font.Color);

    FPageSetupMargins.Left = r.MarginLeft.value_or(FPageSetupMargins.Left);
    FPageSetupMargins.Top = r.MarginTop.value_or(FPageSetupMargins.Top);
    FPageSetupMargins.Right = r.MarginRight.value_or(FPageSetupMargins.Right);
    FPageSetupMargins.Bottom = r.MarginBottom.value_or(FPageSetupMargins.Bottom);
    if (r.UseBOM) {
        FUseBOM = *r.UseBOM;
    }
}

void TWin2kAppForm::AfterCreate(bool ownMessage) {
    if (FRestoreFrameSize) {
        FRestoreFrameSize = false;
        const QSize extra = frameGeometry().size() - size();
        resize((FStoredOuterSize - extra).expandedTo(minimumSize()));
    }
    FDocument.SetCodePage(932);
    SetTitle(strings::NewDocumentTitle);
    bool recovered = false;
    if (ownMessage) {
        if (FArgs.size() == 1) {
            const bool read = OpenCommandLineFile(StripQuotes(FArgs.constFirst()));
            // Modified only when the file's orphaned backup was read instead.
            recovered = Memo1->Modified();
            TakeBackupSlot();
            SetTitle(QFileInfo(FDocument.FileName()).fileName() + strings::TitleSuffix);
            if (read) {
                AddFileHistory(FDocument.FileName());
                RegisterFileType(FDocument.FileName());
            }
        } else {
            recovered = RecoverBackup();
        }
        RecordBackupSlot();
    }
    RefreshCaretStatus();
    if (!recovered) {
        Memo1->SetModified(false);
    }
    Memo1->SetSelStart(0);
    Memo1->ScrollCaret();
    FileSave1->setEnabled(false);
    Memo1->setFocus();
    UpdateEditActions();
}

// ---- closing ----

void TWin2kAppForm::closeEvent(QCloseEvent* event) {
    if (FClosed) {
        event->accept();
        return;
    }
    if (!FormCloseQuery()) {
        event->ignore();
        return;
    }
    FormClose();
    FClosed = true;
    event->accept();
}

bool TWin2kAppForm::FormCloseQuery() {
    if (!Memo1->Modified()) {
        return true;
    }
    // A failed save keeps the window and its text: nothing is lost by closing.
    try {
        const auto answer =
            FPrompts.MessageDlg(this, strings::AskSaveBeforeClose, TMsgDlgType::mtConfirmation,
                                QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        switch (answer) {
        case QMessageBox::Yes:
            return SaveFile();
        case QMessageBox::No:
            return true;
        default:
            return false;
        }
    } catch (const std::exception& e) {
        FPrompts.ShowException(this, QString::fromUtf8(e.what()));
        return false;
    }
}

TAppSettingsWrite TWin2kAppForm::CurrentSettings() const {
    TAppSettingsWrite v;
    const QRect frame = frameGeometry();
    v.WindowLeft = frame.left();
    v.WindowTop = frame.top();
    v.WindowWidth = frame.width();
    v.WindowHeight = frame.height();
    const QFont f = Memo1->font();
    v.Font.Name = f.family();
    v.Font.Size = PointSizeOf(f, Memo1);
    v.Font.Italic = f.italic();
    v.Font.Bold = f.bold();
    v.Font.UnderLine = f.underline();
    v.Font.StrikeOut = f.strikeOut();
    v.Font.Color = FFontColor;
    v.UseBOM = FUseBOM;
    v.Margins = FPageSetupMargins;
    return v;
}

void TWin2kAppForm::FormClose() {
    try {
        FCursorHistory.Clear();
        Timer1->stop();
        platform::EnsureAppDataFolder();
        QFile::remove(platform::AppDataFolder() + QStringLiteral("/BuckupFile.lftmp"));
        {
            const auto store = platform::OpenSettings();
            WriteAppSettings(*store, CurrentSettings());
        }
        ReleaseBackupSlot();
        if (!FDocument.IsUntitled() && QFileInfo::exists(FDocument.FileName())) {
            AddFileHistory(FDocument.FileName());
        }
        WriteFileHistory();
    } catch (...) {
        // Closing goes on whatever fails here.
    }
}

// ---- preferences and font ----

void TWin2kAppForm::ActionPreference1Execute() {
    TPreferenceDialog dialog(this);
    dialog.CheckBox1->setChecked(FUseBOM);
    if (FPrompts.ExecDialog(dialog) == QDialog::Accepted) {
        FUseBOM = dialog.CheckBox1->isChecked();
    }
}

void TWin2kAppForm::FontEdit1FontDialogShow() {
    FontEdit1Dialog->SetColor(0);
}

void TWin2kAppForm::FontEdit1Accept() {
    SetMemoFont(FontEdit1Dialog->Font(), FontEdit1Dialog->Color());
}

void TWin2kAppForm::FontEdit1Execute() {
    FontEdit1FontDialogShow();
    if (FPrompts.ExecDialog(*FontEdit1Dialog) == QDialog::Accepted) {
        FontEdit1Accept();
    }
}

} // namespace quillo::app
