#pragma once

#include "ReportWindow.h"

namespace orvane {

/// "Product Wise Purchases": for every product bought in a date range, its
/// purchases beside its returns, optionally for one company's products. An
/// empty company code means all companies and shows "All Companies" in the
/// name box. Preview and Print run the query through RunQuery() (which
/// refuses a reversed date range) and bind the report through BindReport()
/// with a title and three report parameters; Preview shows the viewer
/// modally over this window.
class RptProductWisePurchases : public ReportWindow
{
    Q_OBJECT
public:
    explicit RptProductWisePurchases(QWidget *parent = nullptr);

    /// Refuses what checkParameters refuses (a From date after the To date
    /// with "Alert", a code that is not digits), else runs the report query
    /// through the connection's Execute and makes its rows ReportRecordset.
    /// True when the query ran, whatever its row count. Errors end in
    /// ShowError with false.
    bool RunQuery();

    /// Makes the report over ReportRecordset: title, the three parameters, the
    /// rows (data tag 3, table 1), printer and landscape paper. Errors end in
    /// ShowError, with no report made.
    void BindReport();

    /// RunQuery, then BindReport when rows came back. False on a refused
    /// range, an error or no rows (no message for the last).
    bool PrepareReport() override;

protected:
    void loadStep() override;
    bool f1Lookup() override;
    void codeBoxChanged(const QString &text) override;
    void previewFlow() override;
    void printFlow() override;
};

} // namespace orvane
