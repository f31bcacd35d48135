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

    /// The list statement for filter text `filter` (taken as typed).
    static QString listSql(const QString &filter);

protected:
    QString sourceText(const QString &filter) const override;
};

} // namespace orvane
