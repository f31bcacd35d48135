#include "pmtPurchaseRegisterIW.h"

#include "crpPurchaseRegisterIW.h"
#include "NumericKeyEventFilter.h"
#include "Report.h"
#include "SchVendors.h"
#include "SharedState.h"

#include <QLineEdit>
#include <QPushButton>

namespace orvane {

namespace {

ReportWindow::Controls registerControls()
{
    ReportWindow::Controls controls;
    controls.kind = ReportKind::PurchaseRegisterInvoiceWise;
    controls.codeMaxLength = 5;
    return controls;
}

} // namespace

pmtPurchaseRegisterIW::pmtPurchaseRegisterIW(QWidget *parent)
    : InvoiceRangeWindow(registerControls(), parent)
{
    setObjectName(QStringLiteral("pmtPurchaseRegisterIW"));
    placeNumberRowsAboveCode();
    NumericKeyEventFilter::install(fromInvoiceBox(), false);
    NumericKeyEventFilter::install(toInvoiceBox(), false);
    setTabOrderChain(QList<QWidget *>{fromDate(), toDate(), fromInvoiceBox(), toInvoiceBox(), codeBox(),
                      previewButton(), printButton(), closeButton(), lookupButton(), nameBox()});
}

ReportWindow::LookupChoice pmtPurchaseRegisterIW::showLookup(QWidget *owner)
{
    auto *dialog = SharedState::current().window<SchVendors>();
    dialog->showModal(owner);
    return {dialog->ParaOutVendorID, dialog->ParaOutVendorName};
}

std::unique_ptr<Report> pmtPurchaseRegisterIW::createReport() const
{
    return std::make_unique<crpPurchaseRegisterIW>();
}

} // namespace orvane
