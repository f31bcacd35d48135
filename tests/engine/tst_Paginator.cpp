#include "Document.h"
#include "EngineTestData.h"
#include "PagePainter.h"
#include "PaginationJob.h"
#include "Paginator.h"
#include "Report.h"

#include <QtTest>

using namespace orvane;
using orvane::test::moneyText;

Q_DECLARE_METATYPE(std::vector<int>)

namespace {

struct PageView
{
    const Document &doc;
    const Section &section(const Placement &p) const { return doc.layout().sections[p.section]; }
    QString text(int page, const Placement &p, const QString &object) const
    {
        const Section &s = section(p);
        for (int i = 0; i < int(s.objects.size()); ++i) {
            if (s.objects[size_t(i)].name == object)
                return objectText(doc, page, p, i);
        }
        return QStringLiteral("<no %1>").arg(object);
    }
};

} // namespace

class tst_Paginator : public QObject
{
    Q_OBJECT

private:
    // With `longNames` the product column wraps its names and its band grows;
    // `flat` drops the group, its header and footer becoming report ones;
    // `named` names each invoice in the outline by number and vendor, and makes
    // the invoice number a link.
    Document layOut(const std::vector<int> &lines, test::RegisterRows *rows = nullptr, bool longNames = false,
                    bool flat = false, bool named = false)
    {
        QFile f(test::layoutPath("register.json"));
        if (!f.open(QIODevice::ReadOnly))
            return Document();
        QByteArray json = f.readAll();
        if (named) {
            json.replace("\"footer\": \"GroupFooterSection1\" }",
                         "\"footer\": \"GroupFooterSection1\", \"outline\": [\"fldInvoice\", \"fldVendor\"] }");
            json.replace("\"kind\": \"field\", \"field\": \"purchaseid\",",
                         "\"kind\": \"field\", \"field\": \"purchaseid\", \"link\": { \"target\": \"register\" },");
        }
        if (longNames)
            json.replace("\"field\": \"productname\",", "\"field\": \"productname\", \"canGrow\": true,");
        if (flat) {
            json.replace("\"kind\": \"groupHeader\"", "\"kind\": \"reportHeader\"").replace("\"kind\": \"groupFooter\"", "\"kind\": \"reportFooter\"");
            json.replace(json.mid(json.indexOf("\"groups\""), json.indexOf("\"sections\"") - json.indexOf("\"groups\"")), "");
        }
        auto content = std::make_shared<ReportContent>();
        content->layout = Layout::parse(json, QStringLiteral("register.json"));
        test::RegisterRows r = test::registerRows(lines, longNames);
        content->table = r.table;
        for (int i = 0; i < r.table->rowCount(); ++i)
            content->order.push_back(i);
        content->title = QStringLiteral("Purchases of March");
        content->bindColumns();
        if (rows)
            *rows = r;
        return Paginator(content).paginate();
    }

private slots:
    void pageStructure_data();
    void pageStructure();
    void keepRules_data();
    void keepRules();
    void totals_data();
    void totals();
    void pageNofM();
    void cancelStopsEarly();
    void tallBandStandsAlone();
    void newPageBeforeEachGroup();
    void formatNumber_data();
    void formatNumber();
    void outline_data();
    void outline();
    void hitTest_data();
    void hitTest();
};

void tst_Paginator::pageStructure_data()
{
    QTest::addColumn<std::vector<int>>("lines");
    QTest::addColumn<bool>("longNames");
    QTest::newRow("no rows") << std::vector<int>{} << false;
    QTest::newRow("one row") << std::vector<int>{1} << false;
    QTest::newRow("small invoices") << std::vector<int>(200, 3) << false;
    QTest::newRow("one invoice over four pages") << std::vector<int>{200} << false;
    QTest::newRow("mixed sizes") << std::vector<int>{1, 60, 2, 45, 7, 90, 1, 1, 33} << false;
    QTest::newRow("names that wrap") << std::vector<int>{1, 60, 2, 45, 7, 90, 1, 1, 33} << true;
}

