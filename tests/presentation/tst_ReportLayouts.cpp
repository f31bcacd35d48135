#include <QFile>
#include <QPdfWriter>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>

#include "CrpProductWisePurchase.h"
#include "CrpPurchaseReturnRegister.h"
#include "Error.h"
#include "Layout.h"
#include "Printing.h"
#include "Recordset.h"
#include "Report.h"
#include "ReportLayouts.h"
#include "RptReportViewer.h"
#include "Table.h"
#include "crpPurchaseLedger.h"
#include "crpPurchaseRegisterIW.h"
#include "crpPurchaseReturnLedger.h"
#include "crpPurchaseReturnSummary.h"
#include "crpPurchaseSummary.h"

#include <functional>
#include <memory>

using namespace orvane;

using Factory = std::function<std::unique_ptr<Report>()>;
Q_DECLARE_METATYPE(Factory)

namespace {

template<class T>
Factory factory()
{
    return [] { return std::unique_ptr<Report>(new T); };
}

QStringList words(const char *list)
{
    return QString::fromLatin1(list).split(QLatin1Char(' '), Qt::SkipEmptyParts);
}

const char *const kSixSections = "PageHeaderSection1 TSection1 TSection2 TSection3 TSection5 TSection8";
const char *const kRegisterSections = "PageHeaderSection1 GroupHeaderSection1 GroupFooterSection1 "
                                      "TSection1 TSection2 TSection3 TSection5 TSection8";

/// Prints through the engine's printer function into a PDF file instead of a printer.
struct PdfPrinter
{
    explicit PdfPrinter(const QString &file)
    {
        setPrintHandler([this, file](const Document &doc, const PrintJob &job) {
            ++jobs;
            prompted = job.prompt;
            pages = doc.pageCount();
            QPdfWriter writer(file);
            paintDocument(writer, doc);
        });
    }
    ~PdfPrinter() { setPrintHandler({}); }
    int jobs = 0;
    int pages = 0;
    bool prompted = true;
};

std::shared_ptr<Recordset> emptyRecordset(const QStringList &columns)
{
    Table::Builder builder(columns);
    auto rs = std::make_shared<Recordset>();
    rs->openTable(builder.finish(), QStringLiteral("empty"));
    return rs;
}

} // namespace

class tst_ReportLayouts : public QObject
{
    Q_OBJECT

private slots:
    void layouts_data();
    void sectionsAreThoseNamed();
    void sectionsAreThoseNamed_data() { layouts_data(); }
    void windowTextsAndParametersExist();
    void windowTextsAndParametersExist_data() { layouts_data(); }
    void fieldsReadExactlyTheColumns();
    void fieldsReadExactlyTheColumns_data() { layouts_data(); }
    void emptyRowsPrintToPdf();
    void emptyRowsPrintToPdf_data() { layouts_data(); }
    void designRules();
    void designRules_data() { layouts_data(); }
    void factoryKnowsEveryLayout();
    void missingTextObjectFails();
};

