// The preparation of each report without a window, on the shared rows (figures
// worked out by hand in ReportFixture.h): the rows each query returns, their
// order, the number ranges, and the headings a prepared report carries.

#include "ReportFixture.h"

#include "CaughtError.h"
#include "ReportPreparation.h"

#include <QtTest>

using namespace orvane;
using namespace orvane::test;

Q_DECLARE_METATYPE(orvane::ReportKind)
Q_DECLARE_METATYPE(orvane::ReportParameters)

class tst_ReportQueries : public QObject
{
    Q_OBJECT

    std::unique_ptr<ReportFixture> m_fixture;

private slots:
    void initTestCase() { m_fixture = std::make_unique<ReportFixture>(); }

    void rows_data()
    {
        QTest::addColumn<ReportKind>("kind");
        QTest::addColumn<QString>("code");
        QTest::addColumn<QString>("fromNo");
        QTest::addColumn<QString>("toNo");
        QTest::addColumn<QString>("columns");
        QTest::addColumn<QStringList>("expected");   // in order; lines of one first word in any order

        const QString money = QStringLiteral(" Grossvalue Totaldisc Salestax NetValue");
        const auto add = [](const char *name, ReportKind kind, const char *code, const char *fromNo, const char *toNo,
                            const QString &columns, const QStringList &expected) {
            QTest::newRow(name) << kind << code << fromNo << toNo << columns << expected;
        };
        add("purchase summary: lines added up, paid once, by purchase", ReportKind::PurchaseSummary, "", "", "",
            "purchaseid" + money + " PaidAmount vendorname",
            {"7 40 0 0 40 0 O'Brien Traders", "120 450 35 20 435 100 Vendor Seven", "130 15 0 0 15 10 Customer Nine",
             "100001 10 0 0 10 0 Vendor Seven"});
        add("purchase summary: one vendor", ReportKind::PurchaseSummary, "7", "", "", "purchaseid",
            {"120", "100001"});
        add("purchase register: percentage and per-unit parts", ReportKind::PurchaseRegisterInvoiceWise, "", "", "",
            "purchaseid productid qty" + money,
            {"7 11 1 40 0 0 40", "120 5 10 200 30 15 185", "120 5 2 50 5 5 50", "120 6 4 200 0 0 200",
             "130 5 1 15 0 0 15", "100001 6 1 10 0 0 10"});
        // Blank boxes bound nothing; 007 stays as typed, blanks around digits are SQL's own.
        add("purchase register: From 120 alone", ReportKind::PurchaseRegisterInvoiceWise, "", "120", "",
            "purchaseid", {"120", "120", "120", "130", "100001"});
        add("purchase register: To alone", ReportKind::PurchaseRegisterInvoiceWise, "", "", "99999", "purchaseid",
            {"7", "120", "120", "120", "130"});
        add("purchase register: nine digits", ReportKind::PurchaseRegisterInvoiceWise, "", "100000", "123456789",
            "purchaseid", {"100001"});
        add("purchase register: 007 to 007", ReportKind::PurchaseRegisterInvoiceWise, "", "007", "007",
            "purchaseid", {"7"});
        add("purchase register: blanks around digits", ReportKind::PurchaseRegisterInvoiceWise, "", " 121 ", "\t130",
            "purchaseid", {"130"});
        add("purchase register: a customer's purchase", ReportKind::PurchaseRegisterInvoiceWise, "9", "", "",
            "purchaseid", {"130"});
        add("ledger: a 10% tax of 25 is 2.50", ReportKind::ProductPurchaseLedger, "5", "", "",
            "purchaseid qty" + money + " vendorname",
            {"120 10 200 30 15 185 Vendor Seven", "120 2 50 5 5 50 Vendor Seven", "130 1 15 0 0 15 Customer Nine"});
        add("ledger: 05 compares as a number", ReportKind::ProductPurchaseLedger, "05", "", "", "purchaseid",
            {"120", "120", "130"});
        add("return ledger: one line", ReportKind::ProductPurchaseReturnLedger, "5", "", "", "PurReturnID Price" + money,
            {"15 20 60 9 4.5 55.5"});
        add("return ledger: returns in number order", ReportKind::ProductPurchaseReturnLedger, "6", "", "",
            "PurReturnID vendorname", {"0 Vendor Seven", "40 Vendor Seven"});
        add("return ledger: product with returns only", ReportKind::ProductPurchaseReturnLedger, "10", "", "",
            "PurReturnID", {"7"});
        // Return 15's line of product 7 has no unit and is left out; return 0 is the first.
        add("return register: unitless line absent", ReportKind::PurchaseReturnRegister, "", "", "",
            "purreturnid productid qty" + money,
            {"0 6 1 10 0 0 10", "7 10 2 10 0 0 10", "15 5 3 60 9 4.5 55.5", "40 6 1 50 0 0 50"});
        add("return register: 007 read as 7", ReportKind::PurchaseReturnRegister, "", "007", "007", "purreturnid",
            {"7"});
        add("return register: abc read as 0", ReportKind::PurchaseReturnRegister, "", "abc", "abc", "purreturnid",
            {"0"});
        add("return register: blanks only bound nothing", ReportKind::PurchaseReturnRegister, "", "  ", " ",
            "purreturnid", {"0", "7", "15", "40"});
        add("return summary: one row per price", ReportKind::PurchaseReturnSummary, "", "", "",
            "Purreturnid Price" + money + " Qty Bonus vendorname",
            {"0 10 10 0 0 10 1 0 Vendor Seven", "7 5 10 0 0 10 2 0 O'Brien Traders",
             "15 20 60 9 4.5 55.5 3 0 Vendor Seven", "15 9 9 0 0 9 1 0 Vendor Seven", "40 50 50 0 0 50 1 0 Vendor Seven"});
        // Products 7 and 10 have returns but no purchases: absent. Product 11's
        // returns read 0, not empty. The query has no ORDER BY: compared sorted.
        add("product-wise: purchases beside returns", ReportKind::ProductWisePurchases, "", "", "",
            "ProductId PQty PPrice PDisc PValue RQty RPrice RDisc RValue UnitName",
            {"11 1 40 0 40 0 0 0 0 Kg", "5 13 20 35 250 3 20 9 55.5 Box", "6 5 30 0 210 2 30 0 60 Kg"});
        add("product-wise: one company", ReportKind::ProductWisePurchases, "12", "", "", "ProductId", {"11"});
    }

