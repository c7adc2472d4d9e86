// Printing through a real CUPS scheduler: the one named by
// QUILLO_TEST_CUPS_SERVER, or a private one the test starts itself.

#include "platform/printer/CupsPrinterBackend.h"
#include "printing/HxPrintDialogs.h"
#include "printing/HxPrinter.h"
#include "printing/PdfTools.h"
#include "printing/PrintPages.h"
#include "printing/PrivateCupsServer.h"
#include "printing/QPrinterSettings.h"
#include "printing/TestDocument.h"

#include <gtest/gtest.h>

#include <cups/cups.h>

#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QPrinter>
#include <QThread>
#include <QTimer>

// Making a QPrinter while a CUPS default printer exists loads its option
// cache inside libcups (cupsMarkOptions), which never frees it.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:_ppdCacheCreateWithPPD\n";
}

namespace quillo::printing {
namespace {

using quillo::testing::NumberedLines;
using quillo::testing::PrivateCupsServer;
using quillo::testing::TestDocument;

const QString kPpd = "/usr/share/ppd/cupsfilters/Generic-PDF_Printer-PDF.ppd";

class CupsPrintTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        Server = new PrivateCupsServer;
        Address = qEnvironmentVariable("QUILLO_TEST_CUPS_SERVER");
        if (Address.isEmpty()) {
            if (!Server->Start()) {
                SkipReason = "cannot start a private cupsd here: " + Server->Error();
                return;
            }
            Address = Server->Address();
        } else {
            Server->UseExisting(Address);
        }
        // Every libcups call of this process goes to that server.
        qputenv("CUPS_SERVER", Address.toUtf8());
        cupsSetServer(Address.toUtf8().constData());
    }

    static void TearDownTestSuite() {
        delete Server; // stops the daemon by its process id
        Server = nullptr;
    }

    void SetUp() override {
        if (!SkipReason.isEmpty()) {
            GTEST_SKIP() << SkipReason.toStdString();
        }
        if (!QFileInfo::exists(kPpd)) {
            GTEST_SKIP() << "the generic PDF printer description is missing (cups-filters)";
        }
    }

    // A queue writing its output to a file of the server's folder.
    QString AddFilePrinter(const QString& name) {
        const QString out = Server->Folder() + "/out/" + name + ".pdf";
        QFile::remove(out);
        if (!Server->Admin("lpadmin", {"-p", name, "-E", "-v", "file://" + out, "-P", kPpd})) {
            ADD_FAILURE() << Server->Error().toStdString();
        }
        return out;
    }

    // Waits until the scheduler is done with the job; its final state.
    static ipp_jstate_t WaitForJob(const QString& printer, int jobId) {
        QElapsedTimer clock;
        clock.start();
        while (clock.elapsed() < 90000) {
            cups_job_t* jobs = nullptr;
            const int n = cupsGetJobs2(CUPS_HTTP_DEFAULT, &jobs, printer.toUtf8().constData(), 0,
                                       CUPS_WHICHJOBS_ALL);
            ipp_jstate_t state = IPP_JSTATE_PENDING;
            for (int i = 0; i < n; ++i) {
                if (jobs[i].id == jobId) {
                    state = jobs[i].state;
                }
            }
            cupsFreeJobs(n, jobs);
            if (state >= IPP_JSTATE_CANCELED) {
                return state;
            }
            QThread::msleep(200);
        }
        return IPP_JSTATE_PENDING;
    }

    // A job's attribute as text ("" when absent).
    static QString JobAttribute(int jobId, const char* name) {
        ipp_t* request = ippNewRequest(IPP_OP_GET_JOB_ATTRIBUTES);
        const QByteArray uri = "ipp://localhost/jobs/" + QByteArray::number(jobId);
        ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_URI, "job-uri", nullptr, uri.constData());
        ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_NAME, "requesting-user-name", nullptr,
                     cupsUser());
        ipp_t* response = cupsDoRequest(CUPS_HTTP_DEFAULT, request, "/");
        QString value;
        if (ipp_attribute_t* a = ippFindAttribute(response, name, IPP_TAG_ZERO)) {
            char buffer[512];
            ippAttributeString(a, buffer, sizeof buffer);
            value = QString::fromUtf8(buffer);
        }
        ippDelete(response);
        return value;
    }

    // Picks a printer in the next print dialog shown and accepts it.
    static void ChooseInNextDialog(const QString& name) {
        QTimer::singleShot(50, [name] {
            auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            if (dialog == nullptr) {
                ChooseInNextDialog(name);
                return;
            }
            if (auto* printers = dialog->findChild<QComboBox*>("printers")) {
                const int i = printers->findText(name);
                EXPECT_GE(i, 0) << name.toStdString();
                printers->setCurrentIndex(i);
            } else {
                ADD_FAILURE() << "no printer list in the dialog";
            }
            dialog->accept();
        });
    }

    static inline PrivateCupsServer* Server = nullptr;
    static inline QString Address;
    static inline QString SkipReason;
};