void tst_ReportLayouts::layouts_data()
{
    QTest::addColumn<Factory>("make");
    QTest::addColumn<QString>("className");
    QTest::addColumn<QStringList>("sections");
    QTest::addColumn<QStringList>("texts");
    QTest::addColumn<QStringList>("columns");
    QTest::addColumn<int>("parameters");
    QTest::addColumn<QString>("title");
    QTest::addColumn<bool>("landscape");

    const QString opening = QStringLiteral("Accounts Opening Balances");
    QTest::newRow("purchase return summary")
        << factory<crpPurchaseReturnSummary>() << "crpPurchaseReturnSummary" << words(kSixSections)
        << words("txtCompName txtDate")
        << words("Purreturnid Purreturndate purchaseid vendorname Grossvalue Totaldisc Salestax NetValue "
                 "Qty Bonus Price")
        << 0 << opening << true;
    QTest::newRow("purchase summary")
        << factory<crpPurchaseSummary>() << "crpPurchaseSummary" << words(kSixSections) << words("txtDate")
        << words("purchaseid purchasedate vendorname Grossvalue Totaldisc Salestax NetValue PaidAmount")
        << 0 << opening << false;
    QTest::newRow("purchase return register")
        << factory<CrpPurchaseReturnRegister>() << "CrpPurchaseReturnRegister" << words(kRegisterSections)
        << words("txtDate Txtinvoice")
        << words("purreturnid purreturndate vendorname productid productname qty bonus price Grossvalue "
                 "Totaldisc Salestax NetValue VendorID Narration UnitName Multiplier ExpPlus ExpMinus "
                 "ComRatio ReceivedAmount")
        << 0 << opening << true;
    QTest::newRow("purchase register invoice-wise")
        << factory<crpPurchaseRegisterIW>() << "crpPurchaseRegisterIW" << words(kRegisterSections)
        << words("Txtinvoice")
        << words("purchaseid purchasedate billno vendorname productid productname qty bonus price "
                 "Grossvalue Totaldisc Salestax NetValue")
        << 0 << opening << true;
    QTest::newRow("product purchase ledger")
        << factory<crpPurchaseLedger>() << "crpPurchaseLedger" << words(kSixSections)
        << words("txtDate txtProduct")
        << words("purchaseid purchasedate billno vendorname qty bonus price Grossvalue Totaldisc Salestax "
                 "NetValue")
        << 0 << opening << true;
    QTest::newRow("product purchase return ledger")
        << factory<crpPurchaseReturnLedger>() << "crpPurchaseReturnLedger" << words(kSixSections)
        << words("txtCompName txtDate txtProduct")
        << words("PurReturnID vendorname Qty Bonus Price Grossvalue Totaldisc Salestax NetValue PurReturnDate")
        << 0 << opening << true;
    QTest::newRow("product-wise purchases")
        << factory<CrpProductWisePurchase>() << "CrpProductWisePurchase"
        << words("ReportHeaderSection1 PageHeaderSection1 DetailSection1 PageFooterSection1 "
                 "ReportFooterSection1")
        << QStringList()
        << words("ProductId ProductName PQty PPrice PDisc PValue RQty RPrice RDisc RValue UnitName") << 3
        << QString() << true;
}

void tst_ReportLayouts::sectionsAreThoseNamed()
{
    QFETCH(Factory, make);
    QFETCH(QString, className);
    QFETCH(QStringList, sections);
    const std::unique_ptr<Report> report = make();
    QCOMPARE(report->layout().name, className);
    QStringList names;
    for (const ReportSection *s : report->Sections())
        names << s->Name();
    names.sort();
    sections.sort();
    QCOMPARE(names, sections);
}

void tst_ReportLayouts::windowTextsAndParametersExist()
{
    QFETCH(Factory, make);
    QFETCH(QStringList, texts);
    QFETCH(int, parameters);
    QFETCH(QString, title);
    const std::unique_ptr<Report> report = make();
    for (const QString &name : texts) {
        ReportObject &object = report->object(name);
        QCOMPARE(object.kind(), ReportObject::Kind::Text);
        object.SetText(QStringLiteral("Date Between : 01-Apr-2024 To 31-Mar-2025"));
    }
    // Only the return summary and the return ledger carry a company name.
    if (!texts.contains(QLatin1String("txtCompName")))
        QVERIFY_THROWS_EXCEPTION(Error, report->object(QStringLiteral("txtCompName")));
    QCOMPARE(report->parameterCount(), parameters);
    for (int p = 1; p <= parameters; ++p)
        report->ParameterFields(p).AddCurrentValue(QStringLiteral("value %1").arg(p));
    QVERIFY_THROWS_EXCEPTION(Error, report->ParameterFields(parameters + 1));
    QCOMPARE(report->ReportTitle(), title);
}

void tst_ReportLayouts::fieldsReadExactlyTheColumns()
{
    QFETCH(Factory, make);
    QFETCH(QStringList, columns);
    const std::unique_ptr<Report> report = make();
    QSet<QString> read;
    for (const Section &section : report->layout().sections) {
        for (const LayoutObject &o : section.objects) {
            if (o.kind == ObjectKind::Field || o.kind == ObjectKind::Summary)
                read.insert(o.field);
        }
    }
    QStringList readList = read.values();
    readList.sort();
    columns.sort();
    QCOMPARE(readList, columns);
}

void tst_ReportLayouts::emptyRowsPrintToPdf()
{
    QFETCH(Factory, make);
    QFETCH(QStringList, columns);
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("out.pdf"));
    const std::unique_ptr<Report> report = make();
    const std::shared_ptr<Recordset> rs = emptyRecordset(columns);
    report->Database().SetDataSource(*rs);
    QVERIFY(report->rows());
    QCOMPARE(report->rows()->rowCount(), 0);

    PdfPrinter printer(file);
    report->PrintOut(false);
    QCOMPARE(printer.jobs, 1);
    QCOMPARE(printer.prompted, false);
    QCOMPARE(printer.pages, 1);   // headings and an empty grand total fit one page
    QFile pdf(file);
    QVERIFY(pdf.open(QIODevice::ReadOnly));
    QVERIFY(pdf.read(5) == "%PDF-");
}

