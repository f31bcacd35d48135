#include "ReportQueries.h"

#include "Connection.h"
#include "Error.h"
#include "MessageStyle.h"
#include "NumberParse.h"
#include "QuotedText.h"
#include "Recordset.h"
#include "Report.h"

#include <QLocale>

#include <algorithm>

namespace orvane {

namespace {

// Nine digits stay clear of the 32-bit identifiers of both databases.
constexpr int MaxNumberLength = 9;

bool isBlank(const QString &text)
{
    return text.trimmed().isEmpty();
}

// The blanks every database reads as blanks around a number. Other white
// space (no-break, ideographic) would stand in the statement as a character
// it cannot read.
bool isSqlBlank(QChar c)
{
    return c == QLatin1Char(' ') || c == QLatin1Char('\t') || c == QLatin1Char('\r') || c == QLatin1Char('\n');
}

bool isDigit(QChar c)
{
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

// Only SQL's own blanks are dropped around the digits.
QString sqlTrimmed(const QString &text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && isSqlBlank(text.at(begin)))
        ++begin;
    while (end > begin && isSqlBlank(text.at(end - 1)))
        --end;
    return text.mid(begin, end - begin);
}

// Only digits, once the surrounding blanks are gone: the invoice numbers of the
// purchase register enter the SQL unquoted.
bool isWholeNumber(const QString &text)
{
    const QString digits = sqlTrimmed(text);
    return !digits.isEmpty() && std::all_of(digits.begin(), digits.end(), isDigit);
}

QString sqlDate(const DateTextFunction &dateText, const QDate &day)
{
    return dateText(day);
}

// The two dates of a "between '...' and '...'": the statement has the outer quotes.
QString dateRange(const DateTextFunction &dateText, const ReportParameters &p)
{
    return sqlDate(dateText, p.from) + QLatin1String("' and '") + sqlDate(dateText, p.to);
}

// The number condition on `column`: a blank end applies no bound.
QString numberCondition(const QString &keyword, const QString &column, const NumberRange &range)
{
    const QString head = QLatin1Char(' ') + keyword + QLatin1Char(' ') + column;
    if (!range.from.isEmpty() && !range.to.isEmpty())
        return head + QLatin1String(" between ") + range.from + QLatin1String(" and ") + range.to;
    if (!range.from.isEmpty())
        return head + QLatin1String(" >= ") + range.from;
    if (!range.to.isEmpty())
        return head + QLatin1String(" <= ") + range.to;
    return QString();
}

// The four values of a purchase or return line, over the line table `a`:
// quantity x price; the discount and the sales tax per unit, each a percentage
// of the undiscounted price plus an amount; and the net value. Every report
// query computes them from here. The percentage terms divide by a whole 100 as
// the host's own queries do: on SQLite that is decimal division only because
// the money columns have REAL affinity (tools/schema.sql).
struct LineValues
{
    QString gross, discount, salesTax, net;
};

LineValues lineValues(const QString &a)
{
    const QString discountPerUnit = QStringLiteral("((%1.Price*%1.Discratio/100)+%1.Discvalue)").arg(a);
    const QString taxPerUnit = QStringLiteral("((%1.Price*%1.stratio/100)+%1.stvalue)").arg(a);
    return {QStringLiteral("%1.Qty*%1.Price").arg(a),
            QStringLiteral("%1.Qty*%2").arg(a, discountPerUnit),
            QStringLiteral("%1.Qty*%2").arg(a, taxPerUnit),
            QStringLiteral("%1.Qty*((%1.Price-%2)+ %3)").arg(a, discountPerUnit, taxPerUnit)};
}

// The values summed over the rows of a group (the two summaries).
QString summedValues(const QString &a)
{
    const LineValues v = lineValues(a);
    return QLatin1String(" ,sum(") + v.gross + QLatin1String(") as Grossvalue ") + QLatin1String(" ,sum(")
        + v.discount + QLatin1String(") as Totaldisc ") + QLatin1String(" ,sum(") + v.salesTax
        + QLatin1String(") as Salestax ") + QLatin1String(" ,sum(") + v.net + QLatin1String(") as NetValue");
}

// The values of each line (the registers and the ledgers).
QString lineColumns(const QString &a)
{
    const LineValues v = lineValues(a);
    return QLatin1String(",(") + v.gross + QLatin1String(") as Grossvalue ") + QLatin1String(",(") + v.discount
        + QLatin1String(") as Totaldisc ") + QLatin1Char(',') + v.salesTax + QLatin1String(" as Salestax ")
        + QLatin1Char(',') + v.net + QLatin1String(" as NetValue");
}

QString purchaseReturnSummarySql(const ReportParameters &p, const DateTextFunction &dateText)
{
    QString sql;
    sql += QLatin1String("select r.Purreturnid,r.Purreturndate,r.purchaseid,v.partyname as vendorname ");
    sql += summedValues(QStringLiteral("rb"));
    sql += QLatin1String(",Sum(rb.Qty) as Qty,Sum(rb.Bonus) as Bonus,rb.Price ");
    sql += QLatin1String(" from purreturns r join purreturnsbody rb on r.Purreturnid=rb.Purreturnid ");
    sql += QLatin1String(" join parties v on v.partyid=r.vendorid ");
    sql += QLatin1String(" where Purreturndate between '");
    sql += dateRange(dateText, p);
    sql += QLatin1String("' ");
    sql += vendorFilter(p.code);
    sql += QLatin1String(" group by rb.Price, r.Purreturnid,r.Purreturndate,r.purchaseid,partyname ");
    sql += QLatin1String(" order by r.Purreturnid,r.Purreturndate,v.partyname");
    return sql;
}

QString purchaseSummarySql(const ReportParameters &p, const DateTextFunction &dateText)
{
    QString sql;
    sql += QLatin1String("select p.purchaseid,p.purchasedate,v.partyname as vendorname ");
    sql += summedValues(QStringLiteral("pb"));
    // The paid amount belongs to the purchase, not to its lines: taken once.
    sql += QLatin1String(",max(p.PaidAmount) as PaidAmount  ");
    sql += QLatin1String(" from purchase p join purchasebody pb on p.purchaseid=pb.purchaseid ");
    sql += QLatin1String(" join parties v on v.partyid=p.vendorid ");
    sql += QLatin1String(" where purchasedate between '");
    sql += dateRange(dateText, p);
    sql += QLatin1String("' ");
    sql += vendorFilter(p.code);
    sql += QLatin1String(" group by p.purchaseid,p.purchasedate,partyname ");
    sql += QLatin1String(" order by p.purchaseid,p.purchasedate,v.partyname");
    return sql;
}

QString purchaseReturnRegisterSql(const ReportParameters &p, const DateTextFunction &dateText)
{
    const NumberRange range = sqlNumberRange(ReportKind::PurchaseReturnRegister, p);
    QString sql;
    sql += QLatin1String("select r.purreturnid,r.purreturndate,v.partyname as vendorname ");
    sql += QLatin1String(",pr.productid,pr.productname ");
    sql += QLatin1String(",rb.qty,rb.bonus,rb.price");
    sql += lineColumns(QStringLiteral("rb"));
    sql += QLatin1String(", ");
    sql += QLatin1String(" r.VendorID, r.Narration, Units.UnitName, rb.Multiplier,r.ExpPlus, r.ExpMinus, r.ComRatio, r.ReceivedAmount ");
    sql += QLatin1String(" from purreturns r join purreturnsbody rb on r.purreturnid=rb.purreturnid ");
    sql += QLatin1String(" join parties v on v.partyid=r.vendorid join products pr on pr.productid=rb.productid INNER JOIN Units ON pr.UnitID = Units.UnitID ");
    sql += QLatin1String(" where 1=1 and r.purreturndate between '");
    sql += dateRange(dateText, p);
    sql += QLatin1String("'");
    sql += vendorFilter(p.code);
    sql += numberCondition(QStringLiteral("And"), QStringLiteral("r.purreturnid"), range);
    sql += QLatin1String(" order by r.purreturnid,pr.productid");
    return sql;
}

QString purchaseRegisterSql(const ReportParameters &p, const DateTextFunction &dateText)
{
    const NumberRange range = sqlNumberRange(ReportKind::PurchaseRegisterInvoiceWise, p);
    QString sql;
    sql += QLatin1String("select p.purchaseid,p.purchasedate,p.billno,v.partyname as vendorname ");
    sql += QLatin1String(",pr.productid,pr.productname ");
    sql += QLatin1String(",pb.qty,pb.bonus,pb.price");
    sql += lineColumns(QStringLiteral("pb"));
    sql += QLatin1Char(' ');
    sql += QLatin1String(" from purchase p join purchasebody pb on p.purchaseid=pb.purchaseid ");
    sql += QLatin1String(" join parties v on v.partyid=p.vendorid join products pr on pr.productid=pb.productid ");
    sql += QLatin1String(" where p.purchasedate between '");
    sql += dateRange(dateText, p);
    sql += QLatin1String("'");
    sql += numberCondition(QStringLiteral("and"), QStringLiteral("p.purchaseid"), range);
    sql += vendorFilter(p.code);
    sql += QLatin1String(" order by p.purchaseid,pr.productid");
    return sql;
}

QString purchaseLedgerSql(const ReportParameters &p, const DateTextFunction &dateText)
{
    QString sql;
    sql += QLatin1String("select p.purchaseid,p.purchasedate,p.billno,v.partyname as vendorname ");
    sql += QLatin1String(",pb.qty,pb.bonus,pb.price");
    sql += lineColumns(QStringLiteral("pb"));
    sql += QLatin1Char(' ');
    sql += QLatin1String(" from purchase p join purchasebody pb on p.purchaseid=pb.purchaseid ");
    sql += QLatin1String(" join parties v on v.partyid=p.vendorid ");
    sql += QLatin1String(" where purchasedate between '");
    sql += dateRange(dateText, p);
    sql += QLatin1String("'");
    sql += QLatin1String(" and pb.productid='");
    sql += quotedCode(p.code);
    sql += QLatin1String("' ");
    // "vendorname" is the select-list name; a parties alias in front of it
    // names no column, and both databases refuse that.
    sql += QLatin1String(" order by p.purchaseid,p.purchasedate,vendorname");
    return sql;
}

QString purchaseReturnLedgerSql(const ReportParameters &p, const DateTextFunction &dateText)
{
    QString sql;
    sql += QLatin1String(" SELECT r.PurReturnID, v.PartyName AS vendorname, rb.Qty, rb.Bonus, rb.Price");
    sql += lineColumns(QStringLiteral("rb"));
    sql += QLatin1String(", r.PurReturnDate FROM PurReturns ");
    sql += QLatin1String(" r INNER JOIN PurReturnsBody rb ON r.PurReturnID = rb.PurReturnID INNER JOIN Parties v ON v.PartyID = r.VendorID ");
    sql += QLatin1String(" WHERE (r.PurReturnDate BETWEEN '");
    sql += dateRange(dateText, p);
    sql += QLatin1String("') AND (rb.ProductID = '");
    sql += quotedCode(p.code);
    sql += QLatin1String("') ");
    sql += QLatin1String(" ORDER BY r.PurReturnID, r.PurReturnDate, vendorname");
    return sql;
}

QString productWisePurchasesSql(const ReportParameters &p, const DateTextFunction &dateText)
{
    const QString from = sqlDate(dateText, p.from);
    const QString to = sqlDate(dateText, p.to);
    QString sql;
    sql += QLatin1String(" SELECT Products.ProductId, Products.ProductName, ISNULL(Purchasedata.Qty, 0) AS PQty,ISNULL(Purchasedata.Price, 0) AS PPrice, ISNULL(Purchasedata.Discount, 0) AS PDisc,ISNULL(Purchasedata.Value, ");
    sql += QLatin1String(" 0) AS PValue,ISNULL(PurReturnData.Qty, 0) AS RQty, ISNULL(PurReturnData.Price, 0) AS RPrice, ISNULL(PurReturnData.Discount, 0) AS RDisc,ISNULL(PurReturnData.Value, 0) AS RValue,Units.UnitName FROM Products LEFT OUTER JOIN Units ON Products.UnitID = Units.UnitID LEFT OUTER JOIN ( SELECT ");
    sql += QLatin1String(" ProductID, SUM(QTY) AS [Qty], AVG(Price) AS [Price], SUM((QTY * Price) - TTLValue)AS [Discount], SUM(TTLValue + TTLSalesTax) AS [Value] FROM PurReturns INNER JOIN PurReturnsBody ON PurReturns.PurReturnID ");
    sql += QLatin1String(" = PurReturnsBody.PurReturnID Where PurReturns.PurReturnDate between '");
    sql += from;
    sql += QLatin1String("' and '");
    sql += to;
    sql += QLatin1String("' GROUP BY ProductID) PurReturnData ON Products.ProductId = PurReturnData.ProductID RIGHT OUTER JOIN (SELECT ProductID, ");
    sql += QLatin1String(" SUM(QTY) AS [Qty], AVG(Price) AS [Price], SUM((QTY * Price) - TTLValue) AS [Discount], SUM(TTLValue + TTLSalesTax) AS [Value] FROM Purchase INNER JOIN PurchaseBody ON Purchase.PurchaseId ");
    sql += QLatin1String(" = PurchaseBody.PurchaseId Where Purchase.Purchasedate between '");
    sql += from;
    sql += QLatin1String("' and '");
    sql += to;
    sql += QLatin1String("' GROUP BY ProductID) Purchasedata ON Products.ProductId = Purchasedata.ProductID");
    if (!p.code.isEmpty())
        sql += QLatin1String(" where products.companyid ='") + quotedCode(p.code) + QLatin1String("'");
    return sql;
}

} // namespace

// --- Report queries ---------------------------------------------------------

QString reportSql(ReportKind kind, const ReportParameters &parameters, const DateTextFunction &dateText)
{
    if (const std::optional<ParameterRefusal> refusal = checkReportParameters(kind, parameters))
        throw Error(refusal->message, refusal->title);
    switch (kind) {
    case ReportKind::PurchaseSummary:
        return purchaseSummarySql(parameters, dateText);
    case ReportKind::PurchaseRegisterInvoiceWise:
        return purchaseRegisterSql(parameters, dateText);
    case ReportKind::ProductWisePurchases:
        return productWisePurchasesSql(parameters, dateText);
    case ReportKind::ProductPurchaseLedger:
        return purchaseLedgerSql(parameters, dateText);
    case ReportKind::ProductPurchaseReturnLedger:
        return purchaseReturnLedgerSql(parameters, dateText);
    case ReportKind::PurchaseReturnRegister:
        return purchaseReturnRegisterSql(parameters, dateText);
    case ReportKind::PurchaseReturnSummary:
        return purchaseReturnSummarySql(parameters, dateText);
    }
    return QString();
}

QString reportSql(ReportKind kind, const ReportParameters &parameters, const Connection &connection)
{
    return reportSql(kind, parameters, [&connection](const QDate &day) { return connection.dateText(day); });
}

std::optional<ParameterRefusal> checkReportParameters(ReportKind kind, const ReportParameters &parameters)
{
    const QString caption = reportDefinition(kind).caption;
    const QString alert = QStringLiteral("Alert");
    if (parameters.from > parameters.to)
        return ParameterRefusal{QString::fromLatin1(messages::DateOrder), vbExclamation, alert,
                                ParameterInput::FromDate};

    if (kind == ReportKind::PurchaseRegisterInvoiceWise || kind == ReportKind::PurchaseReturnRegister) {
        const bool typedAsIs = kind == ReportKind::PurchaseRegisterInvoiceWise;
        const struct { const QString &text; QString name; ParameterInput field; } boxes[] = {
            {parameters.fromNo, QStringLiteral("From Invoice No"), ParameterInput::FromNo},
            {parameters.toNo, QStringLiteral("To Invoice No"), ParameterInput::ToNo},
        };
        for (const auto &box : boxes) {
            if (isBlank(box.text))
                continue;
            if (sqlTrimmed(box.text).size() > MaxNumberLength)
                return ParameterRefusal{box.name + QStringLiteral(" takes at most nine digits."), vbExclamation,
                                        caption, box.field};
            // These enter the statement unquoted.
            if (typedAsIs && !isWholeNumber(box.text))
                return ParameterRefusal{box.name + QStringLiteral(" must be a whole number."), vbCritical, caption,
                                        box.field};
        }
        if (!isBlank(parameters.fromNo) && !isBlank(parameters.toNo)) {
            const NumberRange range = sqlNumberRange(kind, parameters);
            if (range.from.toDouble() > range.to.toDouble())
                return ParameterRefusal{QStringLiteral("From Invoice No must be less than or equal to To Invoice No"),
                                        vbExclamation, alert, ParameterInput::FromNo};
        }
    }

    if (std::optional<ParameterRefusal> refusal = checkCode(kind, parameters.code))
        return refusal;
    const ReportDefinition &definition = reportDefinition(kind);
    if (definition.codeRequired && isBlank(parameters.code))
        return ParameterRefusal{QString::fromLatin1(messages::EnterProductCode), vbExclamation, caption,
                                ParameterInput::Code};
    return std::nullopt;
}

std::optional<ParameterRefusal> checkCode(ReportKind kind, const QString &code)
{
    if (isBlank(code) || isWholeNumber(code))
        return std::nullopt;
    const ReportDefinition &definition = reportDefinition(kind);
    return ParameterRefusal{codeNoun(definition.codeKind) + QStringLiteral(" code must be a whole number: digits only."),
                            vbExclamation, definition.caption, ParameterInput::Code};
}

QString quotedCode(const QString &code)
{
    return quotedText(code);
}

QString vendorFilter(const QString &code)
{
    if (isBlank(code))
        return QString();
    return QLatin1String(" and v.partyid='") + quotedCode(code) + QLatin1String("'");
}

NumberRange sqlNumberRange(ReportKind kind, const ReportParameters &parameters)
{
    const auto bound = [kind](const QString &text) {
        if (isBlank(text))
            return QString();
        return kind == ReportKind::PurchaseReturnRegister ? LeadingNumberText(text) : sqlTrimmed(text);
    };
    return {bound(parameters.fromNo), bound(parameters.toNo)};
}

NumberRange printedNumberRange(ReportKind kind, const Recordset &rows)
{
    const int column = rows.fieldIndex(kind == ReportKind::PurchaseReturnRegister ? QStringLiteral("purreturnid")
                                                                                  : QStringLiteral("purchaseid"));
    const int count = column < 0 ? 0 : rows.RecordCount();
    if (count == 0)
        return {};
    double lowest = rows.value(0, column).toDouble();
    double highest = lowest;
    for (int row = 1; row < count; ++row) {
        const double number = rows.value(row, column).toDouble();
        lowest = std::min(lowest, number);
        highest = std::max(highest, number);
    }
    return {NumberText(lowest), NumberText(highest)};
}

// --- Lookups ----------------------------------------------------------------

QString lookupSql(ReportKind kind, const QString &typedCode)
{
    const QString number = LeadingNumberText(typedCode);
    switch (kind) {
    case ReportKind::PurchaseReturnSummary:
        return QLatin1String(" Select PartyId,PartyName FROM Parties Where IsVendor = 1  And PartyId='")
            + number + QLatin1String("'");
    case ReportKind::PurchaseSummary:
        return QLatin1String(" Select PartyId,PartyName FROM Parties Where Isvendor=1 And PartyId='")
            + number + QLatin1String("'");
    case ReportKind::PurchaseReturnRegister:
        return QLatin1String(" Select PartyId,PartyName FROM Parties Where IsVendor = 1 And PartyId='")
            + number + QLatin1String("'");
    case ReportKind::PurchaseRegisterInvoiceWise:
        return QLatin1String(" Select PartyId,PartyName FROM Parties Where PartyId='") + number
            + QLatin1String("'");
    case ReportKind::ProductPurchaseLedger:
    case ReportKind::ProductPurchaseReturnLedger:
        return QLatin1String(" Select * FROM Products ") + QLatin1String(" where ProductId=") + number;
    case ReportKind::ProductWisePurchases:
        return QLatin1String(" Select * FROM Companies Where CompanyId=") + number;
    }
    return QString();
}

QString lookupNameColumn(ReportKind kind)
{
    switch (reportDefinition(kind).codeKind) {
    case CodeKind::Vendor:
        return QStringLiteral("PartyName");
    case CodeKind::Product:
        return QStringLiteral("ProductName");
    case CodeKind::Company:
        return QStringLiteral("CompanyName");
    }
    return QString();
}

std::optional<QString> lookupName(ReportKind kind, const QString &typedCode,
                                  const std::shared_ptr<Connection> &connection)
{
    if (typedCode.isEmpty())
        return std::nullopt;
    Recordset rs;
    rs.Open(lookupSql(kind, typedCode), connection, Recordset::adOpenStatic, Recordset::adLockReadOnly, -1);
    std::optional<QString> name;
    if (rs.RecordCount() >= 1) {
        rs.MoveFirst();
        name = rs.Fields(lookupNameColumn(kind)).toString();
    }
    rs.Close();
    return name;
}

// --- Headings ---------------------------------------------------------------

QString dateRangeHeading(const QDate &from, const QDate &to)
{
    const QLocale locale = QLocale::system();
    const QString format = QStringLiteral("dd-MMM-yyyy");
    return QLatin1String("Date Between : ") + locale.toString(from, format) + QLatin1String(" To ")
        + locale.toString(to, format);
}

QString invoiceHeading(ReportKind kind, const ReportParameters &parameters, const NumberRange &printed)
{
    const NumberRange applied = sqlNumberRange(kind, parameters);
    return QLatin1String("Invoiceno Between : ") + (applied.from.isEmpty() ? printed.from : applied.from)
        + QLatin1String(" To ") + (applied.to.isEmpty() ? printed.to : applied.to);
}

QString productHeading(const QString &code, const QString &name)
{
    return QLatin1String("Product : ") + code + QLatin1String("   ") + name;
}

QString productWiseTitle()
{
    return QStringLiteral("Product Wise Purchase ");
}

QStringList productWiseParameterTexts(const ReportParameters &parameters, const QString &companyName)
{
    const QString format = QStringLiteral("dd/MM/yyyy");
    return {
        QLatin1String("Company Id - ") + parameters.code,
        QLatin1String("From : ") + parameters.from.toString(format) + QLatin1String(",   To : ")
            + parameters.to.toString(format),
        QLatin1String("Company Name - ") + companyName,
    };
}

QString companyNameFilter()
{
    return QStringLiteral("registrykey='companyname'");
}

QString readCompanyName(ReportKind kind, const std::shared_ptr<Connection> &connection)
{
    const ReportDefinition &def = reportDefinition(kind);
    if (def.companyNameSql.isEmpty())
        return QString();
    Recordset rs;
    rs.Open(def.companyNameSql, connection, Recordset::adOpenStatic, Recordset::adLockReadOnly, -1);
    rs.setFilter(companyNameFilter());
    if (rs.isEOF() || rs.isBOF()) {
        rs.Close();
        throw Error(QStringLiteral("The company name is missing: no row of \"%1\" has %2.")
                        .arg(def.companyNameSql, companyNameFilter()),
                    def.caption);
    }
    const QString name = rs.Fields(def.companyNameColumn).toString();
    rs.Close();
    return name;
}

void applyHeadings(Report &report, ReportKind kind, const ReportParameters &parameters,
                   const QString &codeName, const std::shared_ptr<Connection> &connection,
                   const Recordset &rows)
{
    const ReportDefinition &definition = reportDefinition(kind);
    report.setDocumentTitle(definition.caption);
    report.setDateRange(parameters.from, parameters.to);
    const int headings = definition.headings;
    if (headings & CompanyNameHeading)
        report.object(QStringLiteral("txtCompName")).SetText(readCompanyName(kind, connection));
    if (headings & DateRangeHeading)
        report.object(QStringLiteral("txtDate")).SetText(dateRangeHeading(parameters.from, parameters.to));
    if (headings & InvoiceHeading)
        report.object(QStringLiteral("Txtinvoice")).SetText(invoiceHeading(kind, parameters, printedNumberRange(kind, rows)));
    if (headings & ProductHeading)
        report.object(QStringLiteral("txtProduct")).SetText(productHeading(parameters.code, codeName));
    if (headings & ProductWiseHeadings) {
        report.setReportTitle(productWiseTitle());
        const QStringList texts = productWiseParameterTexts(parameters, codeName);
        for (int i = 0; i < texts.size(); ++i)
            report.ParameterFields(i + 1).AddCurrentValue(texts.at(i));
        report.SelectPrinter(QStringLiteral("Dummy Driver"), QStringLiteral("Ding Dong"), QStringLiteral("LPT1"));
        report.setPaperOrientation(Report::crLandscape);
    }
}

} // namespace orvane
