#pragma once

#include "LookupDialog.h"

namespace orvane {

/// "Search Products": products with their company, narrowed by name as the
/// user types, in name order. The ParaIn members choose which products are
/// listed; the first true one wins (Both, then Bardana, then Broker), and with
/// none the list holds the products whose IsCrop is 0. A new recordset is
/// opened at every load. Hands back ParaOutProductID and ParaOutProductName.
class SchProducts : public LookupDialog
{
    Q_OBJECT
public:
    explicit SchProducts(QWidget *parent = nullptr);

    /// Code and name of the chosen product; "" when nothing was chosen.
    QString ParaOutProductID;
    QString ParaOutProductName;

    /// Set by the opener before showing; kept across openings.
    bool ParaInBoth = false;       // every product, the filter ignored
    bool ParaInIsBardana = false;  // IsBardana = 1 only
    bool ParaInIsBroker = false;   // IsBroker = 1 only (NULL counts as 0)

    /// The list statement for the modes; the filter narrows its rows on our side.
    static QString listSql(bool both, bool isBardana, bool isBroker);
    /// The criteria for filter text `filter` (taken as typed); "" when empty
    /// or when `both` lists every product whatever is typed.
    static QString filterSql(const QString &filter, bool both);

protected:
    QString sourceText() const override;
    QString filterCriteria(const QString &filter) const override;
};

} // namespace orvane
