#pragma once

// The main window: owns the document, the edit view and every command, and
// wires them together.  The work itself lives in the subsystems.

#include "app/ActionTable.h"
#include "app/AppSettings.h"
#include "app/Prompts.h"
#include "editing/CursorHistory.h"

#include <QMainWindow>
#include <QStringList>

#include <exception>
#include <memory>

class QAction;
class QMenu;
class QMenuBar;
class QStatusBar;
class QTimer;
class QToolBar;

namespace quillo::editing {
class TLfMemo;
}
namespace quillo::accessories {
class TAboutBox;
class TImageList;
class TLfFileHistory;
class TzkOverlayIcon;
} // namespace quillo::accessories
namespace quillo::search {
class TDocumentSearch;
class TLfFindDialog;
class TLfReplaceDialog;
class TSearchPrompts;
} // namespace quillo::search
namespace quillo::backup {
class TBackupSlots;
}
namespace quillo::printing {
class TPrintCommands;
class TPrintPrompts;
} // namespace quillo::printing

namespace quillo::app {

class TFontDialog;

class TWin2kAppForm : public QMainWindow {
    Q_OBJECT

public:
    // args: the command-line arguments without the program's own name.
    TWin2kAppForm(const QStringList& args, Prompts& prompts, QWidget* parent = nullptr);
    ~TWin2kAppForm() override;

    // ---- document state ----
    QString FFileName;
    int CodePage = 932;
    int FBackupNum = 0;
    QString FBackupFile;
    bool UseBOM = false;
    bool Active = false;
    bool FFind = false;
    bool FReplace = false;
    editing::TCursorList FCursorList;
    qsizetype FCursorIndex = -1;
    qsizetype FLineUndo = 0;
    QString FTabBuffer;

    // ---- parts of the window ----
    QMenuBar* ActionMainMenuBar1 = nullptr;
    QToolBar* ActionToolBar1 = nullptr;
    QWidget* Panel1 = nullptr;
    editing::TLfMemo* Memo1 = nullptr;
    QStatusBar* StatusBar = nullptr;
    QMenu* PopupActionBar1 = nullptr;
    QTimer* Timer1 = nullptr;
    TFontDialog* FontEdit1Dialog = nullptr;
    TPrintMargins PageSetupMargins;
    // Every command, in table order; the named ones are used by the handlers.
    std::unique_ptr<TActionTable> ActionManager1;
    accessories::TImageList* ImageList1 = nullptr;
    QAction* FileSave1 = nullptr;
    QAction* CodeExchange1 = nullptr;
    QAction* SearchFind1 = nullptr;
    QAction* SearchFindNext1 = nullptr;
    QAction* SearchFindFirst1 = nullptr;
    QAction* CursorPast1 = nullptr;
    QAction* CursorNext1 = nullptr;
    accessories::TzkOverlayIcon* zkOverlayIcon1 = nullptr;
    search::TLfFindDialog* LfFindDialog1 = nullptr;
    search::TLfReplaceDialog* LfReplaceDialog1 = nullptr;
    std::unique_ptr<search::TDocumentSearch> FDocumentSearch;
    accessories::TLfFileHistory* LfFileHistory1 = nullptr;
    accessories::TAboutBox* FAboutBox = nullptr; // the splash while it shows
    // Sets the overlay's picture and hint together.
    void SetOverlay(int index, const QString& hint);
    // The open dialog's last filter index (1-based) and file name.
    int OpenDialogFilterIndex = 1;
    QString OpenDialogFileName;
    int SaveDialogFilterIndex = 1;

    // The application title (the text of the taskbar button).
    QString ApplicationTitle() const { return FApplicationTitle; }
    // Caption and application title, always together.
    void SetTitle(const QString& title);
    bool IsUntitled() const;

    // ---- handlers ----
    void AfterCreate(bool ownMessage);
    void WindowMessage();
    bool FormCloseQuery();
    void FormClose();
    void ActionPreference1Execute();
    void FontEdit1Execute();
    void FontEdit1FontDialogShow();
    void FontEdit1Accept();

