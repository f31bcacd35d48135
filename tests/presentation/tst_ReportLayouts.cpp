// The seven report layouts: what the report windows reach in each (sections,
// window texts, parameters) and that each prints with no rows at all.

#include <QFile>
#include <QPdfWriter>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>

#include "Error.h"
#include "Layout.h"
#include "Printing.h"
#include "Recordset.h"
#include "Report.h"
#include "ReportLayouts.h"
#include "Table.h"

using namespace orvane;

namespace {

QStringList words(const char *list)
{
    return QString::fromLatin1(list).split(QLatin1Char(' '), Qt::SkipEmptyParts);
}

QStringList sorted(QStringList list)
{
    list.sort();
    return list;
}

} // namespace

class tst_ReportLayouts : public QObject
{
    Q_OBJECT

private slots:
    void layout_data();
    void layout();
};

void tst_ReportLayouts::layout_data()
{
    QTest::addColumn<QString>("className");
    QTest::addColumn<QStringList>("sections");
    QTest::addColumn<QStringList>("texts");
    QTest::addColumn<int>("parameters");
    QTest::addColumn<QStringList>("columns");

    const char *six = "PageHeaderSection1 TSection1 TSection2 TSection3 TSection5 TSection8";
    const char *withGroup = "PageHeaderSection1 GroupHeaderSection1 GroupFooterSection1 "
                            "TSection1 TSection2 TSection3 TSection5 TSection8";
    QTest::newRow("purchase return summary")
        << "crpPurchaseReturnSummary" << words(six) << words("txtCompName txtDate") << 0
        << words("Purreturnid Purreturndate purchaseid vendorname Grossvalue Totaldisc Salestax NetValue "
                 "Qty Bonus Price");
    QTest::newRow("purchase summary")
        << "crpPurchaseSummary" << words(six) << words("txtDate") << 0
        << words("purchaseid purchasedate vendorname Grossvalue Totaldisc Salestax NetValue PaidAmount");
    QTest::newRow("purchase return register")
        << "CrpPurchaseReturnRegister" << words(withGroup) << words("txtDate Txtinvoice") << 0
        << words("purreturnid purreturndate vendorname productid productname qty bonus price Grossvalue "
                 "Totaldisc Salestax NetValue VendorID Narration UnitName Multiplier ExpPlus ExpMinus "
                 "ComRatio ReceivedAmount");
    QTest::newRow("purchase register invoice-wise")
        << "crpPurchaseRegisterIW" << words(withGroup) << words("Txtinvoice") << 0
        << words("purchaseid purchasedate billno vendorname productid productname qty bonus price "
                 "Grossvalue Totaldisc Salestax NetValue");
    QTest::newRow("product purchase ledger")
        << "crpPurchaseLedger" << words(six) << words("txtDate txtProduct") << 0
        << words("purchaseid purchasedate billno vendorname qty bonus price Grossvalue Totaldisc Salestax "
                 "NetValue");
    QTest::newRow("product purchase return ledger")
        << "crpPurchaseReturnLedger" << words(six) << words("txtCompName txtDate txtProduct") << 0
        << words("PurReturnID vendorname Qty Bonus Price Grossvalue Totaldisc Salestax NetValue PurReturnDate");
    QTest::newRow("product-wise purchases")
        << "CrpProductWisePurchase"
        << words("ReportHeaderSection1 PageHeaderSection1 DetailSection1 PageFooterSection1 "
                 "ReportFooterSection1")
        << QStringList() << 3
        << words("ProductId ProductName PQty PPrice PDisc PValue RQty RPrice RDisc RValue UnitName");
}

void tst_ReportLayouts::layout()
{
    QFETCH(QString, className);
    QFETCH(QStringList, sections);
    QFETCH(QStringList, texts);
    QFETCH(int, parameters);
    QFETCH(QStringList, columns);
    QVERIFY(reportLayoutNames().contains(className));
    QVERIFY_THROWS_EXCEPTION(Error, createReportLayout(className.toLower()));   // exact names only
    const std::unique_ptr<Report> report = createReportLayout(className);

    QStringList names;
    for (const ReportSection *s : report->Sections())
        names << s->Name();
    QCOMPARE(sorted(names), sorted(sections));

    for (const QString &name : texts) {
        ReportObject &object = report->object(name);
        QCOMPARE(object.kind(), ReportObject::Kind::Text);
        object.SetText(QStringLiteral("Date Between : 01-Apr-2024 To 31-Mar-2025"));
    }
    // A window that sets a text its layout lacks must hear of it by name.
    for (const QString &name : {QStringLiteral("txtCompName"), QStringLiteral("txtProduct")}) {
        if (texts.contains(name))
            continue;
        try {
            report->object(name);
            QFAIL(qPrintable(name + QStringLiteral(" should not exist")));
        } catch (const Error &e) {
            QVERIFY2(e.description().contains(name), qPrintable(e.description()));
        }
    }
    QCOMPARE(report->parameterCount(), parameters);
    for (int p = 1; p <= parameters; ++p)
        report->ParameterFields(p).AddCurrentValue(QStringLiteral("value %1").arg(p));
    QVERIFY_THROWS_EXCEPTION(Error, report->ParameterFields(parameters + 1));

    // Nothing past the margin; money right-aligned as money, dates as dates;
    // and the fields read are exactly the columns its query returns.
    const Layout &layout = report->layout();
    QSet<QString> read;
    for (const Section &section : layout.sections) {
        for (const LayoutObject &o : section.objects) {
            QVERIFY2(o.rect.right() <= layout.bodyRectMm().width() + 0.01, qPrintable(o.name));
            if (o.kind != ObjectKind::Field && o.kind != ObjectKind::Summary)
                continue;
            read.insert(o.field);
            const QString f = o.field.toLower();
            const bool money = f.contains(QLatin1String("value")) || f.contains(QLatin1String("disc"))
                || f == QLatin1String("salestax") || f.endsWith(QLatin1String("amount"));
            if (money) {
                QVERIFY2(o.format.type == FieldFormat::Money, qPrintable(o.name));
                QVERIFY2(o.alignment & Qt::AlignRight, qPrintable(o.name));
            }
            if (f.endsWith(QLatin1String("date")))
                QVERIFY2(o.format.type == FieldFormat::Date, qPrintable(o.name));
        }
    }
    QCOMPARE(sorted(read.values()), sorted(columns));

    // Bound to no rows, it still prints: headings and an empty total on one page.
    Recordset rs;
    rs.openTable(Table::Builder(columns).finish(), QStringLiteral("empty"));
    report->Database().SetDataSource(rs);
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("out.pdf"));
    int pages = 0;
    setPrintHandler([&](const Document &doc, const PrintJob &job) {
        QVERIFY(!job.prompt);
        pages = doc.pageCount();
        QPdfWriter writer(file);
        paintDocument(writer, doc);
    });
    report->PrintOut(false);
    setPrintHandler({});
    QCOMPARE(pages, 1);
    QFile pdf(file);
    QVERIFY(pdf.open(QIODevice::ReadOnly));
    QCOMPARE(pdf.read(5), QByteArray("%PDF-"));
}

QTEST_MAIN(tst_ReportLayouts)
#include "tst_ReportLayouts.moc"
