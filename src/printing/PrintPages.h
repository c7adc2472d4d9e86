#pragma once

#include "printing/PageMargins.h"
#include "printing/PrintableDocument.h"

#include <QString>

#include <stdexcept>

namespace quillo::printing {

class THxPrinter;

// The margins leave no room to print; the message is for the user.
class EPrintLayoutError : public std::runtime_error {
public:
    explicit EPrintLayoutError(const QString& message)
        : std::runtime_error(message.toStdString()), FMessage(message) {}
    QString Message() const { return FMessage; }

private:
    QString FMessage;
};

// The text shown when the margins leave no printable width or height.
QString PrintAreaTooSmallMessage();

// With fromPage < 1, counts the pages of the document; otherwise prints pages
// fromPage to toPage as one job.  Returns the document's page count either
// way.  Throws EPrintLayoutError before anything is printed when the margins
// leave no room, and aborts the job if anything fails while it is open.
int PrintPages(THxPrinter& printer, const TPrintableDocument& document, const TPageMargins& margins,
               int fromPage, int toPage);

// "#,##0 ページ" with the locale's thousands separator.
QString PageNumberText(int page);

} // namespace quillo::printing
