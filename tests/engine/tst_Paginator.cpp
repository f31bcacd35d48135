#include "EngineTestData.h"
#include "PagePainter.h"
#include "Report.h"

#include <QtTest>

using namespace orvane;
using namespace orvane::test;

Q_DECLARE_METATYPE(std::vector<int>)

namespace {

// Changes to the register layout, or-ed together.
enum Variant {
    Plain = 0,
    LongNames = 1,      // the product column wraps its names and its band grows
    Flat = 2,           // no group: its header and footer become the report's
    Named = 4,          // invoices named in the outline by number and vendor, the number a link
    TallDetail = 8,     // a detail band taller than the page
    PagePerInvoice = 16 // a new page before each invoice
};

Document layOutRegister(const std::vector<int> &lines, int variant = Plain, RegisterRows *rows = nullptr)
{
    QByteArray json = readBytes(layoutPath("register.json"));
    if (variant & Named) {
        json.replace("\"footer\": \"GroupFooterSection1\" }",
                     "\"footer\": \"GroupFooterSection1\", \"outline\": [\"fldInvoice\", \"fldVendor\"] }");
        json.replace("\"kind\": \"field\", \"field\": \"purchaseid\",", "\"kind\": \"field\", \"field\": \"purchaseid\", \"link\": { \"target\": \"register\" },");
    }
    if (variant & LongNames)
        json.replace("\"field\": \"productname\",", "\"field\": \"productname\", \"canGrow\": true,");
    if (variant & Flat) {
        json.replace("\"kind\": \"groupHeader\"", "\"kind\": \"reportHeader\"").replace("\"kind\": \"groupFooter\"", "\"kind\": \"reportFooter\"");
        json.remove(json.indexOf("\"groups\""), json.indexOf("\"sections\"") - json.indexOf("\"groups\""));
    }
    if (variant & TallDetail)
        json.replace("\"kind\": \"detail\", \"height\": 5", "\"kind\": \"detail\", \"height\": 300");
    if (variant & PagePerInvoice)
        json.replace("\"kind\": \"groupHeader\", \"height\": 6", "\"kind\": \"groupHeader\", \"height\": 6, \"newPageBefore\": true");
    const RegisterRows r = registerRows(lines, variant & LongNames);
    if (rows)
        *rows = r;
    return layOut(json, r.table);
}

} // namespace

class tst_Paginator : public QObject
{
    Q_OBJECT

private slots:
    void pages_data()
    {
        QTest::addColumn<std::vector<int>>("lines");
        QTest::addColumn<int>("variant");
        QTest::newRow("no rows") << std::vector<int>{} << 0;
        QTest::newRow("one row") << std::vector<int>{1} << 0;
        QTest::newRow("small invoices") << std::vector<int>(200, 3) << 0;
        QTest::newRow("one-line invoices") << std::vector<int>(150, 1) << 0;
        QTest::newRow("one invoice over four pages") << std::vector<int>{200} << 0;
        QTest::newRow("mixed sizes") << std::vector<int>{1, 60, 2, 45, 7, 90, 1, 1, 33} << 0;
        QTest::newRow("names that wrap") << std::vector<int>{1, 60, 2, 45, 7, 90, 1, 1, 33} << int(LongNames);
        QTest::newRow("a page for each invoice") << std::vector<int>{3, 70, 1, 2} << int(PagePerInvoice);
        // About fifty lines fill a page: the first invoice's footer, and with it
        // the grand total, meets every line position of the first two pages.
        for (int n = 1; n <= 110; ++n)
            QTest::addRow("first invoice of %d lines", n) << std::vector<int>{n, 2, 1} << 0;
        for (int n = 40; n <= 110; n += 3)
            QTest::addRow("%d lines without groups", n) << std::vector<int>{n} << int(Flat);
    }

