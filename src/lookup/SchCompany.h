#pragma once

#include "LookupDialog.h"

namespace orvane {

/// "Search Company": every company in name order, loaded once per opening.
/// Typing in the filter moves the active row to the first company whose name
/// begins with the text, case and accents aside (a blank filter: the first row)
/// and never narrows the list. When no name begins so, no row is active, Enter
/// and Select do nothing and the filter box shows the miss.
/// Hands back ParaOutCompanyID and ParaOutCompanyName.
class SchCompany : public LookupDialog
{
    Q_OBJECT
public:
    explicit SchCompany(QWidget *parent = nullptr);

    /// Code and name of the chosen company; "" when nothing was chosen.
    QString ParaOutCompanyID;
    QString ParaOutCompanyName;

    /// The search criteria for filter text `filter` (taken as typed).
    static QString findCriteria(const QString &filter);

protected:
    QString sourceText() const override;
    void filterChanged() override;
};

} // namespace orvane