// Headers, footers, continued group headers and unsplit bands, page by page.
void tst_Paginator::pageStructure()
{
    QFETCH(std::vector<int>, lines);
    QFETCH(bool, longNames);
    test::RegisterRows rows;
    const Document doc = layOut(lines, &rows, longNames);
    const Layout &L = doc.layout();
    const int rh = L.sectionIndex(QStringLiteral("ReportHeaderSection1"));
    const int ph = L.sectionIndex(QStringLiteral("PageHeaderSection1"));
    const int gh = L.sectionIndex(QStringLiteral("GroupHeaderSection1"));
    const int det = L.sectionIndex(QStringLiteral("DetailSection1"));
    const int gf = L.sectionIndex(QStringLiteral("GroupFooterSection1"));
    const int rf = L.sectionIndex(QStringLiteral("ReportFooterSection1"));
    const int pf = L.sectionIndex(QStringLiteral("PageFooterSection1"));
    const double body = L.bodyRectMm().height();
    const double footerTop = body - L.sections[size_t(pf)].height;
    PageView view{doc};

    QVERIFY(doc.complete);
    QVERIFY(doc.pageCount() >= 1);
    int reportHeaders = 0, reportFooters = 0, details = 0, freshHeaders = 0, footers = 0, grown = 0;
    int lastInvoice = -1;
    for (int page = 0; page < doc.pageCount(); ++page) {
        const PageEntry &pe = doc.pages[size_t(page)];
        QVERIFY(pe.count >= 2);
        int k = pe.first;
        if (page == 0) {
            QCOMPARE(int(doc.placements[size_t(k)].section), rh);
            QCOMPARE(doc.placements[size_t(k)].y, 0.0f);
            ++k;
        }
        const Placement &header = doc.placements[size_t(k)];
        QCOMPARE(int(header.section), ph);
        QCOMPARE(double(header.y), page == 0 ? 20.0 : 0.0);

        const Placement &footer = doc.placements[size_t(pe.first + pe.count - 1)];
        QCOMPARE(int(footer.section), pf);
        QCOMPARE(double(footer.y), footerTop);

        // A page that starts inside an invoice repeats its header, marked continued.
        const Placement &firstBody = doc.placements[size_t(k + 1 < pe.first + pe.count ? k + 1 : k)];
        if (page > 0 && (int(firstBody.section) == det || int(firstBody.section) == gf || int(firstBody.section) == gh)) {
            const bool goesOn = int(firstBody.section) != gh || (firstBody.flags & Placement::Continued);
            if (goesOn) {
                QCOMPARE(int(firstBody.section), gh);
                QVERIFY(firstBody.flags & Placement::Continued);
                QCOMPARE(view.text(page, firstBody, QStringLiteral("spContinued")), QStringLiteral("(continued)"));
                QCOMPARE(view.text(page, firstBody, QStringLiteral("fldInvoice")), QString::number(lastInvoice));
            }
        }

        double y = page == 0 ? 30 : 10;
        for (int i = pe.first; i < pe.first + pe.count; ++i) {
            const Placement &p = doc.placements[size_t(i)];
            const Section &s = L.sections[p.section];
            if (int(p.section) == pf)
                continue;
            // Bands follow each other without gaps or overlaps, grown or not, and stay clear of the footer.
            if (int(p.section) != rh && int(p.section) != ph) {
                QCOMPARE(double(p.y), y);
                y += doc.bandHeight(p);
            }
            grown += p.grow > 0 ? 1 : 0;
            QVERIFY2(double(p.y) + doc.bandHeight(p) <= footerTop + 1e-4,
                     qPrintable(QStringLiteral("page %1: %2 at %3 runs into the footer").arg(page + 1).arg(s.name).arg(p.y)));
            if (int(p.section) == rh)
                ++reportHeaders;
            if (int(p.section) == rf)
                ++reportFooters;
            if (int(p.section) == det)
                ++details;
            if (int(p.section) == gf)
                ++footers;
            if (int(p.section) == gh && !(p.flags & Placement::Continued)) {
                ++freshHeaders;
                lastInvoice = view.text(page, p, QStringLiteral("fldInvoice")).toInt();
                QCOMPARE(view.text(page, p, QStringLiteral("spContinued")), QString());
                // A fresh header is never the last body band of its page.
                QVERIFY(i + 1 < pe.first + pe.count - 1);
                QCOMPARE(int(doc.placements[size_t(i + 1)].section), det);
            }
        }
    }
    QCOMPARE(reportHeaders, 1);
    QCOMPARE(reportFooters, 1);
    QCOMPARE(details, rows.table->rowCount());
    QCOMPARE(freshHeaders, int(lines.size()));
    QCOMPARE(footers, int(lines.size()));
    QCOMPARE(grown > 0, longNames && !lines.empty());
}

