#include "InvoiceRangeWindow.h"

#include <QGridLayout>
#include <QLineEdit>

namespace orvane {

namespace {

QLineEdit *numberBox(QWidget *parent, const QString &name)
{
    auto *box = new QLineEdit(parent);
    box->setObjectName(name);
    box->setMaxLength(9);
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

void InvoiceRangeWindow::placeNumberRowsAboveCode()
{
    // The frame puts the code on row 2 and the number rows follow on 3 and 4.
    struct Cell
    {
        QLayoutItem *item;
        int row, column, rowSpan, columnSpan;
    };
    QGridLayout *grid = form();
    QList<Cell> cells;
    for (int i = grid->count() - 1; i >= 0; --i) {
        int row = 0, column = 0, rowSpan = 0, columnSpan = 0;
        grid->getItemPosition(i, &row, &column, &rowSpan, &columnSpan);
        if (row >= 2 && row <= 4)
            cells.append({grid->takeAt(i), row == 2 ? 4 : row - 1, column, rowSpan, columnSpan});
    }
    for (const Cell &cell : cells)
        grid->addItem(cell.item, cell.row, cell.column, cell.rowSpan, cell.columnSpan);
}

QWidget *InvoiceRangeWindow::parameterWidget(ParameterInput field) const
{
    if (field == ParameterInput::FromNo)
        return m_fromInvoice;
    if (field == ParameterInput::ToNo)
        return m_toInvoice;
    return ReportWindow::parameterWidget(field);
}

ReportParameters InvoiceRangeWindow::parameters() const
{
    ReportParameters p = ReportWindow::parameters();
    p.fromNo = m_fromInvoice->text();
    p.toNo = m_toInvoice->text();
    return p;
}

} // namespace orvane