    void rows()
    {
        QFETCH(ReportKind, kind);
        QFETCH(QString, code);
        QFETCH(QString, fromNo);
        QFETCH(QString, toNo);
        QFETCH(QString, columns);
        QFETCH(QStringList, expected);
        const ReportPreparation preparation(kind, m_fixture->connection);
        const ReportParameters p = march(code, fromNo, toNo);
        QStringList got = rowLines(*preparation.readRows(preparation.sql(p), {}), columns);
        if (kind == ReportKind::ProductWisePurchases)
            got.sort();
        QCOMPARE(tieSorted(got), tieSorted(expected));
    }

    void headings_data()
    {
        QTest::addColumn<ReportKind>("kind");
        QTest::addColumn<ReportParameters>("parameters");
        QTest::addColumn<QString>("codeName");   // the name box
        QTest::addColumn<QString>("object");     // "#title", "#1".."#3": the report's title and parameters
        QTest::addColumn<QString>("text");

        const auto add = [](const char *name, ReportKind kind, const ReportParameters &p, const char *object,
                            const QString &text, const char *codeName = "") {
            QTest::newRow(name) << kind << p << codeName << object << text;
        };
        const ReportKind reg = ReportKind::PurchaseRegisterInvoiceWise, ret = ReportKind::PurchaseReturnRegister;
        add("return summary: company name from Project_registry", ReportKind::PurchaseReturnSummary, march(),
            "txtCompName", "Orvane Test Co");
        add("return ledger: company name from registry", ReportKind::ProductPurchaseReturnLedger, march("5"),
            "txtCompName", "Return Ledger Co", "Panadol");
        add("date range in English month names", ReportKind::PurchaseSummary,
            ReportParameters{QDate(2024, 4, 1), QDate(2025, 3, 31), {}, {}, {}}, "txtDate",
            "Date Between : 01-Apr-2024 To 31-Mar-2025");
        // Blank boxes: the lowest and highest number printed stand in.
        add("register: blank boxes", reg, march(), "Txtinvoice", "Invoiceno Between : 7 To 100001");
        add("register: From alone", reg, march({}, "120"), "Txtinvoice", "Invoiceno Between : 120 To 100001");
        add("register: To alone", reg, march({}, {}, "99999"), "Txtinvoice", "Invoiceno Between : 7 To 99999");
        add("register: 007 kept as typed", reg, march({}, "007", "007"), "Txtinvoice", "Invoiceno Between : 007 To 007");
        add("return register: blank boxes from return 0", ret, march(), "Txtinvoice", "Invoiceno Between : 0 To 40");
        add("return register: leading numbers", ret, march({}, "007", "40x"), "Txtinvoice",
            "Invoiceno Between : 7 To 40");
        add("ledger: code as typed, three blanks, name", ReportKind::ProductPurchaseLedger, march("05"), "txtProduct",
            "Product : 05   Panadol", "Panadol");
        const ReportKind wise = ReportKind::ProductWisePurchases;
        add("product-wise: title", wise, march(), "#title", "Product Wise Purchase ", "All Companies");
        add("product-wise: no code", wise, march(), "#1", "Company Id - ", "All Companies");
        add("product-wise: dates", wise, march(), "#2", "From : 01/03/2024,   To : 31/03/2024", "All Companies");
        add("product-wise: all companies", wise, march(), "#3", "Company Name - All Companies", "All Companies");
        add("product-wise: one company", wise, march("12"), "#3", "Company Name - Twelve Co", "Twelve Co");
    }

