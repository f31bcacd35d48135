// Opens a purchase-register-sized result (13 columns, 200k lines by default)
// and prints how long it takes and what it costs in memory.
//
//   bench_recordset [--lines N] [--db file.db] [--odbc]
//
// Without --db the database is generated in a temporary file; with --odbc the
// same query also runs through the SQLite ODBC driver. A demo database of the
// same size: orvane-demodb --out big.sqlite --purchases 44500 (about 200k lines).

#include "Connection.h"
#include "Error.h"
#include "Recordset.h"
#include "Table.h"
#include "TestDatabase.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QSqlError>
#include <QTemporaryDir>

#include <cstdio>
#include <ctime>
#include <malloc.h>

using namespace orvane;

namespace {

qint64 residentBytes()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLongLong() * 1024;
    }
    return 0;
}

// CPU time of this process: on a loaded machine wall-clock figures say little.
qint64 cpuMs()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return qint64(t.tv_sec) * 1000 + t.tv_nsec / 1000000;
}

double mb(qint64 bytes)
{
    return double(bytes) / (1024.0 * 1024.0);
}

void fill(QSqlDatabase db, int lines)
{
    const int linesPerPurchase = 4;
    const int purchases = (lines + linesPerPurchase - 1) / linesPerPurchase;
    test::exec(db, QStringLiteral("BEGIN"));
    QSqlQuery q(db);
    for (int c = 1; c <= 50; ++c)
        test::exec(db, QStringLiteral("INSERT INTO Companies VALUES (%1, 'Company %1')").arg(c));
    for (int v = 1; v <= 500; ++v)
        test::exec(db, QStringLiteral("INSERT INTO Parties (PartyId, PartyName, IsVendor) VALUES (%1, 'Vendor %1 "
                                      "Traders', 1)")
                           .arg(v));
    q.prepare(QStringLiteral("INSERT INTO Products (ProductId, ProductName, CompanyId) VALUES (?, ?, ?)"));
    for (int p = 1; p <= 2000; ++p) {
        q.addBindValue(p);
        q.addBindValue(QStringLiteral("Product %1 50kg bag").arg(p));
        q.addBindValue(p % 50 + 1);
        q.exec();
    }
    QSqlQuery head(db);
    head.prepare(QStringLiteral("INSERT INTO purchase (PurchaseId, PurchaseDate, VendorId, BillNo) VALUES (?, ?, ?, ?)"));
    QSqlQuery body(db);
    body.prepare(QStringLiteral("INSERT INTO purchasebody (PurchaseId, LineNo, ProductId, Qty, Bonus, Price, DiscRatio, "
                                "DiscValue, STRatio, STValue) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"));
    int line = 0;
    for (int p = 1; p <= purchases; ++p) {
        head.addBindValue(p);
        head.addBindValue(QDate(2024, 1, 1).addDays(p % 366).toString(Qt::ISODate));
        head.addBindValue(p % 500 + 1);
        head.addBindValue(QStringLiteral("B-%1").arg(p));
        head.exec();
        for (int l = 1; l <= linesPerPurchase && line < lines; ++l, ++line) {
            body.addBindValue(p);
            body.addBindValue(l);
            body.addBindValue((p * 7 + l) % 2000 + 1);
            body.addBindValue(double((line % 40) + 1) + 0.5);
            body.addBindValue(line % 3);
            body.addBindValue(double(100 + line % 900) + 0.25);
            body.addBindValue(double(line % 5));
            body.addBindValue(0.5);
            body.addBindValue(17.0);
            body.addBindValue(0.0);
            body.exec();
        }
    }
    test::exec(db, QStringLiteral("COMMIT"));
}

const QString registerQuery = QStringLiteral(
    "select p.purchaseid,p.purchasedate,p.billno,v.partyname as vendorname "
    ",pr.productid,pr.productname "
    ",pb.qty,pb.bonus,pb.price,(pb.Qty*pb.Price) as Grossvalue "
    ",(pb.Qty*((pb.Price*pb.Discratio/100)+pb.Discvalue)) as Totaldisc "
    ",pb.Qty*((pb.Price*pb.stratio/100)+pb.stvalue) as Salestax "
    ",pb.Qty*((pb.Price-((pb.Price*pb.Discratio/100)+pb.Discvalue))+ ((pb.Price*pb.stratio/100)+pb.stvalue)) as NetValue "
    " from purchase p join purchasebody pb on p.purchaseid=pb.purchaseid "
    " join parties v on v.partyid=p.vendorid join products pr on pr.productid=pb.productid "
    " where p.purchasedate between '%1' and '%2' and p.purchaseid between 1 and 99999999"
    " order by p.purchaseid,pr.productid");

