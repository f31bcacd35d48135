#include "pmtPurchaseReturnLedger.h"

#include "crpPurchaseReturnLedger.h"
#include "MessageBox.h"
#include "Report.h"

#include <QLineEdit>

namespace orvane {

pmtPurchaseReturnLedger::pmtPurchaseReturnLedger(QWidget *parent)
    : RptPurchaseLedger(productControls(ReportKind::ProductPurchaseReturnLedger), parent)
{
    setObjectName(QStringLiteral("pmtPurchaseReturnLedger"));
}

std::unique_ptr<Report> pmtPurchaseReturnLedger::createReport() const
{
    return std::make_unique<crpPurchaseReturnLedger>();
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
