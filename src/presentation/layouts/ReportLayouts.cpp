#include "ReportLayouts.h"

#include "CrpProductWisePurchase.h"
#include "CrpPurchaseReturnRegister.h"
#include "Error.h"
#include "crpPurchaseLedger.h"
#include "crpPurchaseRegisterIW.h"
#include "crpPurchaseReturnLedger.h"
#include "crpPurchaseReturnSummary.h"
#include "crpPurchaseSummary.h"

#include <functional>
#include <utility>
#include <vector>

// Outside the namespace, as Q_INIT_RESOURCE wants.
static void registerLayoutResources()
{
    Q_INIT_RESOURCE(layouts);
}

namespace orvane {

namespace {

template<class T>
std::unique_ptr<Report> make()
{
    return std::make_unique<T>();
}

const std::vector<std::pair<QString, std::unique_ptr<Report> (*)()>> &factories()
{
    static const std::vector<std::pair<QString, std::unique_ptr<Report> (*)()>> list = {
        {QStringLiteral("crpPurchaseReturnSummary"), &make<crpPurchaseReturnSummary>},
        {QStringLiteral("crpPurchaseSummary"), &make<crpPurchaseSummary>},
        {QStringLiteral("CrpPurchaseReturnRegister"), &make<CrpPurchaseReturnRegister>},
        {QStringLiteral("crpPurchaseRegisterIW"), &make<crpPurchaseRegisterIW>},
        {QStringLiteral("crpPurchaseLedger"), &make<crpPurchaseLedger>},
        {QStringLiteral("crpPurchaseReturnLedger"), &make<crpPurchaseReturnLedger>},
        {QStringLiteral("CrpProductWisePurchase"), &make<CrpProductWisePurchase>},
    };
    return list;
}

} // namespace

QString layoutResource(const QString &className)
{
    static const bool registered = (registerLayoutResources(), true);
    Q_UNUSED(registered)
    return QStringLiteral(":/layouts/%1.json").arg(className);
}

QStringList reportLayoutNames()
{
    QStringList names;
    for (const auto &entry : factories())
        names << entry.first;
    return names;
}

std::unique_ptr<Report> createReportLayout(const QString &className)
{
    for (const auto &entry : factories()) {
        if (entry.first == className)
            return entry.second();
    }
    throw Error(QStringLiteral("There is no report layout called \"%1\".").arg(className),
                QStringLiteral("Report layouts"));
}

} // namespace orvane
