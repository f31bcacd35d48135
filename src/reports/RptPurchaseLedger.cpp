#include "RptPurchaseLedger.h"

namespace orvane {

ReportWindow::Controls RptPurchaseLedger::productControls(ReportKind kind)
{
    Controls controls;
    controls.kind = kind;
    controls.codeBoxName = QStringLiteral("TxtProductCode");
    controls.nameBoxName = QStringLiteral("TxtProductName");
    controls.lookupButtonName = QStringLiteral("BtnSchProduct");
    controls.codeLabel = QStringLiteral("Product");
    controls.codeMaxLength = 10;
    return controls;
}

RptPurchaseLedger::RptPurchaseLedger(QWidget *parent)
    : RptPurchaseLedger(productControls(ReportKind::ProductPurchaseLedger), parent)
{
    setObjectName(QStringLiteral("RptPurchaseLedger"));
}

RptPurchaseLedger::RptPurchaseLedger(const Controls &controls, QWidget *parent)
    : ReportWindow(controls, parent)
{
}

} // namespace orvane