    // Saves the document to its file, or asks for one; true on success.
    bool SaveFile();
    bool SaveFileAs();
    void FileNew1Execute();
    void FileNewWindowExecute();
    void FileOpen1Execute();
    void FileSave1Execute() {
        Guarded([this] { SaveFile(); });
    }
    void FileSaveAs1Execute() {
        Guarded([this] { SaveFileAs(); });
    }
    void LfFileHistory1ItemClick(const QString& path);
    void WMDropFiles(const QStringList& paths);
    void CodeExchange1Execute();

    // ---- editing ----
    void RefreshCaretStatus();
    QString CaretStatusText() const;
    void Memo1Change();
    void Memo1Click();
    void Memo1Cut();
    void Memo1Paste();
    void Memo1KeyDown(QKeyEvent* key);
    void Memo1KeyPress(QKeyEvent* key);
    void SetIndent(bool ownMessage);
    void CursorPast1Execute();
    void CursorNext1Execute();
    void JumpLine1Execute();
    void ReplaceNum1Execute();
    void SqlCreateStatement1Execute();
    void SqlCSharpRead1Execute();
    void sqlCSharpInsert1Execute();
    void sqlCSharpUpdate1Execute();
    void FileExit1Execute();
    void Timer1Timer();
    // Open (WParam 0) and closed (1) notices of the find (LParam 1) and
    // replace (2) dialogs.
    void NotifyMessage(int wParam, int lParam);
    void HespAbout1Execute();
    void HelpContents1Execute();
    void HelpWeb1Execute();
    void Print1Execute();
    void PrinterSetting1Execute();
    void FilePageSetup1Execute();
    // Brings the standard edit actions up to date with the view.
    void UpdateEditActions();
    // Asks whether to save a modified document first; false abandons the command.
    bool SaveBeforeQuestion(const QString& question, bool setOverlay);

    // The edit view's text colour, as stored ($00BBGGRR or a system colour).
    quint32 FontColor() const { return FFontColor; }

    // Runs a command; a failure ends it and is shown by the general error
    // message, and the program goes on.
    template <typename F> void Guarded(F&& command) {
        try {
            command();
        } catch (const std::exception& e) {
            FPrompts.ShowException(this, QString::fromUtf8(e.what()));
        }
    }

protected:
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void FormCreate();
    void ApplySettings();
    void SetMemoFont(const QFont& font, quint32 color);
    TAppSettingsWrite CurrentSettings() const;

    // Calls into later parts of the program; each is a no-op until that part
    // is in place.
    void ShowSplash();
    void ReportBadBytes(qsizetype count);
    void AfterSuccessfulRead(const QString& path, int code, qsizetype badBytes, int overlayIndex);
    bool OpenCommandLineFile(const QString& path);
    void TakeBackupSlot();
    // True when a backup was read into the view.
    bool RecoverBackup();
    void RecordBackupSlot();
    void ReleaseBackupSlot();
    void RegisterFileType(const QString& path);
    void ClearCursorHistory();
    void BuildActions();
    // Runs a handler when the action is triggered, failures shown by Guarded.
    void ConnectCommand(QAction* action, void (TWin2kAppForm::*handler)());
    void BuildMenus();
    void RecordCursorEntry();
    void JumpToEntry(qsizetype index);
    void ScrollToLine(qsizetype target);
    bool eventFilter(QObject* watched, QEvent* event) override;
    void BuildAccessories();
    void BuildSearch();
    printing::TPrintCommands& PrintCommands();
    void ReadFileHistory();
    void AddFileHistory(const QString& path);
    void WriteFileHistory();

    Prompts& FPrompts;
    QStringList FArgs;
    QString FApplicationTitle;
    quint32 FFontColor = 0;
    bool FClosed = false;
    bool FRestoreFrameSize = false;
    bool FClipboardHasText = false;
    std::unique_ptr<backup::TBackupSlots> FBackupSlots;
    std::unique_ptr<search::TSearchPrompts> FSearchPrompts;
    std::unique_ptr<printing::TPrintPrompts> FPrintPrompts;
    std::unique_ptr<printing::TPrintCommands> FPrintCommands; // made at the first print command
    QSize FStoredOuterSize;
};

} // namespace quillo::app