void tst_ReportLayouts::designRules()
{
    QFETCH(Factory, make);
    QFETCH(bool, landscape);
    const std::unique_ptr<Report> report = make();
    const Layout &layout = report->layout();
    QCOMPARE(layout.orientation == QPageLayout::Landscape, landscape);
    QCOMPARE(layout.pageSize, QPageSize::A4);

    const QRectF body = layout.bodyRectMm();
    bool pageNofM = false;
    bool printDate = false;
    for (const Section &section : layout.sections) {
        for (const LayoutObject &o : section.objects) {
            // Nothing may stick out of the printable width.
            QVERIFY2(o.rect.right() <= body.width() + 0.01,
                     qPrintable(section.name + QLatin1Char('/') + o.name));
            if (o.kind == ObjectKind::Field || o.kind == ObjectKind::Summary) {
                const bool money = o.field.contains(QLatin1String("value"), Qt::CaseInsensitive)
                    || o.field.contains(QLatin1String("disc"), Qt::CaseInsensitive)
                    || o.field.compare(QLatin1String("Salestax"), Qt::CaseInsensitive) == 0
                    || o.field.endsWith(QLatin1String("Amount"), Qt::CaseInsensitive);
                if (money) {
                    QVERIFY2(o.format.type == FieldFormat::Money, qPrintable(o.name));
                    QVERIFY2(o.alignment & Qt::AlignRight, qPrintable(o.name));
                }
                if (o.field.endsWith(QLatin1String("date"), Qt::CaseInsensitive))
                    QVERIFY2(o.format.type == FieldFormat::Date, qPrintable(o.name));
            }
            if (o.kind == ObjectKind::Special && o.special == SpecialField::PageNofM) {
                pageNofM = true;
                QCOMPARE(section.kind, SectionKind::PageFooter);
            }
            if (o.kind == ObjectKind::Special && o.special == SpecialField::PrintDate)
                printDate = true;
        }
    }
    QVERIFY(pageNofM);
    QVERIFY(printDate);

    // On paper the title band keeps its tint; the heading band prints white.
    RptReportViewer viewer;
    viewer.ReportName = make();
    const ReportColor titleFill = viewer.ReportName->object(QStringLiteral("NOTitleBand")).FillColor();
    QVERIFY(titleFill != -1 && titleFill != 16777215);
    QVERIFY(viewer.ReportName->object(QStringLiteral("HeadingBand")).FillColor() != 16777215);
    viewer.RemoveObjectColors();
    QCOMPARE(viewer.ReportName->object(QStringLiteral("NOTitleBand")).FillColor(), titleFill);
    QCOMPARE(viewer.ReportName->object(QStringLiteral("HeadingBand")).FillColor(), ReportColor(16777215));

    // The registers group by document number with subtotals.
    if (layout.sectionIndex(QStringLiteral("GroupHeaderSection1")) >= 0) {
        QCOMPARE(int(layout.groups.size()), 1);
        QVERIFY(layout.groups[0].field.compare(QLatin1String("purchaseid"), Qt::CaseInsensitive) == 0
                || layout.groups[0].field.compare(QLatin1String("purreturnid"), Qt::CaseInsensitive) == 0);
        const Section &footer = layout.sections[size_t(layout.sectionIndex(QStringLiteral("GroupFooterSection1")))];
        int sums = 0;
        for (const LayoutObject &o : footer.objects)
            sums += o.kind == ObjectKind::Summary && o.scope == LayoutObject::Scope::Group;
        QVERIFY(sums >= 4);
    }
}

void tst_ReportLayouts::factoryKnowsEveryLayout()
{
    const QStringList names = reportLayoutNames();
    QCOMPARE(names.size(), 7);
    for (const QString &name : names)
        QCOMPARE(createReportLayout(name)->layout().name, name);
    QVERIFY_THROWS_EXCEPTION(Error, createReportLayout(QStringLiteral("crpPurchasesummary")));
}

void tst_ReportLayouts::missingTextObjectFails()
{
    crpPurchaseSummary report;
    try {
        report.object(QStringLiteral("txtProduct")).SetText(QStringLiteral("x"));
        QFAIL("a missing text object must fail");
    } catch (const Error &e) {
        QVERIFY2(e.description().contains(QLatin1String("txtProduct")), qPrintable(e.description()));
    }
}

QTEST_MAIN(tst_ReportLayouts)
#include "tst_ReportLayouts.moc"
