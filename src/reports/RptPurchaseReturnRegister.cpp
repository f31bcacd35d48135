#include "RptPurchaseReturnRegister.h"

#include <QLineEdit>
#include <QPushButton>

namespace orvane {

namespace {

ReportWindow::Controls returnRegisterControls()
{
    ReportWindow::Controls controls;
    controls.kind = ReportKind::PurchaseReturnRegister;
    return controls;
}

} // namespace

RptPurchaseReturnRegister::RptPurchaseReturnRegister(QWidget *parent)
    : InvoiceRangeWindow(returnRegisterControls(), parent)
{
    setObjectName(QStringLiteral("RptPurchaseReturnRegister"));
    // The number boxes come last, after the buttons.
    setTabOrderChain(QList<QWidget *>{fromDate(), toDate(), codeBox(), previewButton(), printButton(), closeButton(),
                      lookupButton(), nameBox(), fromInvoiceBox(), toInvoiceBox()});
}

} // namespace orvane
