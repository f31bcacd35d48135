#include "pmtPurchaseReturnLedger.h"

#include "Error.h"
#include "MessageBox.h"
#include "Report.h"

#include <QLineEdit>

#if __has_include("crpPurchaseReturnLedger.h")
#include "crpPurchaseReturnLedger.h"
#define ORVANE_HAVE_RETURN_LEDGER_LAYOUT 1
#endif

namespace orvane {

pmtPurchaseReturnLedger::pmtPurchaseReturnLedger(QWidget *parent)
    : RptPurchaseLedger(productControls(ReportKind::ProductPurchaseReturnLedger), parent)
{
    setObjectName(QStringLiteral("pmtPurchaseReturnLedger"));
}

std::unique_ptr<Report> pmtPurchaseReturnLedger::createReport() const
{
#ifdef ORVANE_HAVE_RETURN_LEDGER_LAYOUT
    return std::make_unique<crpPurchaseReturnLedger>();
#else
    throw Error(QStringLiteral("The layout crpPurchaseReturnLedger is not built in."),
                QStringLiteral("Orvane"));
#endif
}

void pmtPurchaseReturnLedger::printFlow()
{
    // Untrimmed on purpose: a code of blanks goes on to "Enter Product Code.".
    if (codeBox()->text().isEmpty()) {
        MsgBox(QString::fromLatin1(messages::PleaseEnterProductId), vbOKOnly, QString());
        codeBox()->setFocus(Qt::OtherFocusReason);
        return;
    }
    RptPurchaseLedger::printFlow();
}

void pmtPurchaseReturnLedger::codeBoxClicked()
{
    if (codeBox()->text().isEmpty())
        nameBox()->setText(QString());
}

} // namespace orvane
