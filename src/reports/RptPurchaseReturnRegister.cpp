#include "RptPurchaseReturnRegister.h"

#include "CrpPurchaseReturnRegister.h"
#include "Report.h"
#include "SchVendors.h"
#include "SharedState.h"

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

ReportWindow::LookupChoice RptPurchaseReturnRegister::showLookup(QWidget *owner)
{
    auto *dialog = SharedState::current().window<SchVendors>();
    dialog->showModal(owner);
    return {dialog->ParaOutVendorID, dialog->ParaOutVendorName};
}

std::unique_ptr<Report> RptPurchaseReturnRegister::createReport() const
{
    return std::make_unique<CrpPurchaseReturnRegister>();
}

} // namespace orvane
