#pragma once

#include <QDate>
#include <QString>

#include <vector>

namespace orvane {

/// The seven reports, in the order of the command-line tool's usage text.
enum class ReportKind {
    PurchaseSummary,             // pmtPurchaseSummary
    PurchaseRegisterInvoiceWise, // pmtPurchaseRegisterIW
    ProductWisePurchases,        // RptProductWisePurchases
    ProductPurchaseLedger,       // RptPurchaseLedger
    ProductPurchaseReturnLedger, // pmtPurchaseReturnLedger
    PurchaseReturnRegister,      // RptPurchaseReturnRegister
    PurchaseReturnSummary,       // RptPurchaseReturnSummary
};

/// What the code box of a report window holds.
enum class CodeKind { Vendor, Product, Company };

/// "Vendor", "Product" or "Company", as the messages name a code's kind.
QString codeNoun(CodeKind kind);

/// The headings a report sets, as bit flags.
enum ReportHeading {
    CompanyNameHeading = 0x01,  // txtCompName, read from the database
    DateRangeHeading = 0x02,    // txtDate, "Date Between : ..."
    InvoiceHeading = 0x04,      // Txtinvoice, "Invoiceno Between : ..."
    ProductHeading = 0x08,      // txtProduct, "Product : ..."
    ProductWiseHeadings = 0x10, // report title and the three report parameters
};

/// Everything about one report that is fixed: names, captions, which
/// headings it sets and where its company name comes from.
struct ReportDefinition
{
    ReportKind kind = ReportKind::PurchaseSummary;
    QString caption;           // window caption; title of the no-record message
    QString layoutClass;       // report layout class, e.g. "crpPurchaseSummary"
    QString commandName;       // command-line name, e.g. "purchase-summary"
    CodeKind codeKind = CodeKind::Vendor;
    bool codeRequired = false; // the ledgers refuse an empty product code
    int headings = 0;          // ReportHeading flags
    QString companyNameSql;    // source of the company-name heading; "" when none
    QString companyNameColumn; // its value column
    QString noRecordMessage;   // "No record exists." or "No record found"
    QString noRecordTitle;     // the caption, or "Information"
};

/// The From date a report starts with when the host gives none: the first
/// day of `today`'s month.
QDate builtInFromDate(const QDate &today);

/// All seven, in ReportKind order.
const std::vector<ReportDefinition> &reportDefinitions();
const ReportDefinition &reportDefinition(ReportKind kind);
/// The report called `commandName` on the command line; nullptr when none is.
const ReportDefinition *findReportByCommandName(const QString &commandName);

/// Fixed texts shown to the user.
namespace messages {
inline constexpr char NoRecordExists[] = "No record exists.";
inline constexpr char NoRecordFound[] = "No record found";
inline constexpr char EnterProductCode[] = "Enter Product Code.";
inline constexpr char ProductCodeDoesntExist[] = "Product Code doesn't exist.";
inline constexpr char PleaseEnterProductId[] = "Please Enter Product Id";
inline constexpr char DateOrder[] = "From date must be less than or equal to To date";
inline constexpr char AllCompanies[] = "All Companies";
} // namespace messages

} // namespace orvane