void tst_Paginator::keepRules_data()
{
    QTest::addColumn<std::vector<int>>("lines");
    QTest::addColumn<bool>("flat");
    // About fifty lines fill a page: the first invoice's footer, and with it
    // the grand total, meets every line position of the first two pages.
    for (int n = 1; n <= 110; ++n)
        QTest::addRow("first invoice of %d lines", n) << std::vector<int>{n, 2, 1} << false;
    for (int n = 40; n <= 110; n += 3)
        QTest::addRow("%d lines without groups", n) << std::vector<int>{n} << true;
    QTest::newRow("one-line invoices") << std::vector<int>(150, 1) << false;
}

// No footer without a line of its group above it, no header at the foot of a
// page, no "(continued)" above anything but its lines, the grand total with
// the last invoice's total (or line), and no page of headings alone; totals unchanged.
void tst_Paginator::keepRules()
{
    QFETCH(std::vector<int>, lines);
    QFETCH(bool, flat);
    test::RegisterRows rows;
    const Document doc = layOut(lines, &rows, false, flat);
    PageView view{doc};
    auto kind = [&](const Placement &p) { return doc.layout().sections[p.section].kind; };
    auto footer = [&](const Placement &p) { return kind(p) == SectionKind::GroupFooter || kind(p) == SectionKind::ReportFooter; };
    auto invoice = [&](const Placement &p) { return p.row < 0 ? QString() : rows.table->text(doc.tableRow(p), 0); };
    size_t group = 0;
    for (int page = 0; page < doc.pageCount(); ++page) {
        const PageEntry &pe = doc.pages[size_t(page)];
        std::vector<Placement> body(doc.placements.begin() + pe.first, doc.placements.begin() + pe.first + pe.count - 1);
        body.erase(std::remove_if(body.begin(), body.end(), [&](const Placement &p) {
            return kind(p) == SectionKind::PageHeader || (kind(p) == SectionKind::ReportHeader && page == 0); }), body.end());
        const QString where = QStringLiteral("page %1 of %2").arg(page + 1).arg(doc.pageCount());
        QVERIFY2(std::any_of(body.begin(), body.end(), [&](const Placement &p) { return !(p.flags & Placement::Continued); }),
                 qPrintable(where + QStringLiteral(": headings alone")));
        QVERIFY2(kind(body.back()) != SectionKind::GroupHeader, qPrintable(where + QStringLiteral(" ends with a group header")));
        for (size_t k = 0; k < body.size(); ++k) {
            const Placement &p = body[k];
            if (p.flags & Placement::Continued) {
                QVERIFY2(k + 1 < body.size() && kind(body[k + 1]) == SectionKind::Detail && invoice(body[k + 1]) == invoice(p),
                         qPrintable(where + QStringLiteral(": \"(continued)\" not above a line of its invoice")));
            } else if (footer(p)) {
                size_t j = k;
                while (j > 0 && footer(body[j - 1]))
                    --j;
                QVERIFY2(j > 0 && kind(body[j - 1]) == SectionKind::Detail && (p.row < 0 || invoice(body[j - 1]) == invoice(p)),
                         qPrintable(where + QStringLiteral(": a total without a line of its own above it")));
                if (!flat && kind(p) == SectionKind::GroupFooter)
                    QCOMPARE(view.text(page, p, QStringLiteral("sumGroupNet")), moneyText(rows.groupCents[group++]));
                else if (doc.layout().sections[p.section].name == QLatin1String("ReportFooterSection1"))
                    QCOMPARE(view.text(page, p, QStringLiteral("sumReportNet")), moneyText(rows.totalCents));
            }
        }
    }
    QCOMPARE(group, flat ? 0 : lines.size());
}

