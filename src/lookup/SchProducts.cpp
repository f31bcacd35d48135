#include "SchProducts.h"

#include "Recordset.h"

namespace orvane {

namespace {

LookupDialog::Frame productFrame()
{
    LookupDialog::Frame frame;
    frame.caption = QObject::tr("Search Products");
    frame.selectName = QStringLiteral("BtnSelect");
    frame.closeName = QStringLiteral("BtnClose");
    frame.columns = {{QStringLiteral("ID"), QObject::tr("Product ID"), QStringLiteral("ProductId"), 1.0},
                     {QStringLiteral("Name"), QObject::tr("Name"), QStringLiteral("ProductName"), 3.5},
                     {QStringLiteral("City"), QObject::tr("Company"), QStringLiteral("CompanyName"), 2.2}};
    frame.idField = QStringLiteral("ProductId");
    frame.nameField = QStringLiteral("ProductName");
    frame.cursorType = Recordset::adOpenStatic;
    frame.lockType = Recordset::adLockReadOnly;
    frame.newRecordsetPerLoad = true;
    return frame;
}

} // namespace

SchProducts::SchProducts(QWidget *parent)
    : LookupDialog(productFrame(), parent)
{
    setHandBackMembers(&ParaOutProductID, &ParaOutProductName);
}

QString SchProducts::listSql(bool both, bool isBardana, bool isBroker)
{
    const QString base = QStringLiteral(
        "Select Products.*,CompanyName  FROM Products Inner join Companies on "
        "Companies.CompanyId = Products.CompanyId ");
    const QString orderBy = QStringLiteral(" order by Productname");
    if (both)
        return base + QStringLiteral("order by Productname");
    if (isBardana)
        return base + QStringLiteral("Where Products.IsBardana=1 ") + orderBy;
    if (isBroker)
        return base + QStringLiteral("Where IsNull(Products.IsBroker,0)=1  ") + orderBy;
    return base + QStringLiteral("Where Products.IsCrop=0  ") + orderBy;
}

QString SchProducts::filterSql(const QString &filter, bool both)
{
    return both ? QString() : containsCriteria(QStringLiteral("ProductName"), filter);
}

QString SchProducts::sourceText() const
{
    return listSql(ParaInBoth, ParaInIsBardana, ParaInIsBroker);
}

QString SchProducts::filterCriteria(const QString &filter) const
{
    return filterSql(filter, ParaInBoth);
}

} // namespace orvane
