#pragma once

// The report queries, lookups and headings as plain functions of the typed
// parameters. The report windows and the command-line tool both build their
// SQL and headings here, so each query exists once.

#include "ReportDefinition.h"

#include <QDate>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>

namespace orvane {

class Connection;
class Recordset;
class Report;

/// The parameters of one report as the user typed them.
struct ReportParameters
{
    QDate from;
    QDate to;
    QString code;   // vendor, product or company code, as typed (untrimmed)
    QString fromNo; // "From Invoice No" box as typed (the two registers)
    QString toNo;   // "To Invoice No" box as typed
};

/// Turns a day into the text its database reads between single quotes
/// (Connection::dateText).
using DateTextFunction = std::function<QString(const QDate &)>;

// --- Report queries ---------------------------------------------------------

/// The report query of `kind`, joined piece by piece. Codes that stand between
/// quotes have their apostrophes doubled and are otherwise kept as typed.
/// Throws Error (source: the refusal's title) when checkReportParameters
/// refuses the parameters.
QString reportSql(ReportKind kind, const ReportParameters &parameters,
                  const DateTextFunction &dateText);
QString reportSql(ReportKind kind, const ReportParameters &parameters,
                  const Connection &connection);

/// The entry a refusal is about, where a window puts the focus.
enum class ParameterInput { FromDate, FromNo, ToNo, Code };

/// Parameters refused before any query: the message box as the window shows
/// it (text, MsgBox style, title) and the entry to correct.
struct ParameterRefusal
{
    QString message;
    int style = 0;
    QString title;
    ParameterInput field = ParameterInput::FromDate;
};

/// The checks every window and the command-line tool make before any query,
/// in the order of the form: a From date after the To date ("From date must be
/// less than or equal to To date", exclamation, "Alert"); for the registers, a
/// number box of more than nine characters, a purchase-register box that is
/// neither blank nor a whole number (critical, titled with the caption), and a
/// From number above the To number (exclamation, "Alert"); then a code that is
/// neither blank nor digits between blanks (exclamation, titled with the
/// caption), and a blank code where the report needs one ("Enter Product
/// Code.", exclamation, titled with the caption). Nothing when the parameters
/// pass.
std::optional<ParameterRefusal> checkReportParameters(ReportKind kind, const ReportParameters &parameters);

/// The code check alone: a code box may hold nothing, or digits with only
/// blanks around them (codes are numbers everywhere in the host's books).
std::optional<ParameterRefusal> checkCode(ReportKind kind, const QString &code);

/// `code` with each apostrophe doubled, for a quoted SQL literal; a NUL or
/// half a surrogate pair becomes U+FFFD (quotedText).
QString quotedCode(const QString &code);

/// " and v.partyid='CODE'" when the trimmed code is not empty, else "".
QString vendorFilter(const QString &code);

/// The two ends of an invoice or return number range; "" is no bound.
struct NumberRange
{
    QString from;
    QString to;
};

/// The bounds the SQL applies: the purchase register takes each box's digits
/// as typed, the return register its leading number (LeadingNumberText); a
/// blank box applies no bound at that end.
NumberRange sqlNumberRange(ReportKind kind, const ReportParameters &parameters);
/// The lowest and highest document number among the rows of a register's
/// query ("" for both when there is none).
NumberRange printedNumberRange(ReportKind kind, const Recordset &rows);

// --- Lookups ----------------------------------------------------------------

/// The window's lookup SQL for a typed code, taken by its leading number
/// (LeadingNumberText: 007 -> 7, 12A -> 12, A1 -> 0).
QString lookupSql(ReportKind kind, const QString &typedCode);
/// The column of the lookup's first row that holds the name.
QString lookupNameColumn(ReportKind kind);
/// Looks the code up with lookupSql; returns the name of the first row, or
/// nothing when no row names it. An empty code names nothing. Throws Error on a
/// database error.
std::optional<QString> lookupName(ReportKind kind, const QString &typedCode,
                   const std::shared_ptr<Connection> &connection);

// --- Headings ---------------------------------------------------------------

/// "Date Between : 01-Apr-2024 To 31-Mar-2025" (system month names).
QString dateRangeHeading(const QDate &from, const QDate &to);
/// "Invoiceno Between : F To T": the bounds applied (sqlNumberRange), the
/// lowest or highest number printed standing in for a blank box, so that the
/// heading covers every document the report prints.
QString invoiceHeading(ReportKind kind, const ReportParameters &parameters, const NumberRange &printed);
/// "Product : " + code untrimmed + three blanks + name.
QString productHeading(const QString &code, const QString &name);

/// Title of the product-wise report: "Product Wise Purchase ".
QString productWiseTitle();
/// The product-wise report's three parameter texts, by position:
/// "Company Id - CODE", "From : dd/MM/yyyy,   To : dd/MM/yyyy", "Company Name - NAME".
QStringList productWiseParameterTexts(const ReportParameters &parameters,
                                      const QString &companyName);

/// Filter applied to the company-name source: "registrykey='companyname'".
QString companyNameFilter();
/// Reads the company-name heading of `kind` (its source SQL, filter and value
/// column). Throws Error when no row passes the filter.
QString readCompanyName(ReportKind kind, const std::shared_ptr<Connection> &connection);

/// Names the report (document title: the caption; date range) and sets every
/// heading of `kind` on `report`, in the window's order: company
/// name (read from the database), date range, invoice range, product; for the
/// product-wise report the title, the three parameters, the printer and
/// landscape paper. `codeName` is the name box's text (the product's name for
/// the ledgers, the company's name or "All Companies" for the product-wise
/// report); `rows` the report query's rows (the registers' headings read the
/// numbers printed). Throws Error as the report or the database does.
void applyHeadings(Report &report, ReportKind kind, const ReportParameters &parameters,
                   const QString &codeName, const std::shared_ptr<Connection> &connection,
                   const Recordset &rows);

} // namespace orvane