    // Page by page: the report header once, page header and footer ("Page n of
    // m") on every page, bands without gaps clear of the footer, "(continued)"
    // only above a line of its invoice, no header at the foot of a page, no
    // total without a line of its own above it, no page of headings alone, and
    // every total equal to the sum of its rows, to the cent, as printed.
    void pages()
    {
        QFETCH(std::vector<int>, lines);
        QFETCH(int, variant);
        RegisterRows rows;
        const Document doc = layOutRegister(lines, variant, &rows);
        const Layout &L = doc.layout();
        auto kind = [&](const Placement &p) { return L.sections[p.section].kind; };
        auto named = [&](const Placement &p, const char *name) { return L.sections[p.section].name == QLatin1String(name); };
        auto footer = [&](const Placement &p) { return kind(p) == SectionKind::GroupFooter || kind(p) == SectionKind::ReportFooter; };
        auto invoice = [&](const Placement &p) { return p.row < 0 ? QString() : rows.table->text(doc.tableRow(p), 0); };
        const double footerTop = L.bodyRectMm().height() - L.sections[size_t(L.sectionIndex(QStringLiteral("PageFooterSection1")))].height;
        const QLocale en(QLocale::English);
        QVERIFY(doc.complete);

        size_t group = 0;
        qint64 running = 0;
        int details = 0, fresh = 0, reportFooters = 0, grown = 0;
        bool open = false;   // an invoice has begun and not yet had its footer
        QString lastInvoice;
        for (int page = 0; page < doc.pageCount(); ++page) {
            const PageEntry &pe = doc.pages[size_t(page)];
            const QString where = QStringLiteral("page %1 of %2").arg(page + 1).arg(doc.pageCount());
            std::vector<Placement> body(doc.placements.begin() + pe.first, doc.placements.begin() + pe.first + pe.count);
            // The report header(s) on page 1 only, then the page header; bands follow
            // each other without gaps or overlaps, grown or not, clear of the footer.
            QVERIFY(page > 0 || named(body.front(), "ReportHeaderSection1"));
            double y = 0;
            for (auto p = body.begin(); p != body.end() - 1; ++p) {
                QCOMPARE(double(p->y), y);
                y += doc.bandHeight(*p);
                QVERIFY2(y <= footerTop + 1e-4, qPrintable(where + QStringLiteral(": %1 runs into the footer").arg(L.sections[p->section].name)));
            }
            while (page == 0 && kind(body.front()) == SectionKind::ReportHeader)
                body.erase(body.begin());
            QVERIFY2(body.size() >= 2 && named(body.front(), "PageHeaderSection1"), qPrintable(where));
            QVERIFY(named(body.back(), "PageFooterSection1"));
            QCOMPARE(double(body.back().y), footerTop);
            QCOMPARE(textOf(doc, page, body.back(), QStringLiteral("spPages")),
                     QStringLiteral("Page %1 of %2").arg(page + 1).arg(doc.pageCount()));
            QCOMPARE(textOf(doc, page, body.back(), QStringLiteral("spPrinted")),
                     QDate::currentDate().toString(QStringLiteral("dd/MM/yyyy")));
            body = std::vector<Placement>(body.begin() + 1, body.end() - 1);

            QVERIFY2(std::any_of(body.begin(), body.end(), [](const Placement &p) { return !(p.flags & Placement::Continued); }),
                     qPrintable(where + QStringLiteral(": headings alone")));
            QVERIFY2(kind(body.back()) != SectionKind::GroupHeader, qPrintable(where + QStringLiteral(" ends with a group header")));
            for (size_t k = 0; k < body.size(); ++k) {
                const Placement &p = body[k];
                auto text = [&](const char *object) { return textOf(doc, page, p, QLatin1String(object)); };
                QVERIFY2(kind(p) != SectionKind::ReportHeader, qPrintable(where + QStringLiteral(": a report header below the page header")));
                grown += p.grow > 0 ? 1 : 0;
                details += kind(p) == SectionKind::Detail ? 1 : 0;
                // A page that goes on with an invoice opens with its header, marked, and no other does.
                QCOMPARE(bool(p.flags & Placement::Continued), page > 0 && k == 0 && open);
                if (p.flags & Placement::Continued) {
                    QCOMPARE(text("spContinued"), QStringLiteral("(continued)"));
                    QCOMPARE(text("fldInvoice"), lastInvoice);
                    QVERIFY2(k + 1 < body.size() && kind(body[k + 1]) == SectionKind::Detail && invoice(body[k + 1]) == invoice(p),
                             qPrintable(where + QStringLiteral(": \"(continued)\" not above a line of its invoice")));
                } else if (kind(p) == SectionKind::GroupHeader) {
                    ++fresh;
                    QVERIFY2(k == 0 || !(variant & PagePerInvoice), qPrintable(where + QStringLiteral(": an invoice below another")));
                    open = true;
                    lastInvoice = text("fldInvoice");
                    QCOMPARE(lastInvoice, invoice(p));
                    QCOMPARE(text("spContinued"), QString());
                    QCOMPARE(kind(body[k + 1]), SectionKind::Detail);
                } else if (footer(p)) {
                    size_t j = k;
                    while (j > 0 && footer(body[j - 1]))
                        --j;
                    QVERIFY2(lines.empty() || (j > 0 && kind(body[j - 1]) == SectionKind::Detail && (p.row < 0 || invoice(body[j - 1]) == invoice(p))),
                             qPrintable(where + QStringLiteral(": a total without a line of its own above it")));
                }
                if (kind(p) == SectionKind::GroupFooter) {
                    QVERIFY(group < rows.groupCents.size());
                    open = false;
                    running += rows.groupCents[group];
                    QCOMPARE(text("sumGroupNet"), moneyText(rows.groupCents[group]));
                    QCOMPARE(text("sumLines"), en.toString(rows.groupLines[group]));
                    QCOMPARE(text("sumRunningNet"), moneyText(running));
                    QCOMPARE(qRound64(doc.summaryValue(p, 1) * 100), rows.groupCents[group]);
                    ++group;
                } else if (named(p, "ReportFooterSection1")) {
                    ++reportFooters;
                    QCOMPARE(text("sumReportNet"), moneyText(rows.totalCents));
                    QCOMPARE(text("sumReportLines"), en.toString(rows.table->rowCount()));
                }
            }
        }
        QCOMPARE(details, rows.table->rowCount());
        QCOMPARE(fresh, (variant & Flat) ? 0 : int(lines.size()));
        QCOMPARE(group, (variant & Flat) ? 0 : lines.size());
        QCOMPARE(reportFooters, 1);
        QCOMPARE(grown > 0, (variant & LongNames) && !lines.empty());
    }