void tst_Paginator::totals_data()
{
    QTest::addColumn<std::vector<int>>("lines");
    QTest::newRow("single line") << std::vector<int>{1};
    QTest::newRow("many small invoices") << std::vector<int>(500, 4);
    QTest::newRow("one long invoice") << std::vector<int>{3000};
    QTest::newRow("uneven") << std::vector<int>{7, 1, 120, 2, 2, 64, 9};
}

// Group and report totals equal the sums of the rows, to the cent, as printed.
void tst_Paginator::totals()
{
    QFETCH(std::vector<int>, lines);
    test::RegisterRows rows;
    const Document doc = layOut(lines, &rows);
    const int gf = doc.layout().sectionIndex(QStringLiteral("GroupFooterSection1"));
    const int rf = doc.layout().sectionIndex(QStringLiteral("ReportFooterSection1"));
    PageView view{doc};

    size_t group = 0;
    qint64 running = 0;
    int checkedReport = 0;
    for (int page = 0; page < doc.pageCount(); ++page) {
        const PageEntry &pe = doc.pages[size_t(page)];
        for (int i = pe.first; i < pe.first + pe.count; ++i) {
            const Placement &p = doc.placements[size_t(i)];
            if (int(p.section) == gf) {
                QVERIFY(group < rows.groupCents.size());
                running += rows.groupCents[group];
                QCOMPARE(view.text(page, p, QStringLiteral("sumGroupNet")), moneyText(rows.groupCents[group]));
                QCOMPARE(view.text(page, p, QStringLiteral("sumLines")), QLocale(QLocale::English).toString(rows.groupLines[group]));
                QCOMPARE(view.text(page, p, QStringLiteral("sumRunningNet")), moneyText(running));
                QCOMPARE(qRound64(doc.summaryValue(p, 1) * 100), rows.groupCents[group]);
                ++group;
            } else if (int(p.section) == rf) {
                QCOMPARE(view.text(page, p, QStringLiteral("sumReportNet")), moneyText(rows.totalCents));
                QCOMPARE(view.text(page, p, QStringLiteral("sumReportLines")),
                         QLocale(QLocale::English).toString(rows.table->rowCount()));
                ++checkedReport;
            }
        }
    }
    QCOMPARE(group, rows.groupCents.size());
    QCOMPARE(checkedReport, 1);
}

void tst_Paginator::pageNofM()
{
    const Document doc = layOut(std::vector<int>(120, 5));
    QVERIFY(doc.pageCount() > 3);
    PageView view{doc};
    for (int page = 0; page < doc.pageCount(); ++page) {
        const PageEntry &pe = doc.pages[size_t(page)];
        const Placement &footer = doc.placements[size_t(pe.first + pe.count - 1)];
        QCOMPARE(view.text(page, footer, QStringLiteral("spPages")),
                 QStringLiteral("Page %1 of %2").arg(page + 1).arg(doc.pageCount()));
        QCOMPARE(view.text(page, footer, QStringLiteral("spPrinted")),
                 QDate::currentDate().toString(QStringLiteral("dd/MM/yyyy")));
    }
}

