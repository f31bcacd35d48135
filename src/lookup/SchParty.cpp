#include "SchParty.h"

#include "Recordset.h"

namespace orvane {

namespace {

LookupDialog::Frame partyFrame()
{
    LookupDialog::Frame frame;
    frame.caption = QObject::tr("Search Parties");
    frame.columns = {{QStringLiteral("ID"), QObject::tr("Party ID"), QStringLiteral("PartyId"), 1.0},
                     {QStringLiteral("Name"), QObject::tr("Name"), QStringLiteral("Partyname"), 3.75},
                     {QStringLiteral("City"), QObject::tr("Sector"), QStringLiteral("City"), 1.9}};
    frame.idField = QStringLiteral("PartyID");
    frame.nameField = QStringLiteral("PartyName");
    frame.cursorType = Recordset::adOpenDynamic;
    frame.lockType = Recordset::adLockOptimistic;
    return frame;
}

} // namespace

SchParty::SchParty(QWidget *parent)
    : LookupDialog(partyFrame(), parent)
{
    setHandBackMembers(&ParaOutPartyID, &ParaOutPartyName);
}

QString SchParty::listSql()
{
    // No ORDER BY: the parties come in the database's own order.
    return QStringLiteral("Select * FROM Parties WHERE 1=1 ");
}

QString SchParty::filterSql(const QString &filter)
{
    return containsCriteria(QStringLiteral("PartyName"), filter);
}

QString SchParty::sourceText() const
{
    return listSql();
}

QString SchParty::filterCriteria(const QString &filter) const
{
    return filterSql(filter);
}

} // namespace orvane
