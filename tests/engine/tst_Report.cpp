#include "CaughtError.h"
#include "EngineTestData.h"
#include "PaginationJob.h"
#include "PdfExport.h"
#include "Printing.h"
#include "Recordset.h"
#include "Report.h"

#include <QPrinter>
#include <QPrinterInfo>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QXmlStreamReader>
#include <QtTest>

#include <functional>

using namespace orvane;
using namespace orvane::test;

using ReportCall = std::function<void(Report &)>;
Q_DECLARE_METATYPE(ReportCall)

namespace {

/// The PDF's bookmarks as a reader shows them, "level|page|title" each
/// (level 0 outermost, pages from 1).
QStringList bookmarks(const QString &pdf)
{
    QXmlStreamReader xml(toolOutput(QStringLiteral("pdftohtml"), {QStringLiteral("-xml"), QStringLiteral("-i"), QStringLiteral("-stdout"),
                                                                 QStringLiteral("-l"), QStringLiteral("1"), pdf}));
    QStringList marks;
    int depth = 0;
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.name() == u"outline")
            depth += xml.isStartElement() ? 1 : xml.isEndElement() ? -1 : 0;
        else if (xml.isStartElement() && xml.name() == u"item") {
            const QString page = xml.attributes().value(QLatin1String("page")).toString();   // before the text moves past it
            marks << QStringLiteral("%1|%2|").arg(depth - 1).arg(page) + xml.readElementText();
        }
    }
    return marks;
}

/// One line of pdfinfo's answer, as "Title" or "Page size" name them.
QString pdfInfo(const QString &pdf, const QString &key)
{
    return QRegularExpression(key + QStringLiteral(":\\s+([^\\n]*)")).match(toolOutput(QStringLiteral("pdfinfo"), {pdf})).captured(1);
}

} // namespace

class tst_Report : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QList<PrintJob> m_jobs;
    QString m_pdf;

