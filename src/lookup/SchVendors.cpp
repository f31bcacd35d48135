#include "SchVendors.h"

#include "Recordset.h"

namespace orvane {

namespace {

LookupDialog::Frame vendorFrame()
{
    LookupDialog::Frame frame;
    frame.caption = QObject::tr("Search Vendors");
    frame.columns = {{QStringLiteral("ID"), QObject::tr("Vendor ID"), QStringLiteral("PartyId"), 1.0},
                     {QStringLiteral("Name"), QObject::tr("Name"), QStringLiteral("Partyname"), 3.75},
                     {QStringLiteral("City"), QObject::tr("City"), QStringLiteral("City"), 1.9}};
    frame.idField = QStringLiteral("PartyID");
    frame.nameField = QStringLiteral("PartyName");
    frame.cursorType = Recordset::adOpenStatic;
    frame.lockType = Recordset::adLockReadOnly;
    frame.hasImage = false;
    return frame;
}

} // namespace

SchVendors::SchVendors(QWidget *parent)
    : LookupDialog(vendorFrame(), parent)
{
    setHandBackMembers(&ParaOutVendorID, &ParaOutVendorName);
}

QString SchVendors::listSql()
{
    return QStringLiteral("Select * FROM Parties Where IsVendor=1 order by Partyname");
}

QString SchVendors::filterSql(const QString &filter)
{
    return containsCriteria(QStringLiteral("PartyName"), filter);
}

QString SchVendors::sourceText() const
{
    return listSql();
}

QString SchVendors::filterCriteria(const QString &filter) const
{
    return filterSql(filter);
}

} // namespace orvane