    // A line taller than the page stands on a page of its own, its invoice's
    // header right under the page header; the headings before it and the totals
    // after it stand on pages without lines.
    void tallLineStandsAlone()
    {
        const Document doc = layOutRegister({3}, TallDetail);
        QList<int> perPage;
        for (const PageEntry &pe : doc.pages) {
            int lines = 0;
            for (int i = pe.first; i < pe.first + pe.count; ++i) {
                const SectionKind kind = doc.layout().sections[doc.placements[size_t(i)].section].kind;
                lines += kind == SectionKind::Detail ? 1 : 0;
                if (kind == SectionKind::GroupHeader)
                    QCOMPARE(doc.layout().sections[doc.placements[size_t(i - 1)].section].kind, SectionKind::PageHeader);
            }
            if (lines > 0)
                perPage << lines;
        }
        QCOMPARE(perPage, QList<int>({1, 1, 1}));
    }

    void cancelStopsEarly()
    {
        Report report(layoutPath("register.json"));
        report.setRows(registerRows(std::vector<int>(2000, 5)).table);
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

    void formatNumber_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<int>("type");
        QTest::addColumn<int>("decimals");
        QTest::addColumn<bool>("blank");
        QTest::addColumn<QString>("expected");
        const int money = int(FieldFormat::Money);
        QTest::newRow("money rounds half up") << 2.675000001 << money << 2 << false << "2.68";
        QTest::newRow("tiny negative is zero") << -0.004 << money << 2 << false << "0.00";
        QTest::newRow("blank when zero") << 0.0 << money << 2 << true << "";
        QTest::newRow("integer rounds") << 1499.6 << int(FieldFormat::Integer) << 0 << false << "1,500";
        QTest::newRow("billions") << 98765432109.99 << money << 2 << false << "98,765,432,109.99";
        QTest::newRow("number three decimals") << 1234.5678 << int(FieldFormat::Number) << 3 << false << "1,234.568";
    }

    void formatNumber()
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

    void outline_data()
    {
        QTest::addColumn<std::vector<int>>("lines");
        QTest::addColumn<int>("variant");
        QTest::newRow("many invoices a page") << std::vector<int>(150, 1) << 0;
        QTest::newRow("invoices over several pages") << std::vector<int>{30, 70, 5, 120, 1, 2} << 0;
        QTest::newRow("named by number and vendor") << std::vector<int>{4, 55, 1, 3} << int(Named);
        QTest::newRow("no groups, no outline") << std::vector<int>{4, 55, 1} << int(Flat);
    }

    // One entry per invoice, in order, at the page and band of its first header.
    void outline()
    {
        QFETCH(std::vector<int>, lines);
        QFETCH(int, variant);
        const Document doc = layOutRegister(lines, variant);
        std::vector<OutlineEntry> entries;
        appendOutline(doc, 0, entries);
        QCOMPARE(int(entries.size()), (variant & Flat) ? 0 : int(lines.size()));
        int firstRow = 0;
        for (size_t k = 0; k < entries.size(); firstRow += lines[k++]) {
            const OutlineEntry &e = entries[k];
            const Placement &p = doc.placements[size_t(e.placement)];
            QCOMPARE(doc.layout().sections[p.section].name, QStringLiteral("GroupHeaderSection1"));
            QCOMPARE(p.row, firstRow);
            QVERIFY(!(p.flags & Placement::Continued));
            const PageEntry &page = doc.pages[size_t(e.page)];
            QVERIFY(e.placement >= page.first && e.placement < page.first + page.count);
            QCOMPARE(e.level, 0);
            const QString number = QString::number(1000 + int(k));
            QCOMPARE(outlineText(doc, e), (variant & Named) ? number + QStringLiteral("  Vendor %1 & Sons").arg(int(k) % 37) : number);
        }
    }

    void hitTest_data()
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
        QTest::newRow("second invoice's number") << QPointF(12, 71) << "fldInvoice" << "1001" << 1;
        QTest::newRow("in the left margin") << QPointF(5, 43) << "" << "" << -1;
        QTest::newRow("only the page header's box") << QPointF(110, 34) << "" << "" << -1;
        QTest::newRow("left end of the amount's box") << QPointF(10 + 152, 48.5) << "fldNet" << "" << -1;
        QTest::newRow("right end of the product's box") << QPointF(10 + 64.9, 48.5) << "fldProduct" << "" << -1;
    }

    void hitTest()
    {
        QFETCH(QPointF, point);
        QFETCH(QString, object);
        QFETCH(QString, link);
        QFETCH(int, linkIndex);
        const Document doc = layOutRegister({3, 2}, Named);
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
};

QTEST_MAIN(tst_Paginator)
#include "tst_Paginator.moc"
