#pragma once

#include "LookupDialog.h"

namespace orvane {

/// "Search Parties": every party, narrowed by name as the user types, in the
/// order the database returns them. Hands back ParaOutPartyID and ParaOutPartyName.
class SchParty : public LookupDialog
{
    Q_OBJECT
public:
    explicit SchParty(QWidget *parent = nullptr);

    /// Code and name of the chosen party; "" when nothing was chosen.
    QString ParaOutPartyID;
    QString ParaOutPartyName;

    /// The list statement; the filter narrows its rows on our side.
    static QString listSql();
    /// The criteria for filter text `filter` (taken as typed); "" when empty.
    static QString filterSql(const QString &filter);

protected:
    QString sourceText() const override;
    QString filterCriteria(const QString &filter) const override;
};

} // namespace orvane
