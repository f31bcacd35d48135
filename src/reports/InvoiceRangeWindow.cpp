#include "InvoiceRangeWindow.h"

#include <QLineEdit>

namespace orvane {

namespace {

QLineEdit *numberBox(QWidget *parent, const QString &name)
{
    auto *box = new QLineEdit(parent);
    box->setObjectName(name);
    box->setMaxLength(5);
    box->setMaximumWidth(90);
    return box;
}

} // namespace

InvoiceRangeWindow::InvoiceRangeWindow(const Controls &controls, QWidget *parent)
    : ReportWindow(controls, parent)
    , m_fromInvoice(numberBox(this, QStringLiteral("txtFromInvoiceno")))
    , m_toInvoice(numberBox(this, QStringLiteral("txtToInvoiceno")))
{
    addFormRow(QStringLiteral("From Invoice No"), m_fromInvoice);
    addFormRow(QStringLiteral("To Invoice No"), m_toInvoice);
}

ReportParameters InvoiceRangeWindow::parameters() const
{
    ReportParameters p = ReportWindow::parameters();
    p.fromNo = m_fromInvoice->text();
    p.toNo = m_toInvoice->text();
    return p;
}

} // namespace orvane
