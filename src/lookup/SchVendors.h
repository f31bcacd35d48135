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

    /// The list statement for filter text `filter` (taken as typed).
    static QString listSql(const QString &filter);

protected:
    QString sourceText(const QString &filter) const override;
};

} // namespace orvane
