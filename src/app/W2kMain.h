#pragma once

// The main window: owns the document, the edit view and every command, and
// wires them together.  The document's state lives in the document; the work
// itself lives in the subsystems.

#include "app/ActionTable.h"
#include "app/AppSettings.h"
#include "app/AppStrings.h"
#include "app/Prompts.h"
#include "document/DiskWatch.h"
#include "document/Document.h"
#include "editing/CursorHistory.h"
#include "platform/ProcessEnd.h"

#include <QMainWindow>
#include <QStringList>

#include <exception>
#include <memory>
#include <new>

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

    // The open document: its text, file name, code, modified state and backup slot.
    document::TDocument& Document() { return FDocument; }
    const document::TDocument& Document() const { return FDocument; }

    // The application title (the text of the taskbar button).
    QString ApplicationTitle() const { return FApplicationTitle; }
    // The preference "UNICODE BOMをつけて保存する".
    bool UseBOM() const { return FUseBOM; }
    // The page-setup margins, hundredths of a millimetre.
    TPrintMargins PageSetupMargins() const { return FPageSetupMargins; }
    // The edit view's text colour, as stored ($00BBGGRR or a system colour).
    quint32 FontColor() const { return FFontColor; }
    // The caret status text the status bar shows for the view.
    QString CaretStatusText() const;

    // ---- handlers: each command as the menus, keys and messages run it ----
    void AfterCreate(bool ownMessage);
    void WindowMessage();
    bool FormCloseQuery();
    void FormClose();
    void ActionPreference1Execute();
    void FontEdit1Execute();

    // The process is ending without a close (a signal, the display lost, the
    // session): a modified text goes to the backup at once and the slot stays
    // for the next start to offer; false calls off a signal's end when the
    // backup could not be written.
    bool KeepWorkAtEnd(platform::TEndCause cause);

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

    void RefreshCaretStatus();
    void Memo1Change();
    void Memo1Click();
    void Memo1Cut();
    void Memo1Paste(const QString& text);
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
    void HespAbout1Execute();
    void HelpContents1Execute();
    void HelpWeb1Execute();
    void Print1Execute();
    void PrinterSetting1Execute();
    void FilePageSetup1Execute();

protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    // Runs a command; a failure ends it and is shown by the general error
    // message, and the program goes on.
    template <typename F> void Guarded(F&& command) {
        try {
            command();
        } catch (const std::bad_alloc&) {
            FPrompts.ShowException(this, strings::OutOfMemory);
        } catch (const std::exception& e) {
            FPrompts.ShowException(this, QString::fromUtf8(e.what()));
        }
    }

    void FormCreate();
    void ApplySettings();
    void SetMemoFont(const QFont& font, quint32 color);
    TAppSettingsWrite CurrentSettings() const;
    void FontEdit1FontDialogShow();
    void FontEdit1Accept();
    // Caption and application title, always together.
    void SetTitle(const QString& title);
    // Sets the overlay's picture and hint together.
    void SetOverlay(int index, const QString& hint);
    // Asks whether to save a modified document first; false abandons the command.
    bool SaveBeforeQuestion(const QString& question, bool setOverlay);
    // Brings the standard edit actions up to date with the view.
    void UpdateEditActions();

    void ShowSplash();
    void ReportBadBytes(qsizetype count);
    void AfterSuccessfulRead(const QString& path, int code, qsizetype badBytes, int overlayIndex);
    bool OpenCommandLineFile(const QString& path);
    // A file about to be opened: when a copy that ended without closing left
    // a backup of it, offers that first; true when the backup was read.
    bool OfferBackupOf(const QString& path);
    // The file on disk changed under the document: offers to read it again,
    // or says that it is gone.
    void FileChangedOutside(bool removed);
    // Asks before a save writes over what another program wrote; true to go on.
    bool ConfirmWriteOverChange();
    // Says so when another running copy holds the file just opened.
    void TellOtherHolder(const QString& path);
    // Asks before a save writes over a read-only file; true to go on.
    bool ConfirmWriteOver(const QString& path);
    void TakeBackupSlot();
    // True when a backup was read into the view.
    bool RecoverBackup();
    void RecordBackupSlot();
    void ReleaseBackupSlot();
    void RegisterFileType(const QString& path);
    void BuildActions();
    // Runs a handler when the action is triggered, failures shown by Guarded.
    void ConnectCommand(QAction* action, void (TWin2kAppForm::*handler)());
    void BuildMenus();
    // The cursor history's commands follow its state.
    void UpdateCursorActions();
    // Brings `target` to the screen row the caret's line has, caret at its start.
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
    document::TDocument FDocument;
    document::TDiskWatch FDiskWatch{FDocument};
    editing::TCursorHistory FCursorHistory;
    QString FTabBuffer; // the indentation an Enter carries to the new line
    bool FUseBOM = false;
    TPrintMargins FPageSetupMargins;
    QString FApplicationTitle;
    quint32 FFontColor = 0;
    bool FClosed = false;
    bool FRestoreFrameSize = false;
    bool FClipboardHasText = false;
    QSize FStoredOuterSize;
    // The open dialog's last filter index (1-based) and file name, and the save-as dialog's.
    int FOpenDialogFilterIndex = 1;
    QString FOpenDialogFileName;
    int FSaveDialogFilterIndex = 1;

    // ---- parts of the window ----
    QMenuBar* ActionMainMenuBar1 = nullptr;
    QToolBar* ActionToolBar1 = nullptr;
    QWidget* Panel1 = nullptr;
    editing::TLfMemo* Memo1 = nullptr;
    QStatusBar* StatusBar = nullptr;
    QMenu* PopupActionBar1 = nullptr;
    QTimer* Timer1 = nullptr;
    TFontDialog* FontEdit1Dialog = nullptr;
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
    accessories::TLfFileHistory* LfFileHistory1 = nullptr;
    accessories::TAboutBox* FAboutBox = nullptr; // the splash while it shows
    std::unique_ptr<search::TDocumentSearch> FDocumentSearch;
    std::unique_ptr<search::TSearchPrompts> FSearchPrompts;
    std::unique_ptr<printing::TPrintPrompts> FPrintPrompts;
    std::unique_ptr<printing::TPrintCommands> FPrintCommands; // made at the first print command
};

} // namespace quillo::app
