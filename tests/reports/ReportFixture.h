#pragma once

// The rows the report tests share, made the reports' connection, and readers
// of what a report holds. Every figure the tests expect is worked out by hand
// in the comment below; rows lie in March 2024 unless said otherwise.

#include "Connection.h"
#include "Document.h"
#include "Recordset.h"
#include "Report.h"
#include "ReportQueries.h"
#include "TestDatabase.h"

#include <QDate>
#include <QSqlDatabase>
#include <QStringList>

#include <algorithm>
#include <memory>

namespace orvane::test {

inline const QDate kMarchFirst(2024, 3, 1);
inline const QDate kMarchLast(2024, 3, 31);

/*
Parties:  7 Vendor Seven (vendor), 8 O'Brien Traders (vendor), 9 Customer Nine (customer only).
Products: 5 Panadol (company 1, unit Box), 6 Rice (company 2, Kg), 7 Orphan (company 1, unit 99
          which does not exist), 10 Returned Only (company 12, Box), 11 Sugar (company 12, Kg).

Purchases (Qty, Price, DiscRatio%, DiscValue, STRatio%, STValue -> Gross, Disc, Tax, Net):
  120  10-Mar  vendor 7  bill B-120  paid 100
       line 1  product 5   10 x 20, 10%, 1.00, 5%, 0.50  -> 200, 30, 15, 185
       line 2  product 6    4 x 50, 0, 0, 0, 0           -> 200,  0,  0, 200
       line 3  product 5    2 x 25, 0%, 2.50, 10%, 0     ->  50,  5,  5,  50
               purchase 120 summed                       -> 450, 35, 20, 435, paid 100 once
    7  05-Mar  vendor 8  paid 0    product 11   1 x 40  -> 40, 0, 0, 40
  130  20-Mar  vendor 9  paid 10   product 5    1 x 15  -> 15, 0, 0, 15
100001 15-Mar  vendor 7  paid 0    product 6    1 x 10  (above the 99999 invoice ceiling)
  140  01-May  vendor 7  paid 0    product 5    1 x 20  (outside March)

Returns:
   15  12-Mar  vendor 7  ExpPlus 5, ExpMinus 1, ComRatio 2.5, Received 50, narration "short"
       line 1  product 5    3 x 20, 10%, 1.00, 5%, 0.50  -> 60, 9, 4.5, 55.5
       line 2  product 7    1 x 9   (product without a unit row)
    7  08-Mar  vendor 8    product 10   2 x 5   (product with returns, no purchases)
   40  25-Mar  vendor 7    product 6    1 x 50
    0  02-Mar  vendor 7    product 6    1 x 10  (only a range starting at 0 finds it)

TTLValue is the line's gross less discount and TTLSalesTax its tax, as the host stores them, so
product-wise over March, all companies (products 7 and 10 have returns only and do not appear):
  product 5:  PQty 13, PPrice avg(20,25,15)=20, PDisc 30+5+0=35, PValue 185+50+15=250,
              RQty 3, RPrice 20, RDisc 9, RValue 55.5, unit Box
  product 6:  PQty 5, PPrice avg(50,10)=30, PDisc 0, PValue 210,
              RQty 2, RPrice avg(50,10)=30, RDisc 0, RValue 60, unit Kg
  product 11: PQty 1, PPrice 40, PDisc 0, PValue 40, returns all 0, unit Kg
*/
inline void fillReportRows(QSqlDatabase db)
{
    const char *const rows[] = {
        "INSERT INTO Companies VALUES (1,'Acme Pharma'),(2,'Brook''s Foods'),(12,'Twelve Co')",
        "INSERT INTO Units VALUES (1,'Box'),(2,'Kg')",
        "INSERT INTO Parties (PartyId,PartyName,City,IsVendor,IsCustomer) VALUES"
        " (7,'Vendor Seven','Lahore',1,0),(8,'O''Brien Traders','Quetta',1,0),"
        " (9,'Customer Nine','Multan',0,1)",
        "INSERT INTO Products (ProductId,ProductName,CompanyId,UnitID,IsCrop) VALUES"
        " (5,'Panadol',1,1,0),(6,'Rice',2,2,0),(7,'Orphan',1,99,0),"
        " (10,'Returned Only',12,1,0),(11,'Sugar',12,2,0)",
        "INSERT INTO purchase (PurchaseId,PurchaseDate,VendorId,BillNo,PaidAmount) VALUES"
        " (120,'2024-03-10',7,'B-120',100),(7,'2024-03-05',8,'B-7',0),(130,'2024-03-20',9,'B-130',10),"
        " (100001,'2024-03-15',7,'B-BIG',0),(140,'2024-05-01',7,'B-140',0)",
        "INSERT INTO purchasebody (PurchaseId,LineNo,ProductId,Qty,Bonus,Price,DiscRatio,DiscValue,"
        "STRatio,STValue,TTLValue,TTLSalesTax) VALUES"
        " (120,1,5,10,1,20,10,1,5,0.5,170,15),"
        " (120,2,6,4,0,50,0,0,0,0,200,0),"
        " (120,3,5,2,0,25,0,2.5,10,0,45,5),"
        " (7,1,11,1,0,40,0,0,0,0,40,0),"
        " (130,1,5,1,0,15,0,0,0,0,15,0),"
        " (100001,1,6,1,0,10,0,0,0,0,10,0),"
        " (140,1,5,1,0,20,0,0,0,0,20,0)",
        "INSERT INTO purreturns (PurReturnId,PurReturnDate,PurchaseId,VendorId,Narration,ExpPlus,"
        "ExpMinus,ComRatio,ReceivedAmount) VALUES"
        " (15,'2024-03-12',120,7,'short',5,1,2.5,50),(7,'2024-03-08',NULL,8,NULL,0,0,0,0),"
        " (40,'2024-03-25',120,7,NULL,0,0,0,0),(0,'2024-03-02',NULL,7,NULL,0,0,0,0)",
        "INSERT INTO purreturnsbody (PurReturnId,LineNo,ProductId,Qty,Bonus,Price,DiscRatio,DiscValue,"
        "STRatio,STValue,TTLValue,TTLSalesTax) VALUES"
        " (15,1,5,3,0,20,10,1,5,0.5,51,4.5),"
        " (15,2,7,1,0,9,0,0,0,0,9,0),"
        " (7,1,10,2,0,5,0,0,0,0,10,0),"
        " (40,1,6,1,0,50,0,0,0,0,50,0),"
        " (0,1,6,1,0,10,0,0,0,0,10,0)",
        "INSERT INTO Project_registry VALUES ('companyname','Orvane Test Co')",
        "INSERT INTO registry VALUES ('companyname','Return Ledger Co')",
    };
    for (const char *sql : rows)
        exec(db, QString::fromLatin1(sql));
}

/// An in-memory database with the rows above and a client-side connection over it.
class ReportFixture
{
public:
    ReportFixture()
        : m_db(createTestDatabase())
    {
        fillReportRows(m_db);
        connection = Connection::create(m_db);
        connection->setCursorLocation(Connection::adUseClient);
    }

