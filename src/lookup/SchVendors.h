#pragma once

#include "LookupDialog.h"

namespace orvane {

/// "Search Vendors": parties with IsVendor = 1, narrowed by name as the user
/// types, in name order. Hands back ParaOutVendorID and ParaOutVendorName.
class SchVendors : public LookupDialog
{
    Q_OBJECT
public:
    explicit SchVendors(QWidget *parent = nullptr);

    /// Code and name of the chosen vendor; "" when nothing was chosen.
    QString ParaOutVendorID;
    QString ParaOutVendorName;

    /// The list statement; the filter narrows its rows on our side.
    static QString listSql();
    /// The criteria for filter text `filter` (taken as typed); "" when empty.
    static QString filterSql(const QString &filter);

protected:
    QString sourceText() const override;
    QString filterCriteria(const QString &filter) const override;
};

} // namespace orvane