    void headings()
    {
        QFETCH(ReportKind, kind);
        QFETCH(ReportParameters, parameters);
        QFETCH(QString, codeName);
        QFETCH(QString, object);
        QFETCH(QString, text);
        const ReportPreparation preparation(kind, m_fixture->connection);
        QVERIFY(!preparation.check(parameters, codeName));
        std::unique_ptr<Report> report;
        QCOMPARE(errorOf([&] {
                     report = preparation.makeReport(parameters, codeName,
                                                     *preparation.readRows(preparation.sql(parameters), {}));
                 }),
                 QStringLiteral("<no error>"));
        if (object == QLatin1String("#title"))
            QCOMPARE(report->ReportTitle(), text);
        else if (object.startsWith(QLatin1Char('#')))
            QCOMPARE(report->ParameterFields(object.mid(1).toInt()).currentValue(), text);
        else
            QCOMPARE(objectText(*report, object), text);
    }

    // Either company-name table may lack the row: the preparation stops with
    // words that name the report and the table, and makes no report.
    void companyNameMissing_data()
    {
        QTest::addColumn<ReportKind>("kind");
        QTest::addColumn<QString>("table");
        QTest::addColumn<QString>("code");
        QTest::newRow("return summary, Project_registry") << ReportKind::PurchaseReturnSummary << "Project_registry"
                                                          << "";
        QTest::newRow("return ledger, registry") << ReportKind::ProductPurchaseReturnLedger << "registry" << "5";
    }

    void companyNameMissing()
    {
        QFETCH(ReportKind, kind);
        QFETCH(QString, table);
        QFETCH(QString, code);
        ReportFixture fixture;
        exec(fixture.database(), QStringLiteral("DELETE FROM ") + table);
        const ReportPreparation preparation(kind, fixture.connection);
        const std::shared_ptr<Recordset> rows = preparation.readRows(preparation.sql(march(code)), {});
        QVERIFY(rows->RecordCount() > 0);
        std::unique_ptr<Report> report;
        QCOMPARE(errorOf([&] { report = preparation.makeReport(march(code), QStringLiteral("Panadol"), *rows); }),
                 QStringLiteral("%1: The company name is missing: no row of \"select * from %2\" has "
                                "registrykey='companyname'.").arg(reportDefinition(kind).caption, table));
        QVERIFY(!report);
    }
};

QTEST_MAIN(tst_ReportQueries)
#include "tst_ReportQueries.moc"