    QSqlDatabase database() const { return m_db; }

    std::shared_ptr<Connection> connection;

private:
    QSqlDatabase m_db;
};

/// The parameters of a run over March 2024.
inline ReportParameters march(const QString &code = {}, const QString &fromNo = {}, const QString &toNo = {})
{
    return ReportParameters{kMarchFirst, kMarchLast, code, fromNo, toNo};
}

/// The text a text object shows (after SetText), read from a report's frozen
/// content; a null QString when the layout has no such object.
inline QString objectText(const ReportContent &content, const QString &name)
{
    for (const Section &section : content.layout.sections) {
        for (const LayoutObject &object : section.objects) {
            if (object.name == name)
                return object.text;
        }
    }
    return QString();
}

inline QString objectText(const Report &report, const QString &name)
{
    return objectText(*report.content(), name);
}

/// Every row of `rs` as one line: the blank-separated `columns`' values,
/// numbers in shortest form ("4.5", "100"), text as it is.
inline QStringList rowLines(Recordset &rs, const QString &columns)
{
    QStringList lines;
    if (rs.State() != Recordset::adStateOpen)
        return lines;
    for (rs.MoveFirst(); !rs.isEOF(); rs.MoveNext()) {
        QStringList cells;
        for (const QString &column : columns.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
            const QVariant v = rs.Fields(column);
            bool isNumber = false;
            const double d = v.toDouble(&isNumber);
            cells << (isNumber && v.typeId() != QMetaType::QString ? QString::number(d) : v.toString());
        }
        lines << cells.join(QLatin1Char(' '));
    }
    return lines;
}

/// `lines` with each run of lines that share their first word sorted: rows
/// a query orders only by that key come in the database's order within it.
inline QStringList tieSorted(QStringList lines)
{
    for (int start = 0; start < lines.size();) {
        const QString key = lines.at(start).section(QLatin1Char(' '), 0, 0);
        int end = start + 1;
        while (end < lines.size() && lines.at(end).section(QLatin1Char(' '), 0, 0) == key)
            ++end;
        std::sort(lines.begin() + start, lines.begin() + end);
        start = end;
    }
    return lines;
}

} // namespace orvane::test
