#include "SchCompany.h"

#include "Recordset.h"
#include "ShowError.h"

#include <QLineEdit>

namespace orvane {

namespace {

LookupDialog::Frame companyFrame()
{
    LookupDialog::Frame frame;
    frame.caption = QObject::tr("Search Company");
    frame.columns = {{QStringLiteral("ID"), QObject::tr("Comp. ID"), QStringLiteral("CompanyId"), 1.0},
                     {QStringLiteral("Name"), QObject::tr("Company Name"), QStringLiteral("Companyname"), 5.6}};
    frame.idField = QStringLiteral("companyid");
    frame.nameField = QStringLiteral("CompanyName");
    frame.cursorType = Recordset::adOpenDynamic;
    frame.lockType = Recordset::adLockOptimistic;
    // Loaded once per opening, into a new recordset; the filter only searches it.
    frame.newRecordsetPerLoad = true;
    return frame;
}

} // namespace

SchCompany::SchCompany(QWidget *parent)
    : LookupDialog(companyFrame(), parent)
{
    setHandBackMembers(&ParaOutCompanyID, &ParaOutCompanyName);
}

QString SchCompany::findCriteria(const QString &filter)
{
    return QStringLiteral("Companyname like '") + quoteFilter(filter) + QStringLiteral("%'");
}

QString SchCompany::sourceText() const
{
    return QStringLiteral("Select * FROM Companies order by Companyname");
}

void SchCompany::filterChanged()
{
    try {
        const std::shared_ptr<Recordset> list = listRecordset();
        if (!list)
            return;
        const QString filter = filterBox()->text();
        bool miss = false;
        if (filter.trimmed().isEmpty()) {
            list->MoveFirst();
        } else {
            list->Find(findCriteria(filter), 0, Recordset::adSearchForward, Recordset::adBookmarkFirst);
            // Nothing matched: no row is active, so that Enter cannot hand back
            // a company the user did not look for.
            miss = list->isEOF();
        }
        showCurrentRecord();
        showFilterMiss(miss);
    } catch (...) {
        ShowError();
    }
}

} // namespace orvane