void measure(const char *label, const std::shared_ptr<Connection> &connection)
{
    const QString sql = registerQuery.arg(connection->dateText(QDate(2000, 1, 1)), connection->dateText(QDate(2099, 12, 31)));
    QElapsedTimer timer;
    // The same statement read cell by cell with nothing kept: what the driver alone costs.
    qint64 rawCpu = cpuMs();
    timer.start();
    {
        QSqlQuery raw(connection->database());
        raw.setForwardOnly(true);
        raw.setNumericalPrecisionPolicy(QSql::LowPrecisionDouble);
        raw.exec(connection->nativeSql(sql));
        const int columns = raw.record().count();
        while (raw.next()) {
            for (int c = 0; c < columns; ++c)
                raw.value(c);
        }
    }
    const qint64 rawMs = timer.elapsed();
    rawCpu = cpuMs() - rawCpu;

    malloc_trim(0);
    const qint64 rssBefore = residentBytes();
    qint64 openCpu = cpuMs();
    timer.restart();
    Recordset rs;
    rs.Open(sql, connection, Recordset::adOpenStatic, Recordset::adLockReadOnly, -1);
    const qint64 openMs = timer.elapsed();
    openCpu = cpuMs() - openCpu;
    malloc_trim(0);
    const qint64 rssAfter = residentBytes();

    double net = 0;
    timer.restart();
    const auto table = rs.table();
    const int netColumn = table->columnIndex(QStringLiteral("NetValue"));
    for (int r = 0; r < table->rowCount(); ++r)
        net += table->number(r, netColumn);
    const qint64 sumMs = timer.elapsed();

    timer.restart();
    rs.setFilter(QStringLiteral("vendorname like 'vendor 12%' and qty > 10"));
    const qint64 filterMs = timer.elapsed();
    const int filtered = rs.RecordCount();
    rs.setFilter(QString());
    timer.restart();
    rs.Find(QStringLiteral("productname like 'product 1999 %'"));
    const qint64 findMs = timer.elapsed();

    std::printf("%s: %d rows x %d columns\n", label, rs.RecordCount(), rs.fieldCount());
    std::printf("  driver alone    %8lld ms wall, %lld ms CPU (query read, nothing kept)\n",
                static_cast<long long>(rawMs), static_cast<long long>(rawCpu));
    std::printf("  Recordset.Open  %8lld ms wall, %lld ms CPU\n", static_cast<long long>(openMs),
                static_cast<long long>(openCpu));
    std::printf("  table memory    %8.1f MB (Table::memoryUsage)\n", mb(table->memoryUsage()));
    std::printf("  RSS delta       %8.1f MB (%.1f -> %.1f MB)\n", mb(rssAfter - rssBefore), mb(rssBefore), mb(rssAfter));
    std::printf("  sum NetValue    %8lld ms (total %.2f)\n", static_cast<long long>(sumMs), net);
    std::printf("  filter          %8lld ms (%d rows pass)\n", static_cast<long long>(filterMs), filtered);
    std::printf("  find            %8lld ms (row %d)\n", static_cast<long long>(findMs), rs.AbsolutePosition());
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    int lines = 200000;
    QString file;
    bool odbc = false;
    const QStringList args = app.arguments();
    for (int i = 1; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--lines") && i + 1 < args.size())
            lines = args[++i].toInt();
        else if (args[i] == QLatin1String("--db") && i + 1 < args.size())
            file = args[++i];
        else if (args[i] == QLatin1String("--odbc"))
            odbc = true;
    }

    try {
        QTemporaryDir dir;
        QSqlDatabase db;
        if (file.isEmpty()) {
            file = dir.filePath(QStringLiteral("bench.db"));
            QElapsedTimer timer;
            timer.start();
            db = test::createTestDatabase(file, QStringLiteral("bench"));
            fill(db, lines);
            std::printf("generated %d purchase lines in %lld ms (%s)\n", lines, static_cast<long long>(timer.elapsed()),
                        qPrintable(file));
        } else {
            db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("bench"));
            db.setDatabaseName(file);
            if (!db.open())
                throw Error(db.lastError().text(), QStringLiteral("QSQLITE"));
        }
        measure("QSQLITE", Connection::create(db));

        if (odbc) {
            QSqlDatabase viaOdbc = QSqlDatabase::addDatabase(QStringLiteral("QODBC"), QStringLiteral("bench-odbc"));
            viaOdbc.setDatabaseName(QStringLiteral("DRIVER={SQLite3};Database=%1;").arg(file));
            if (!viaOdbc.open())
                throw Error(viaOdbc.lastError().text(), QStringLiteral("QODBC"));
            measure("QODBC (SQLite ODBC driver)", Connection::create(viaOdbc));
        }
    } catch (const Error &e) {
        std::fprintf(stderr, "%s: %s\n", qPrintable(e.source()), qPrintable(e.description()));
        return 1;
    }
    return 0;
}