private slots:
    void init()
    {
        m_jobs.clear();
        m_pdf = m_dir.filePath(QStringLiteral("printed.pdf"));
        QFile::remove(m_pdf);
        // The printer function the system path uses, with a PDF file for paper.
        setPrintHandler([this](const Document &doc, const PrintJob &job) {
            m_jobs << job;
            QPrinter printer(QPrinter::HighResolution);
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(m_pdf);
            QVERIFY(paintDocument(printer, doc));
        });
    }

    void cleanup() { setPrintHandler({}); }

    // Texts, title and parameters set at run time reach the page; a change
    // after the layout does not reach the document already laid out.
    void headingsReachThePage()
    {
        Report report(layoutPath("register.json"));
        QCOMPARE(report.ReportTitle(), QStringLiteral("Accounts Opening Balances"));
        QCOMPARE(report.parameterCount(), 2);
        report.object(QStringLiteral("txtHeading")).SetText(QStringLiteral("From 01-Mar-2024 To 31-Mar-2024"));
        report.setReportTitle(QStringLiteral("Product Wise Purchase "));
        report.ParameterFields(1).AddCurrentValue(QStringLiteral("Company Id - 12"));
        report.ParameterFields(2).AddCurrentValue(QStringLiteral("From : 01/03/2024,   To : 31/03/2024"));
        report.setRows(registerRows({1}).table);
        const Document doc = report.paginate();
        report.object(QStringLiteral("txtHeading")).SetText(QStringLiteral("later"));
        const QString rh = QStringLiteral("ReportHeaderSection1");
        QCOMPARE(shown(doc, rh, QStringLiteral("txtHeading")), QStringLiteral("From 01-Mar-2024 To 31-Mar-2024"));
        QCOMPARE(shown(doc, rh, QStringLiteral("spTitle")), QStringLiteral("Product Wise Purchase "));
        QCOMPARE(shown(doc, rh, QStringLiteral("spParam1")), QStringLiteral("Company Id - 12"));
        QCOMPARE(shown(doc, rh, QStringLiteral("spParam2")), QStringLiteral("From : 01/03/2024,   To : 31/03/2024"));
    }

    void refusals_data()
    {
        QTest::addColumn<ReportCall>("call");
        QTest::addColumn<QString>("message");
        auto setText = [](const char *name) { return ReportCall([name](Report &r) { r.object(QLatin1String(name)).SetText(QStringLiteral("x")); }); };
        auto parameter = [](int position) { return ReportCall([position](Report &r) { r.ParameterFields(position).AddCurrentValue(QStringLiteral("x")); }); };
        QTest::newRow("text of an absent object") << setText("txtCompName") << "The report tstRegister has no object named 'txtCompName'.";
        QTest::newRow("object name in other case") << setText("TXTHEADING") << "The report tstRegister has no object named 'TXTHEADING'.";
        QTest::newRow("text of a field") << setText("fldVendor") << "The report object 'fldVendor' is not a text object; its text cannot be set.";
        QTest::newRow("parameter 0") << parameter(0) << "The report tstRegister has no parameter 0 (it has 2).";
        QTest::newRow("parameter past the last") << parameter(3) << "The report tstRegister has no parameter 3 (it has 2).";
        QTest::newRow("paper orientation 3") << ReportCall([](Report &r) { r.setPaperOrientation(3); })
                                             << "Paper orientation 3 is not valid (1 portrait, 2 landscape).";
        QTest::newRow("rows without a column of the report") << ReportCall([](Report &r) {
            Recordset rs;
            rs.openTable(tableOf({QStringLiteral("purchaseid"), QStringLiteral("vendorname")}, {{1, "A"}}), QStringLiteral("test"));
            r.Database().SetDataSource(rs);
        }) << "register.json: 'fldProduct' needs the column 'productname', which the bound rows do not have.";
    }

    void refusals()
    {
        QFETCH(ReportCall, call);
        QFETCH(QString, message);
        Report report(layoutPath("register.json"));
        QCOMPARE(errorOf([&] { call(report); }), QStringLiteral("Report engine: ") + message);
    }

    void dataSourceSharesVisibleRows()
    {
        const RegisterRows rows = registerRows({3, 2, 4});
        Recordset rs;
        rs.openTable(rows.table, QStringLiteral("test"));
        rs.setFilter(QStringLiteral("purchaseid <> 1001"));
        QCOMPARE(rs.RecordCount(), 7);

        Report report(layoutPath("register.json"));
        report.Database().SetDataSource(rs, 3, 1);
        QCOMPARE(report.rows().get(), rows.table.get());   // shared, not copied
        QCOMPARE(report.rowOrder(), (std::vector<int>{0, 1, 2, 5, 6, 7, 8}));

        // Reopening the recordset on other rows leaves the report as bound.
        rs.Close();
        rs.openTable(registerRows({1}).table, QStringLiteral("other"));
        QCOMPARE(shown(report.paginate(), QStringLiteral("ReportFooterSection1"), QStringLiteral("sumReportNet")),
                 moneyText(rows.groupCents[0] + rows.groupCents[2]));
    }

    void printOut_data()
    {
        QTest::addColumn<int>("orientation");
        QTest::addColumn<bool>("prompt");
        QTest::addColumn<QString>("printer");   // "" leaves the default
        QTest::addColumn<bool>("landscape");
        QTest::newRow("as designed, prompt") << 0 << true << "" << false;
        QTest::newRow("landscape, no prompt") << 2 << false << "" << true;
        QTest::newRow("portrait, no prompt") << 1 << false << "" << false;
        QTest::newRow("unknown printer keeps the default") << 0 << false << "Ding Dong" << false;
    }

    void printOut()
    {
        QFETCH(int, orientation);
        QFETCH(bool, prompt);
        QFETCH(QString, printer);
        QFETCH(bool, landscape);
        const RegisterRows rows = registerRows({4, 30, 2});
        Report report(layoutPath("register.json"));
        report.object(QStringLiteral("txtHeading")).SetText(QStringLiteral("Purchase Register O'Brien & Co"));
        report.setRows(rows.table);
        report.setPaperOrientation(orientation);
        QCOMPARE(report.PaperOrientation(), orientation);
        if (!printer.isEmpty())
            report.SelectPrinter(QStringLiteral("Dummy Driver"), printer, QStringLiteral("LPT1"));
        QCOMPARE(report.printerName(), QString());
        report.PrintOut(prompt);

        QCOMPARE(m_jobs.size(), 1);
        QCOMPARE(m_jobs[0].prompt, prompt);
        QCOMPARE(m_jobs[0].printerName, QString());
        const QString text = pdfText(m_pdf);
        QVERIFY2(text.contains(QStringLiteral("Purchase Register O'Brien & Co")), qPrintable(text.left(400)));
        QVERIFY2(text.contains(moneyText(rows.totalCents)), qPrintable(moneyText(rows.totalCents)));
        QVERIFY(text.contains(moneyText(rows.groupCents[1])));
        QVERIFY(text.contains(QStringLiteral("Page 1 of")));
        const QRegularExpressionMatch m = QRegularExpression(QStringLiteral("([0-9.]+) x ([0-9.]+)")).match(pdfInfo(m_pdf, QStringLiteral("Page size")));
        QVERIFY(m.hasMatch());
        const double w = m.captured(1).toDouble(), h = m.captured(2).toDouble();
        QCOMPARE(w > h, landscape);
        QVERIFY(qAbs(qMax(w, h) - 841.89) < 1.0);   // A4 in points
    }

    void noPrinterInstalled()
    {
        if (!QPrinterInfo::availablePrinterNames().isEmpty())
            QSKIP("this machine has a printer");
        setPrintHandler({});
        Report report(layoutPath("register.json"));
        report.setRows(registerRows({1}).table);
        const QString error = errorOf([&] { report.PrintOut(false); });
        QVERIFY2(error.startsWith(QStringLiteral("Report engine: No printer is installed.")), qPrintable(error));
    }

    // The export writes its own PDF: text must come back out, fonts embedded once per face.
    void exportedPdfIsSearchable()
    {
        const RegisterRows rows = registerRows(std::vector<int>(60, 5));
        Report report(layoutPath("register.json"));
        report.object(QStringLiteral("txtHeading")).SetText(QStringLiteral("Café (Ünits) – 50% \\ done"));
        report.setRows(rows.table);
        const QString file = m_dir.filePath(QStringLiteral("export.pdf"));
        int last = 0, total = 0;
        QVERIFY(exportPdf(report, file, [&](int done, int of) {
            last = done;
            total = of;
            return true;
        }));
        QVERIFY(total > 2);
        QCOMPARE(last, total);
        const QString text = pdfText(file);
        QVERIFY2(text.contains(QStringLiteral("Café (Ünits) – 50% \\ done")), qPrintable(text.left(300)));
        QVERIFY(text.contains(moneyText(rows.totalCents)));
        for (qint64 cents : rows.groupCents)
            QVERIFY2(text.contains(moneyText(cents)), qPrintable(moneyText(cents)));
        QVERIFY(text.contains(QStringLiteral("Page %1 of %1").arg(total)));
        QVERIFY(text.contains(QStringLiteral("(continued)")));

        const QStringList fonts = toolOutput(QStringLiteral("pdffonts"), {file}).split(QLatin1Char('\n'), Qt::SkipEmptyParts).mid(2);
        QCOMPARE(fonts.size(), 2);   // regular and bold, each embedded once whatever its sizes
        for (const QString &line : fonts)
            QVERIFY2(line.contains(QRegularExpression(QStringLiteral("yes\\s+yes\\s+yes"))), qPrintable(line));
    }

    void documentName_data()
    {
        QTest::addColumn<QString>("caption");        // set by the preparation
        QTest::addColumn<QString>("reportTitle");    // set at run time; "" keeps the stored one
        QTest::addColumn<QString>("expected");
        QTest::newRow("the window's caption") << "Purchase Register (Invoicewise)" << "" << "Purchase Register (Invoicewise)";
        QTest::newRow("caption over a run-time title") << "Product Wise Purchases" << "Product Wise Purchase " << "Product Wise Purchases";
        QTest::newRow("no caption: the run-time title") << "" << "Product Wise Purchase " << "Product Wise Purchase";
        QTest::newRow("no caption, stored title: the layout") << "" << "" << "tstRegister";
        QTest::newRow("apostrophe and accents") << "Vendor's Ledger – Şükrü" << "" << "Vendor's Ledger – Şükrü";
    }

    // The PDF and the print job are named after the report, not after the
    // stored design-time title "Accounts Opening Balances".
    void documentName()
    {
        QFETCH(QString, caption);
        QFETCH(QString, reportTitle);
        QFETCH(QString, expected);
        Report report(layoutPath("register.json"));
        report.setRows(registerRows({2}).table);
        report.setDocumentTitle(caption);
        if (!reportTitle.isEmpty())
            report.setReportTitle(reportTitle);
        QCOMPARE(report.documentName(), expected);
        const QString file = m_dir.filePath(QStringLiteral("titled.pdf"));
        QVERIFY(exportPdf(report, file));
        QCOMPARE(pdfInfo(file, QStringLiteral("Title")), expected);
        report.PrintOut(false);
        QCOMPARE(m_jobs.size(), 1);
        QCOMPARE(m_jobs[0].documentName, expected);
    }

    void pdfBookmarks_data()
    {
        QTest::addColumn<QString>("layout");
        QTest::addColumn<int>("fromPage");           // 0-based, as exportPdf takes them
        QTest::addColumn<int>("toPage");             // -1: to the last
        QTest::addColumn<QStringList>("expected");   // "level|page|title", level 0 outermost, pages of the file from 1
        // Invoices 1000.. of 3, 60, 2, 1, 45, 4, 4, 30 and 2 lines; about fifty lines fill a page.
        QTest::newRow("the whole register") << "register.json" << 0 << -1
            << QStringList{"0|1|1000", "0|1|1001", "0|2|1002", "0|2|1003", "0|2|1004", "0|3|1005", "0|3|1006", "0|3|1007", "0|4|1008"};
        QTest::newRow("pages 2 and 3 only") << "register.json" << 1 << 2
            << QStringList{"0|1|1002", "0|1|1003", "0|1|1004", "0|2|1005", "0|2|1006", "0|2|1007"};
        QTest::newRow("groups within groups, titled by their outline objects") << "outline.json" << 0 << -1
            << QStringList{"0|1|Vendor  Zoë's Mills", "1|1|7", "1|1|9", "0|1|Vendor  Ali & Sons", "1|1|4"};
    }

    // One bookmark per group, in order, opening the page of its header (not of a
    // continued one); a page range keeps the groups that start on its pages.
    void pdfBookmarks()
    {
        QFETCH(QString, layout);
        QFETCH(int, fromPage);
        QFETCH(int, toPage);
        QFETCH(QStringList, expected);
        if (QStandardPaths::findExecutable(QStringLiteral("pdftohtml")).isEmpty())
            QSKIP("pdftohtml is not installed");
        Report report(layoutPath(qPrintable(layout)));
        if (layout == QLatin1String("outline.json")) {
            report.setRows(tableOf({QStringLiteral("vendorname"), QStringLiteral("purchaseid"), QStringLiteral("productname"), QStringLiteral("NetValue")},
                                   {{"Zoë's Mills", 7, "Tea", 1.5}, {"Zoë's Mills", 7, "Sugar", 2.0}, {"Zoë's Mills", 9, "Tea", 3.25},
                                    {"Ali & Sons", 4, "Rice", 10.0}}));
        } else {
            report.setRows(registerRows({3, 60, 2, 1, 45, 4, 4, 30, 2}).table);
        }
        const QString file = m_dir.filePath(QStringLiteral("bookmarks.pdf"));
        QVERIFY(exportPdf(report.paginate(), file, {}, fromPage, toPage));
        QCOMPARE(bookmarks(file), expected);
    }

    void backgroundPagination()
    {
        Report report(layoutPath("register.json"));
        report.setRows(registerRows(std::vector<int>(3000, 4)).table);
        const Document direct = report.paginate();

        PaginationJob job(report);
        QSignalSpy first(&job, &PaginationJob::firstPageReady);
        QSignalSpy done(&job, &PaginationJob::finished);
        QSignalSpy progress(&job, &PaginationJob::progress);
        job.start();
        QVERIFY(done.wait(30000));
        QCOMPARE(first.count(), 1);
        QCOMPARE(job.firstPage().pageCount(), 1);
        QCOMPARE(job.firstPage().pages[0].count, direct.pages[0].count);
        QVERIFY(job.document().complete);
        QCOMPARE(job.document().pageCount(), direct.pageCount());
        QCOMPARE(progress.last().at(0).toInt(), direct.pageCount());
    }
};

QTEST_MAIN(tst_Report)
#include "tst_Report.moc"