void tst_Paginator::cancelStopsEarly()
{
    Report report(test::layoutPath("register.json"));
    report.setRows(test::registerRows(std::vector<int>(2000, 5)).table);
    std::atomic_bool cancel{false};
    int pagesSeen = 0;
    const Document doc = Paginator(report.content()).paginate(&cancel, [&](const Document &partial, int pages) {
        pagesSeen = pages;
        QVERIFY(!partial.complete);
        if (pages == 3)
            cancel = true;
    });
    QVERIFY(doc.cancelled);
    QVERIFY(!doc.complete);
    QVERIFY(doc.pageCount() < 20);
    QCOMPARE(doc.pageCount(), pagesSeen);
}

// A detail band taller than the page cannot be kept whole on any page: it gets a page of its own.
void tst_Paginator::tallBandStandsAlone()
{
    QFile f(test::layoutPath("register.json"));
    QVERIFY(f.open(QIODevice::ReadOnly));
    QByteArray json = f.readAll();
    json.replace("\"kind\": \"detail\", \"height\": 5", "\"kind\": \"detail\", \"height\": 300");
    Layout layout = Layout::parse(json, QStringLiteral("tall.json"));
    auto content = std::make_shared<ReportContent>();
    content->layout = layout;
    content->table = test::registerRows({3}).table;
    content->order = {0, 1, 2};
    content->bindColumns();
    const Document doc = Paginator(content).paginate();
    const int det = layout.sectionIndex(QStringLiteral("DetailSection1"));
    int detailPages = 0;
    for (int page = 0; page < doc.pageCount(); ++page) {
        int onPage = 0;
        for (int i = doc.pages[size_t(page)].first; i < doc.pages[size_t(page)].first + doc.pages[size_t(page)].count; ++i)
            onPage += int(doc.placements[size_t(i)].section) == det ? 1 : 0;
        QVERIFY(onPage <= 1);
        detailPages += onPage;
    }
    QCOMPARE(detailPages, 3);
}

// newPageBefore on the group header: every invoice opens a page of its own,
// right under the page header, and nothing else moves.
void tst_Paginator::newPageBeforeEachGroup()
{
    QFile f(test::layoutPath("register.json"));
    QVERIFY(f.open(QIODevice::ReadOnly));
    QByteArray json = f.readAll();
    json.replace("\"kind\": \"groupHeader\", \"height\": 6", "\"kind\": \"groupHeader\", \"height\": 6, \"newPageBefore\": true");
    auto content = std::make_shared<ReportContent>();
    content->layout = Layout::parse(json, QStringLiteral("paged.json"));
    QVERIFY(content->layout.sections[2].newPageBefore);
    const test::RegisterRows rows = test::registerRows({3, 70, 1, 2});
    content->table = rows.table;
    for (int i = 0; i < rows.table->rowCount(); ++i)
        content->order.push_back(i);
    content->bindColumns();
    const Document doc = Paginator(content).paginate();
    const int ph = content->layout.sectionIndex(QStringLiteral("PageHeaderSection1"));
    const int gh = content->layout.sectionIndex(QStringLiteral("GroupHeaderSection1"));
    QStringList firstBands;
    int fresh = 0;
    for (int page = 0; page < doc.pageCount(); ++page) {
        const PageEntry &pe = doc.pages[size_t(page)];
        for (int i = pe.first; i < pe.first + pe.count; ++i) {
            const Placement &p = doc.placements[size_t(i)];
            if (int(p.section) == gh && !(p.flags & Placement::Continued)) {
                ++fresh;
                QCOMPARE(int(doc.placements[size_t(i - 1)].section), ph);
            }
        }
    }
    QCOMPARE(fresh, 4);
    QCOMPARE(doc.pageCount(), 5);   // the 70-line invoice takes two pages
}

