#pragma once

#include "ReportWindow.h"

class QLineEdit;

namespace orvane {

/// A report window over the vendor code that adds a document-number range:
/// "From Invoice No" (txtFromInvoiceno) and "To Invoice No" (txtToInvoiceno),
/// nine characters each and empty at load: a blank From box means the first
/// number, a blank To box no upper bound. The two registers share it; they
/// differ in whether the boxes filter keys and where they stand in the tab order.
class InvoiceRangeWindow : public ReportWindow
{
    Q_OBJECT
public:
    QLineEdit *fromInvoiceBox() const { return m_fromInvoice; }
    QLineEdit *toInvoiceBox() const { return m_toInvoice; }

    /// The frame's parameters plus both boxes as typed.
    ReportParameters parameters() const override;

protected:
    InvoiceRangeWindow(const Controls &controls, QWidget *parent);

    QWidget *parameterWidget(ParameterInput field) const override;

    /// Shows the two number rows above the code row, for a window whose focus
    /// visits them first.
    void placeNumberRowsAboveCode();

private:
    QLineEdit *m_fromInvoice = nullptr;
    QLineEdit *m_toInvoice = nullptr;
};

} // namespace orvane