TEST_F(CupsPrintTest, ThreePageDocumentPrintsThreePagesOnTheSelectedPrinter) {
    const QString out = AddFilePrinter("quillo-pdf");
    THxPrinter printer(std::make_unique<platform::CupsPrinterBackend>());
    const QStringList names = printer.PrinterNames();
    const int index = static_cast<int>(names.indexOf("quillo-pdf"));
    ASSERT_GE(index, 0) << names.join(", ").toStdString();
    printer.SetIndex(index);
    EXPECT_EQ("quillo-pdf", printer.Printer().Device());
    EXPECT_EQ("file://" + out, printer.Port());
    // The printer description's sheets come through with their numbers.
    EXPECT_TRUE(printer.HasPaperSizeNumber(9)); // A4
    EXPECT_TRUE(printer.HasPaperSizeNumber(1)); // letter
    printer.SetPaperSizeNumber(9);
    printer.ApplySettings();
    EXPECT_GT(printer.DPI().X, 0);
    EXPECT_EQ(210, (printer.MMPaperExtent().width() + 5) / 10);

    TestDocument doc;
    int n = 1;
    doc.Lines = NumberedLines(n);
    while (PrintPages(printer, doc, {}, 0, 0) == 1) {
        doc.Lines = NumberedLines(++n);
    }
    const int perPage = n - 1;
    doc.Lines = NumberedLines(2 * perPage + 1);
    ASSERT_EQ(3, PrintPages(printer, doc, {}, 0, 0));
    ASSERT_EQ(3, PrintPages(printer, doc, {}, 1, 3));

    const int job = printer.Printer().LastJobId();
    ASSERT_GT(job, 0);
    EXPECT_EQ(IPP_JSTATE_COMPLETED, WaitForJob("quillo-pdf", job));
    EXPECT_EQ(3, quillo::testing::PdfPageCount(out));
    EXPECT_TRUE(quillo::testing::PdfPageText(out, 3).contains("3 ページ"));
}

TEST_F(CupsPrintTest, AppliedSettingsTravelWithTheJob) {
    AddFilePrinter("quillo-settings");
    THxPrinter printer(std::make_unique<platform::CupsPrinterBackend>());
    printer.SetIndex(static_cast<int>(printer.PrinterNames().indexOf("quillo-settings")));
    ASSERT_EQ("quillo-settings", printer.Printer().Device());
    printer.SetCopies(2);
    printer.SetCollate(true);
    printer.SetPaperSizeNumber(9); // A4; the queue's own default is letter
    ASSERT_TRUE(printer.PrintCaps().Contains(THxPrintCap::hxPcDuplex));
    ASSERT_TRUE(printer.PrintCaps().Contains(THxPrintCap::hxPcColor));
    printer.SetDuplex(THxDuplex::hxDupVertical);
    printer.SetColor(false);
    printer.ApplySettings();
    printer.SetCopies(5); // pending, so dropped by the print run

    TestDocument doc;
    doc.Lines = {"one page"};
    PrintPages(printer, doc, {}, 1, 1);
    const int job = printer.Printer().LastJobId();
    ASSERT_GT(job, 0);
    EXPECT_EQ(IPP_JSTATE_COMPLETED, WaitForJob("quillo-settings", job));
    EXPECT_EQ("2", JobAttribute(job, "copies"));
    EXPECT_EQ("separate-documents-collated-copies",
              JobAttribute(job, "multiple-document-handling"));
    EXPECT_EQ("iso_a4_210x297mm", JobAttribute(job, "media"));
    EXPECT_EQ("two-sided-long-edge", JobAttribute(job, "sides"));
    EXPECT_EQ("monochrome", JobAttribute(job, "print-color-mode"));
    EXPECT_EQ("memo.txt", JobAttribute(job, "job-name"));
}

TEST_F(CupsPrintTest, RejectingQueuesAreHiddenAndNewQueuesAreNoticed) {
    AddFilePrinter("quillo-a");
    THxPrinter printer(std::make_unique<platform::CupsPrinterBackend>());
    int notices = 0;
    printer.OnSystemChanged = [&] {
        ++notices;
    };
    EXPECT_TRUE(printer.PrinterNames().contains("quillo-a"));

    AddFilePrinter("quillo-b");
    printer.CheckSystemChange();
    printer.CheckSystemChange();
    EXPECT_EQ(1, notices);
    EXPECT_TRUE(printer.PrinterNames().contains("quillo-b"));

    // A printer chosen in Qt's dialog becomes the selected one.
    QPrinter q(QPrinter::HighResolution);
    SettingsToQPrinter(printer.Printer(), printer.Backend(), q);
    q.setPrinterName("quillo-b");
    ASSERT_EQ("quillo-b", q.printerName());
    SettingsFromQPrinter(q, printer.Printer(), printer.Backend());
    printer.ForceUpdate();
    EXPECT_EQ("quillo-b", printer.PrinterNames().value(printer.Index()));

    ASSERT_TRUE(Server->Admin("cupsreject", {"quillo-b"})) << Server->Error().toStdString();
    printer.CheckSystemChange();
    EXPECT_EQ(2, notices);
    EXPECT_FALSE(printer.PrinterNames().contains("quillo-b"));
}

TEST_F(CupsPrintTest, DialogsSelectThePrinterChosenInThem) {
    AddFilePrinter("quillo-c");
    AddFilePrinter("quillo-d");
    THxPrinter printer(std::make_unique<platform::CupsPrinterBackend>());
    printer.SetIndex(static_cast<int>(printer.PrinterNames().indexOf("quillo-c")));
    printer.SetCopies(3); // pending: an accepted dialog reloads the model

    THxPrinterSetupDialog setup(printer);
    ChooseInNextDialog("quillo-d");
    ASSERT_TRUE(setup.Execute(nullptr));
    EXPECT_EQ("quillo-d", printer.Printer().Device());
    EXPECT_EQ("quillo-d", printer.PrinterNames().value(printer.Index()));
    EXPECT_FALSE(printer.Modified());

    THxPrintDialog print(printer);
    print.MinPage = print.FromPage = 1;
    print.MaxPage = print.ToPage = 4;
    print.PageNumsEnabled = true;
    ChooseInNextDialog("quillo-c");
    ASSERT_TRUE(print.Execute(nullptr));
    EXPECT_EQ(TPrintRange::prAllPages, print.PrintRange);
    EXPECT_EQ("quillo-c", printer.Printer().Device());
}

} // namespace
} // namespace quillo::printing