void tst_Paginator::formatNumber_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<int>("type");
    QTest::addColumn<int>("decimals");
    QTest::addColumn<bool>("blank");
    QTest::addColumn<QString>("expected");
    QTest::newRow("money millions") << 1234567.5 << int(FieldFormat::Money) << 2 << false << "1,234,567.50";
    QTest::newRow("money negative") << -12.0 << int(FieldFormat::Money) << 2 << false << "-12.00";
    QTest::newRow("money negative thousands") << -1000.25 << int(FieldFormat::Money) << 2 << false << "-1,000.25";
    QTest::newRow("money rounds half up") << 2.675000001 << int(FieldFormat::Money) << 2 << false << "2.68";
    QTest::newRow("tiny negative is zero") << -0.004 << int(FieldFormat::Money) << 2 << false << "0.00";
    QTest::newRow("money zero") << 0.0 << int(FieldFormat::Money) << 2 << false << "0.00";
    QTest::newRow("blank when zero") << 0.0 << int(FieldFormat::Money) << 2 << true << "";
    QTest::newRow("integer rounds") << 1499.6 << int(FieldFormat::Integer) << 0 << false << "1,500";
    QTest::newRow("number three decimals") << 1234.5678 << int(FieldFormat::Number) << 3 << false << "1,234.568";
    QTest::newRow("billions") << 98765432109.99 << int(FieldFormat::Money) << 2 << false << "98,765,432,109.99";
}

void tst_Paginator::formatNumber()
{
    QFETCH(double, value);
    QFETCH(int, type);
    QFETCH(int, decimals);
    QFETCH(bool, blank);
    QFETCH(QString, expected);
    FieldFormat f;
    f.type = FieldFormat::Type(type);
    f.decimals = decimals;
    f.blankWhenZero = blank;
    QCOMPARE(orvane::formatNumber(value, f), expected);
}

void tst_Paginator::outline_data()
{
    QTest::addColumn<std::vector<int>>("lines");
    QTest::addColumn<bool>("longNames");
    QTest::addColumn<bool>("flat");
    QTest::addColumn<bool>("named");
    QTest::newRow("many invoices a page") << std::vector<int>(150, 1) << false << false << false;
    QTest::newRow("invoices over several pages") << std::vector<int>{30, 70, 5, 120, 1, 2} << false << false << false;
    QTest::newRow("names that wrap") << std::vector<int>{1, 60, 2, 45, 7, 90, 1, 1, 33} << true << false << false;
    QTest::newRow("named by number and vendor") << std::vector<int>{4, 55, 1, 3} << false << false << true;
    QTest::newRow("no groups, no outline") << std::vector<int>{4, 55, 1} << false << true << false;
}

// One entry per invoice, in order, at the page and band of its first header;
// the same from the background job, page by page, as at once.
void tst_Paginator::outline()
{
    QFETCH(std::vector<int>, lines);
    QFETCH(bool, longNames);
    QFETCH(bool, flat);
    QFETCH(bool, named);
    const Document doc = layOut(lines, nullptr, longNames, flat, named);
    std::vector<OutlineEntry> entries;
    appendOutline(doc, 0, entries);
    QCOMPARE(int(entries.size()), flat ? 0 : int(lines.size()));

    const int gh = doc.layout().sectionIndex(QStringLiteral("GroupHeaderSection1"));
    int firstRow = 0;
    for (size_t k = 0; k < entries.size(); ++k) {
        const OutlineEntry &e = entries[k];
        const Placement &p = doc.placements[size_t(e.placement)];
        QCOMPARE(int(p.section), gh);
        QCOMPARE(p.row, firstRow);
        QVERIFY(!(p.flags & Placement::Continued));
        const PageEntry &page = doc.pages[size_t(e.page)];
        QVERIFY(e.placement >= page.first && e.placement < page.first + page.count);
        QCOMPARE(e.level, 0);
        const QString number = QString::number(1000 + int(k));
        QCOMPARE(outlineText(doc, e),
                 named ? number + QStringLiteral("  Vendor %1 & Sons").arg(int(k) % 37) : number);
        firstRow += lines[k];
    }

    PaginationJob job(doc.content);
    QSignalSpy finished(&job, &PaginationJob::finished);
    job.start();
    QVERIFY(finished.wait(20000));
    std::vector<OutlineEntry> fromJob;
    std::vector<Placement> headers;
    job.takeOutline(fromJob, headers);
    QCOMPARE(fromJob.size(), entries.size());
    Document headerDoc;
    headerDoc.content = doc.content;
    headerDoc.placements = headers;
    for (size_t k = 0; k < entries.size(); ++k) {
        QCOMPARE(fromJob[k].page, entries[k].page);
        QCOMPARE(headers[size_t(fromJob[k].placement)].row, doc.placements[size_t(entries[k].placement)].row);
        QCOMPARE(outlineText(headerDoc, fromJob[k]), outlineText(doc, entries[k]));
    }
}

