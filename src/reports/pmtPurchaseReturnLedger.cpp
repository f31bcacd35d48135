#include "pmtPurchaseReturnLedger.h"

#include "MessageBox.h"

#include <QLineEdit>

namespace orvane {

pmtPurchaseReturnLedger::pmtPurchaseReturnLedger(QWidget *parent)
    : RptPurchaseLedger(productControls(ReportKind::ProductPurchaseReturnLedger), parent)
{
    setObjectName(QStringLiteral("pmtPurchaseReturnLedger"));
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
