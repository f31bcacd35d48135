#include "RptPurchaseLedger.h"

#include "crpPurchaseLedger.h"
#include "MessageBox.h"
#include "Report.h"
#include "SchProducts.h"
#include "SharedState.h"

#include <QLineEdit>

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

ReportWindow::LookupChoice RptPurchaseLedger::showLookup(QWidget *owner)
{
    auto *dialog = SharedState::current().window<SchProducts>();
    dialog->showModal(owner);
    return {dialog->ParaOutProductID, dialog->ParaOutProductName};
}

std::unique_ptr<Report> RptPurchaseLedger::createReport() const
{
    return std::make_unique<crpPurchaseLedger>();
}

bool RptPurchaseLedger::checkBeforeQuery()
{
    // The name box is filled only by a lookup that found the product, and
    // emptied by every change of the code: an empty name means no product.
    const char *refusal = nullptr;
    if (codeBox()->text().trimmed().isEmpty())
        refusal = messages::EnterProductCode;
    else if (nameBox()->text().trimmed().isEmpty())
        refusal = messages::ProductCodeDoesntExist;
    if (!refusal)
        return true;
    MsgBox(QString::fromLatin1(refusal), vbExclamation, caption());
    codeBox()->setFocus(Qt::OtherFocusReason);
    return false;
}

} // namespace orvane
