#include "pmtPurchaseRegisterIW.h"

#include "NumericKeyEventFilter.h"

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

} // namespace orvane