void tst_Paginator::hitTest_data()
{
    // Page 1 of invoices of 3 and 2 lines: margins 10 mm, report header 20,
    // page header 10, then invoice 1000's header at 30 (6 high), its lines at
    // 36, 41 and 46 (5 high), its footer at 51 (7 high), invoice 1001's header at 58.
    QTest::addColumn<QPointF>("point");   // mm on the page
    QTest::addColumn<QString>("object");  // "" for none
    QTest::addColumn<QString>("link");    // the value the link carries, "" for none
    QTest::addColumn<int>("linkIndex");   // among the page's links, -1 for none
    QTest::newRow("invoice number of the first header") << QPointF(25, 43) << "fldInvoice" << "1000" << 0;
    QTest::newRow("vendor beside it, no link") << QPointF(60, 43) << "fldVendor" << "" << -1;
    QTest::newRow("product of the first line") << QPointF(30, 48.5) << "fldProduct" << "" << -1;
    QTest::newRow("right-aligned amount of the third line") << QPointF(195, 58.5) << "fldNet" << "" << -1;
    QTest::newRow("second invoice's number") << QPointF(12, 71) << "fldInvoice" << "1001" << 1;
    QTest::newRow("in the left margin") << QPointF(5, 43) << "" << "" << -1;
    QTest::newRow("only the page header's box") << QPointF(110, 34) << "" << "" << -1;
    QTest::newRow("left end of the amount's box") << QPointF(10 + 152, 48.5) << "fldNet" << "" << -1;
    QTest::newRow("right end of the product's box") << QPointF(10 + 64.9, 48.5) << "fldProduct" << "" << -1;
}

void tst_Paginator::hitTest()
{
    QFETCH(QPointF, point);
    QFETCH(QString, object);
    QFETCH(QString, link);
    QFETCH(int, linkIndex);
    const Document doc = layOut({3, 2}, nullptr, false, false, true);
    const PlacedObject hit = objectAt(doc, 0, point);
    QCOMPARE(hit.isValid(), !object.isEmpty());
    const std::vector<PlacedObject> links = pageLinks(doc, 0);
    QCOMPARE(int(links.size()), 2);
    QVERIFY(!objectAt(doc, 1, point).isValid());   // there is no page 2
    if (!hit.isValid())
        return;
    const Placement &p = doc.placements[size_t(hit.placement)];
    const LayoutObject &o = doc.layout().sections[p.section].objects[size_t(hit.object)];
    QCOMPARE(o.name, object);
    QCOMPARE(linkOf(doc, hit).value_or(ReportLink()).value, link);
    QCOMPARE(int(std::find(links.begin(), links.end(), hit) - links.begin()), linkIndex < 0 ? 2 : linkIndex);

    // The text stands inside its box, against the side it is aligned to.
    const QRectF box = objectRectMm(doc, p, hit.object);
    const QRectF text = PagePainter(doc).textBoundsMm(0, hit);
    QVERIFY2(!text.isEmpty() && box.adjusted(-0.01, -0.01, 0.01, 0.01).contains(text),
             qPrintable(QStringLiteral("text %1,%2 %3x%4").arg(text.x()).arg(text.y()).arg(text.width()).arg(text.height())));
    const double edge = (o.alignment & Qt::AlignRight) ? box.right() - text.right() : text.left() - box.left();
    QVERIFY2(edge >= 0 && edge < 0.5, qPrintable(QString::number(edge)));
}

QTEST_MAIN(tst_Paginator)
#include "tst_Paginator.moc"
