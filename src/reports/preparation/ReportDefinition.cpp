#include "ReportDefinition.h"

namespace orvane {

namespace {

std::vector<ReportDefinition> makeDefinitions()
{
    const QString exists = QString::fromLatin1(messages::NoRecordExists);
    std::vector<ReportDefinition> all;

    ReportDefinition d;
    d.kind = ReportKind::PurchaseSummary;
    d.caption = QStringLiteral("Purchase Summary");
    d.layoutClass = QStringLiteral("crpPurchaseSummary");
    d.commandName = QStringLiteral("purchase-summary");
    d.codeKind = CodeKind::Vendor;
    d.headings = DateRangeHeading;
    d.noRecordMessage = exists;
    d.noRecordTitle = d.caption;
    all.push_back(d);

    d = ReportDefinition();
    d.kind = ReportKind::PurchaseRegisterInvoiceWise;
    d.caption = QStringLiteral("Purchase Register (Invoicewise)");
    d.layoutClass = QStringLiteral("crpPurchaseRegisterIW");
    d.commandName = QStringLiteral("purchase-register");
    d.codeKind = CodeKind::Vendor;
    d.headings = InvoiceHeading;
    d.noRecordMessage = exists;
    d.noRecordTitle = d.caption;
    all.push_back(d);

    d = ReportDefinition();
    d.kind = ReportKind::ProductWisePurchases;
    d.caption = QStringLiteral("Product Wise Purchases");
    d.layoutClass = QStringLiteral("CrpProductWisePurchase");
    d.commandName = QStringLiteral("product-wise-purchases");
    d.codeKind = CodeKind::Company;
    d.headings = ProductWiseHeadings;
    d.noRecordMessage = QString::fromLatin1(messages::NoRecordFound);
    d.noRecordTitle = QStringLiteral("Information");
    all.push_back(d);

    d = ReportDefinition();
    d.kind = ReportKind::ProductPurchaseLedger;
    d.caption = QStringLiteral("Product Purchase Ledger");
    d.layoutClass = QStringLiteral("crpPurchaseLedger");
    d.commandName = QStringLiteral("purchase-ledger");
    d.codeKind = CodeKind::Product;
    d.codeRequired = true;
    d.headings = DateRangeHeading | ProductHeading;
    d.noRecordMessage = exists;
    d.noRecordTitle = d.caption;
    all.push_back(d);

    d = ReportDefinition();
    d.kind = ReportKind::ProductPurchaseReturnLedger;
    d.caption = QStringLiteral("Product Purchase Return Ledger");
    d.layoutClass = QStringLiteral("crpPurchaseReturnLedger");
    d.commandName = QStringLiteral("purchase-return-ledger");
    d.codeKind = CodeKind::Product;
    d.codeRequired = true;
    d.headings = CompanyNameHeading | DateRangeHeading | ProductHeading;
    d.companyNameSql = QStringLiteral("select * from registry");
    d.companyNameColumn = QStringLiteral("registryvalue");
    d.noRecordMessage = exists;
    d.noRecordTitle = d.caption;
    all.push_back(d);

    d = ReportDefinition();
    d.kind = ReportKind::PurchaseReturnRegister;
    d.caption = QStringLiteral("Purchase Return Register");
    d.layoutClass = QStringLiteral("CrpPurchaseReturnRegister");
    d.commandName = QStringLiteral("purchase-return-register");
    d.codeKind = CodeKind::Vendor;
    d.headings = DateRangeHeading | InvoiceHeading;
    d.noRecordMessage = exists;
    d.noRecordTitle = d.caption;
    all.push_back(d);

    d = ReportDefinition();
    d.kind = ReportKind::PurchaseReturnSummary;
    d.caption = QStringLiteral("Purchase Returns Summary");
    d.layoutClass = QStringLiteral("crpPurchaseReturnSummary");
    d.commandName = QStringLiteral("purchase-return-summary");
    d.codeKind = CodeKind::Vendor;
    d.headings = CompanyNameHeading | DateRangeHeading;
    d.companyNameSql = QStringLiteral("select * from Project_registry");
    d.companyNameColumn = QStringLiteral("Value");
    d.noRecordMessage = exists;
    d.noRecordTitle = d.caption;
    all.push_back(d);

    return all;
}

} // namespace

const std::vector<ReportDefinition> &reportDefinitions()
{
    static const std::vector<ReportDefinition> all = makeDefinitions();
    return all;
}

const ReportDefinition &reportDefinition(ReportKind kind)
{
    return reportDefinitions().at(static_cast<size_t>(kind));
}

const ReportDefinition *findReportByCommandName(const QString &commandName)
{
    for (const ReportDefinition &d : reportDefinitions()) {
        if (d.commandName == commandName)
            return &d;
    }
    return nullptr;
}

QDate builtInFromDate(const QDate &today)
{
    return QDate(today.year(), today.month(), 1);
}

QString codeNoun(CodeKind kind)
{
    switch (kind) {
    case CodeKind::Vendor:
        return QStringLiteral("Vendor");
    case CodeKind::Product:
        return QStringLiteral("Product");
    case CodeKind::Company:
        return QStringLiteral("Company");
    }
    return QString();
}

} // namespace orvane
