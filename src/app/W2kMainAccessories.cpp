// The main window's accessories: splash and about box, help, the recent-file
// list, the taskbar overlay, and the print commands.

#include "accessories/About.h"
#include "accessories/HelpWindow.h"
#include "accessories/ImageList.h"
#include "accessories/LfFileHistorys.h"
#include "accessories/zkOverlayIcon.h"
#include "app/ColorValue.h"
#include "app/W2kMain.h"
#include "editing/LfMemo.h"
#include "printing/HxPrinter.h"
#include "printing/PrintCommands.h"
#include "printing/PrintPrompts.h"
#include "printing/PrintableDocument.h"

#include <QMenuBar>

namespace quillo::app {
namespace {

// The document as the print routine reads it.
class TMemoDocument : public printing::TPrintableDocument {
public:
    TMemoDocument(const editing::TLfMemo& memo, const QString& fileName, QColor color)
        : FMemo(memo), FFileName(fileName), FColor(color) {}
    int LineCount() const override { return static_cast<int>(FMemo.LinesCount()); }
    QString Line(int index) const override { return FMemo.Line(index); }
    QString FileName() const override { return FFileName; }
    QFont Font() const override { return FMemo.font(); }
    QColor FontColor() const override { return FColor; }

private:
    const editing::TLfMemo& FMemo;
    QString FFileName;
    QColor FColor;
};

// The print commands' dialogs and messages, through the window's prompts.
class TWindowPrintPrompts : public printing::TPrintPrompts {
public:
    TWindowPrintPrompts(QWidget& form, accessories::TzkOverlayIcon& overlay, Prompts& prompts)
        : FForm(form), FOverlay(overlay), FPrompts(prompts) {}
    bool ExecutePrintDialog(printing::THxPrintDialog& d) override {
        return FPrompts.ExecutePrintDialog(&FForm, d);
    }
    bool ExecutePrinterSetupDialog(printing::THxPrinterSetupDialog& d) override {
        return FPrompts.ExecutePrinterSetupDialog(&FForm, d);
    }
    bool ExecutePageSetupDialog(printing::TPageSetupDialog& d) override {
        return FPrompts.ExecutePageSetupDialog(&FForm, d);
    }
    void ShowOverlay(int state) override { FOverlay.SetImageIndex(state); }
    void ShowWarning(const QString& text) override {
        FPrompts.MessageDlg(&FForm, text, TMsgDlgType::mtWarning, QMessageBox::Ok);
    }

private:
    QWidget& FForm;
    accessories::TzkOverlayIcon& FOverlay;
    Prompts& FPrompts;
};

} // namespace

void TWin2kAppForm::BuildAccessories() {
    setWindowIcon(QIcon(QStringLiteral(":/about/quillo.svg")));
    zkOverlayIcon1 = new accessories::TzkOverlayIcon(this);
    zkOverlayIcon1->setObjectName(QStringLiteral("zkOverlayIcon1"));
    zkOverlayIcon1->SetImages(accessories::CreateImageList2(this));

    LfFileHistory1 = new accessories::TLfFileHistory(this);
    LfFileHistory1->setObjectName(QStringLiteral("LfFileHistory1"));
    LfFileHistory1->SetOpenKey(QStringLiteral("Software\\Orvane\\quillo\\FileHistory"));
    LfFileHistory1->SetMaxFileHistory(15);
    LfFileHistory1->SetHistoryLen(40);
    LfFileHistory1->SetDuplication(false);
    LfFileHistory1->SetUseActionManager(this);
    LfFileHistory1->SetUseActionMainMenuBar(ActionMainMenuBar1);
    LfFileHistory1->SetTargetMenuCaption(QStringLiteral("ファイル(&F)"));
    LfFileHistory1->SetTargetSubMenuCaption(QStringLiteral("履歴から開く(&H)"));
    connect(LfFileHistory1, &accessories::TLfFileHistory::OnItemClick, this,
            [this](QAction*) { LfFileHistory1ItemClick(LfFileHistory1->FileName()); });

    TActionTable& a = *ActionManager1;
    const auto on = [this](QAction* action, void (TWin2kAppForm::*handler)()) {
        ConnectCommand(action, handler);
    };
    on(a["HespAbout1"], &TWin2kAppForm::HespAbout1Execute);
    on(a["HelpContents1"], &TWin2kAppForm::HelpContents1Execute);
    on(a["HelpWeb1"], &TWin2kAppForm::HelpWeb1Execute);
    on(a["Print1"], &TWin2kAppForm::Print1Execute);
    on(a["PrinterSetting1"], &TWin2kAppForm::PrinterSetting1Execute);
    on(a["FilePageSetup1"], &TWin2kAppForm::FilePageSetup1Execute);
}

void TWin2kAppForm::SetOverlay(int index, const QString& hint) {
    zkOverlayIcon1->SetImageIndex(index);
    zkOverlayIcon1->SetHint(hint);
}

// ---- splash and about box ----

void TWin2kAppForm::ShowSplash() {
    if (accessories::SplashWanted(FArgs)) {
        FAboutBox = new accessories::TAboutBox(this);
        FAboutBox->StartSplash(this, [this] { WindowMessage(); });
    }
}

void TWin2kAppForm::WindowMessage() {
    if (FAboutBox != nullptr) {
        FAboutBox->close();
        delete FAboutBox;
        FAboutBox = nullptr;
    }
}

void TWin2kAppForm::HespAbout1Execute() {
    accessories::TAboutBox box(this);
    FPrompts.ExecDialog(box);
}

void TWin2kAppForm::HelpContents1Execute() {
    accessories::ShowHelpContents(this);
}

void TWin2kAppForm::HelpWeb1Execute() {
    accessories::OpenSupportPage(this);
}

// ---- recent files ----

void TWin2kAppForm::ReadFileHistory() {
    LfFileHistory1->ReadReg();
    LfFileHistory1->ShowMenuHistory();
}

void TWin2kAppForm::AddFileHistory(const QString& path) {
    LfFileHistory1->AddHistory(path);
}

void TWin2kAppForm::WriteFileHistory() {
    LfFileHistory1->WriteReg();
}

// ---- printing ----

printing::TPrintCommands& TWin2kAppForm::PrintCommands() {
    if (!FPrintCommands) {
        FPrintPrompts = std::make_unique<TWindowPrintPrompts>(*this, *zkOverlayIcon1, FPrompts);
        FPrintCommands =
            std::make_unique<printing::TPrintCommands>(*FPrintPrompts, printing::HxSharedPrinter());
    }
    FPrintCommands->Margins() = FPageSetupMargins;
    return *FPrintCommands;
}

void TWin2kAppForm::Print1Execute() {
    PrintCommands().Print1Execute(
        TMemoDocument(*Memo1, FDocument.FileName(), ColorFromValue(FFontColor)));
}

void TWin2kAppForm::PrinterSetting1Execute() {
    PrintCommands().PrinterSetting1Execute();
}

void TWin2kAppForm::FilePageSetup1Execute() {
    PrintCommands().FilePageSetup1Execute();
    FPageSetupMargins = FPrintCommands->Margins();
}

} // namespace quillo::app
