#pragma once

#include <QDate>
#include <QString>

namespace orvane::demo {

/// What to generate. Every figure follows from these values alone.
struct DemoOptions
{
    quint64 seed = 1;
    /// Volume: about 2,000 purchases (9,000 lines) per unit.
    int scale = 1;
    /// Purchases to write; 0 means 2,000 x scale.
    int purchases = 0;
    int parties = 250;
    int products = 300;
    /// At most 99: the company code box takes two characters.
    int companies = 40;
    /// The first of the two financial years starts on 1 April of this year;
    /// 0 means the two years that ended last before today (defaultFromYear).
    int fromYear = 0;
    QString companyName = QStringLiteral("Zoë & O'Neil Agri Traders (Pvt.) Ltd.");
};

/// What was written, for the summary. Money in cents.
struct DemoSummary
{
    int companies = 0;
    int units = 0;
    int parties = 0;
    int vendors = 0;
    int customers = 0;
    int brokers = 0;
    int products = 0;
    int productsWithoutUnit = 0;
    int cropProducts = 0;
    int purchases = 0;
    qint64 purchaseLines = 0;
    int returns = 0;
    qint64 returnLines = 0;
    QDate firstDay;
    QDate lastDay;
    QDate firstPurchase;
    QDate lastPurchase;
    qint64 purchaseValue = 0;     // sum of TTLValue
    qint64 purchaseSalesTax = 0;  // sum of TTLSalesTax
    qint64 paidAmount = 0;
    qint64 returnValue = 0;
    qint64 returnSalesTax = 0;
    double seconds = 0;

    /// A few lines for the console.
    QString text() const;
};

/// Writes the demo database: the host schema and realistic, reproducible
/// data over two financial years (1 April to 31 March). Dates are ISO
/// yyyy-MM-dd text; money has 2 decimals, quantities 0 or 3.
/// TTLValue = round2(Qty*Price - Qty*(Price*DiscRatio/100 + DiscValue)),
/// TTLSalesTax = round2(Qty*(Price*STRatio/100 + STValue)), rounded half away from zero.
class DemoDatabase
{
public:
    /// "demo/orvane-demo.sqlite", relative to the current directory, unless
    /// ORVANE_DEMO_DB names another file.
    static QString defaultOutputPath();

    /// The first year of the last two financial years that ended before `today`.
    static int defaultFromYear(const QDate &today);

    /// The host schema as compiled in (SQLite dialect).
    static QString schema();
    /// The same schema for SQL Server: COLLATE NOCASE dropped, REAL DECIMAL
    /// read as DECIMAL, LineNo bracketed (a reserved word there); otherwise unchanged.
    static QString sqlServerSchema();

    /// Writes a new database to `file` (written aside and renamed into place,
    /// so a failure leaves no half-written file). An existing `file` is
    /// refused unless `overwrite`. Throws std::runtime_error with the reason.
    static DemoSummary generate(const QString &file, const DemoOptions &options, bool overwrite = false);
};

} // namespace orvane::demo
