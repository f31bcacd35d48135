#include "Document.h"
#include "EngineTestData.h"
#include "Error.h"
#include "PaginationJob.h"
#include "PdfExport.h"
#include "Printing.h"
#include "Recordset.h"
#include "Report.h"

#include <QPrinter>
#include <QPrinterInfo>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QXmlStreamReader>
#include <QtTest>

using namespace orvane;

namespace {

// Text of the first placement of `section` that shows `object`.
QString shown(const Document &doc, const QString &section, const QString &object, int page = 0)
{
    const int s = doc.layout().sectionIndex(section);
    const PageEntry &pe = doc.pages[size_t(page)];
    for (int i = pe.first; i < pe.first + pe.count; ++i) {
        const Placement &p = doc.placements[size_t(i)];
        if (int(p.section) != s)
            continue;
        const auto &objects = doc.layout().sections[size_t(s)].objects;
        for (int j = 0; j < int(objects.size()); ++j) {
            if (objects[size_t(j)].name == object)
                return objectText(doc, page, p, j);
        }
    }
    return QStringLiteral("<not on page>");
}

QString runTool(const QString &tool, const QStringList &args)
{
    QProcess p;
    p.start(tool, args);
    if (!p.waitForFinished(60000) || p.exitCode() != 0)
        return QStringLiteral("<%1 failed: %2>").arg(tool, QString::fromLocal8Bit(p.readAllStandardError()));
    return QString::fromUtf8(p.readAllStandardOutput());
}

/// The PDF's bookmarks as a reader shows them, "level|page|title" each
/// (level 0 outermost, pages from 1), read back with poppler's pdftohtml.
QStringList bookmarks(const QString &pdf)
{
    QXmlStreamReader xml(runTool(QStringLiteral("pdftohtml"), {QStringLiteral("-xml"), QStringLiteral("-i"),
                                                               QStringLiteral("-stdout"), QStringLiteral("-l"),
                                                               QStringLiteral("1"), pdf}));
    QStringList marks;
    int depth = 0;
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.name() == u"outline")
            depth += xml.isStartElement() ? 1 : xml.isEndElement() ? -1 : 0;
        else if (xml.isStartElement() && xml.name() == u"item") {
            const QString page = xml.attributes().value(QLatin1String("page")).toString();
            marks << QStringLiteral("%1|%2|").arg(depth - 1).arg(page) + xml.readElementText();
        }
    }
    return marks;
}

} // namespace

class tst_Report : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void setTextReachesThePage();
    void setTextOnMissingObjectNamesIt_data();
    void setTextOnMissingObjectNamesIt();
    void titleAndParameters();
    void parameterPositionOutOfRange_data();
    void parameterPositionOutOfRange();
    void sectionsAndObjectsWalk();
    void colourStripping();
    void dataSourceSharesVisibleRows();
    void dataSourceMissingColumn();
    void printOutWritesPdfWithText_data();
    void printOutWritesPdfWithText();
    void unknownPrinterKeepsDefault();
    void noPrinterInstalled();
    void exportCancelLeavesNoFile();
    void exportedPdfIsSearchable();
    void documentName_data();
    void documentName();
    void pdfBookmarks_data();
    void pdfBookmarks();
    void pdfBookmarksNested();
    void backgroundPagination();

private:
    QTemporaryDir m_dir;
    QList<PrintJob> m_jobs;
    QString m_pdf;
};

void tst_Report::init()
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

void tst_Report::cleanup()
{
    setPrintHandler({});
}

void tst_Report::setTextReachesThePage()
{
    Report report(test::layoutPath("register.json"));
    report.object(QStringLiteral("txtHeading")).SetText(QStringLiteral("From 01-Mar-2024 To 31-Mar-2024"));
    report.setRows(test::registerRows({2}).table);
    const Document doc = report.paginate();
    QCOMPARE(shown(doc, QStringLiteral("ReportHeaderSection1"), QStringLiteral("txtHeading")),
             QStringLiteral("From 01-Mar-2024 To 31-Mar-2024"));
    // Changes after pagination do not reach a document already laid out.
    report.object(QStringLiteral("txtHeading")).SetText(QStringLiteral("later"));
    QCOMPARE(shown(doc, QStringLiteral("ReportHeaderSection1"), QStringLiteral("txtHeading")),
             QStringLiteral("From 01-Mar-2024 To 31-Mar-2024"));
}

void tst_Report::setTextOnMissingObjectNamesIt_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("message");
    QTest::newRow("absent") << "txtCompName" << "The report tstRegister has no object named 'txtCompName'.";
    QTest::newRow("case differs") << "TXTHEADING" << "The report tstRegister has no object named 'TXTHEADING'.";
    QTest::newRow("a field, not a text") << "fldVendor" << "The report object 'fldVendor' is not a text object; its text cannot be set.";
}

void tst_Report::setTextOnMissingObjectNamesIt()
{
    QFETCH(QString, name);
    QFETCH(QString, message);
    Report report(test::layoutPath("register.json"));
    try {
        report.object(name).SetText(QStringLiteral("x"));
        QFAIL("SetText succeeded");
    } catch (const Error &e) {
        QCOMPARE(e.description(), message);
    }
}

void tst_Report::titleAndParameters()
{
    Report report(test::layoutPath("register.json"));
    QCOMPARE(report.ReportTitle(), QStringLiteral("Accounts Opening Balances"));
    QCOMPARE(report.parameterCount(), 2);
    report.setReportTitle(QStringLiteral("Product Wise Purchase "));
    report.ParameterFields(1).AddCurrentValue(QStringLiteral("Company Id - 12"));
    report.ParameterFields(2).AddCurrentValue(QStringLiteral("From : 01/03/2024,   To : 31/03/2024"));
    report.setRows(test::registerRows({1}).table);
    const Document doc = report.paginate();
    const QString rh = QStringLiteral("ReportHeaderSection1");
    QCOMPARE(shown(doc, rh, QStringLiteral("spTitle")), QStringLiteral("Product Wise Purchase "));
    QCOMPARE(shown(doc, rh, QStringLiteral("spParam1")), QStringLiteral("Company Id - 12"));
    QCOMPARE(shown(doc, rh, QStringLiteral("spParam2")), QStringLiteral("From : 01/03/2024,   To : 31/03/2024"));
}

void tst_Report::parameterPositionOutOfRange_data()
{
    QTest::addColumn<int>("position");
    QTest::newRow("zero") << 0;
    QTest::newRow("past the last") << 3;
}

void tst_Report::parameterPositionOutOfRange()
{
    QFETCH(int, position);
    Report report(test::layoutPath("register.json"));
    try {
        report.ParameterFields(position).AddCurrentValue(QStringLiteral("x"));
        QFAIL("accepted");
    } catch (const Error &e) {
        QCOMPARE(e.description(), QStringLiteral("The report tstRegister has no parameter %1 (it has 2).").arg(position));
    }
}

void tst_Report::sectionsAndObjectsWalk()
{
    Report report(test::layoutPath("register.json"));
    QStringList names;
    for (ReportSection *s : report.Sections())
        names << s->Name();
    QCOMPARE(names, QStringList({"ReportHeaderSection1", "PageHeaderSection1", "GroupHeaderSection1", "DetailSection1",
                                 "GroupFooterSection1", "ReportFooterSection1", "PageFooterSection1"}));
    const std::vector<ReportObject *> header = report.Sections()[1]->ReportObjects();
    QCOMPARE(int(header.size()), 5);
    QCOMPARE(header[0]->Name(), QStringLiteral("boxHeader"));
    QCOMPARE(header[0]->kind(), ReportObject::Kind::Box);
    QCOMPARE(header[0]->FillColor(), 0xC0C0C0);
    QCOMPARE(header[2]->kind(), ReportObject::Kind::Text);
    QCOMPARE(header[2]->BackColor(), 0x0000FF);   // "#FF0000" is red: 0x00BBGGRR
    QCOMPARE(header[4]->kind(), ReportObject::Kind::Line);
    QCOMPARE(report.Sections()[3]->ReportObjects()[0]->kind(), ReportObject::Kind::Field);
    QCOMPARE(report.Sections()[4]->ReportObjects()[0]->kind(), ReportObject::Kind::Summary);
    QCOMPARE(report.Sections()[6]->ReportObjects()[0]->kind(), ReportObject::Kind::Special);
}

// What the viewer does before printing: strip colours except on NO* objects,
// and the pages then show the changed colours.
void tst_Report::colourStripping()
{
    Report report(test::layoutPath("register.json"));
    for (ReportSection *s : report.Sections()) {
        for (ReportObject *o : s->ReportObjects()) {
            if (o->Name().toUpper().startsWith(QLatin1String("NO")))
                continue;
            if (o->kind() == ReportObject::Kind::Text || o->kind() == ReportObject::Kind::Field)
                o->setBackColor(-1);
            else if (o->kind() == ReportObject::Kind::Box)
                o->setFillColor(16777215);
        }
    }
    const auto content = report.content();
    const auto &ph = content->layout.sections[1].objects;
    QCOMPARE(ph[0].fillColor, 0xFFFFFF);   // boxHeader
    QCOMPARE(ph[1].fillColor, 0xFF0000);   // NOboxKeep keeps blue
    QCOMPARE(ph[2].backColor, -1);         // lblInvoice
    QCOMPARE(ph[3].backColor, 0x00FF00);   // NOlblAmount keeps green
}

void tst_Report::dataSourceSharesVisibleRows()
{
    test::RegisterRows rows = test::registerRows({3, 2, 4});
    Recordset rs;
    rs.openTable(rows.table, QStringLiteral("test"));
    rs.setFilter(QStringLiteral("purchaseid <> 1001"));
    QCOMPARE(rs.RecordCount(), 7);

    Report report(test::layoutPath("register.json"));
    report.Database().SetDataSource(rs, 3, 1);
    QCOMPARE(report.rows().get(), rows.table.get());   // shared, not copied
    QCOMPARE(report.rowOrder(), (std::vector<int>{0, 1, 2, 5, 6, 7, 8}));

    // Reopening the recordset on other rows leaves the report as bound.
    rs.Close();
    rs.openTable(test::registerRows({1}).table, QStringLiteral("other"));
    const Document doc = report.paginate();
    QCOMPARE(shown(doc, QStringLiteral("ReportFooterSection1"), QStringLiteral("sumReportNet")),
             test::moneyText(rows.groupCents[0] + rows.groupCents[2]));
}

void tst_Report::dataSourceMissingColumn()
{
    Table::Builder b({QStringLiteral("purchaseid"), QStringLiteral("vendorname")});
    b.beginRow();
    b.setValue(0, 1);
    b.setValue(1, QStringLiteral("A"));
    b.endRow();
    Recordset rs;
    rs.openTable(b.finish(), QStringLiteral("test"));
    Report report(test::layoutPath("register.json"));
    try {
        report.Database().SetDataSource(rs);
        QFAIL("bound rows without the report's columns");
    } catch (const Error &e) {
        QCOMPARE(e.description(),
                 QStringLiteral("register.json: 'fldProduct' needs the column 'productname', which the bound rows do not have."));
    }
}

void tst_Report::printOutWritesPdfWithText_data()
{
    QTest::addColumn<int>("orientation");
    QTest::addColumn<bool>("prompt");
    QTest::addColumn<bool>("landscape");
    QTest::newRow("as designed, prompt") << 0 << true << false;
    QTest::newRow("landscape, no prompt") << 2 << false << true;
    QTest::newRow("portrait, no prompt") << 1 << false << false;
}

void tst_Report::printOutWritesPdfWithText()
{
    QFETCH(int, orientation);
    QFETCH(bool, prompt);
    QFETCH(bool, landscape);
    const test::RegisterRows rows = test::registerRows({4, 30, 2});
    Report report(test::layoutPath("register.json"));
    report.object(QStringLiteral("txtHeading")).SetText(QStringLiteral("Purchase Register O'Brien & Co"));
    report.setRows(rows.table);
    report.setPaperOrientation(orientation);
    QCOMPARE(report.PaperOrientation(), orientation);
    report.PrintOut(prompt);

    QCOMPARE(m_jobs.size(), 1);
    QCOMPARE(m_jobs[0].prompt, prompt);
    QVERIFY(QFile::exists(m_pdf));
    const QString text = runTool(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), m_pdf, QStringLiteral("-")});
    QVERIFY2(text.contains(QStringLiteral("Purchase Register O'Brien & Co")), qPrintable(text.left(400)));
    QVERIFY2(text.contains(test::moneyText(rows.totalCents)), qPrintable(test::moneyText(rows.totalCents)));
    QVERIFY(text.contains(test::moneyText(rows.groupCents[1])));
    QVERIFY(text.contains(QStringLiteral("Page 1 of")));

    const QString info = runTool(QStringLiteral("pdfinfo"), {m_pdf});
    const QRegularExpressionMatch m = QRegularExpression(QStringLiteral("Page size:\\s+([0-9.]+) x ([0-9.]+)")).match(info);
    QVERIFY2(m.hasMatch(), qPrintable(info));
    const double w = m.captured(1).toDouble(), h = m.captured(2).toDouble();
    QCOMPARE(w > h, landscape);
    QVERIFY(qAbs(qMax(w, h) - 841.89) < 1.0);   // A4 in points
}

void tst_Report::unknownPrinterKeepsDefault()
{
    Report report(test::layoutPath("register.json"));
    report.setRows(test::registerRows({1}).table);
    report.SelectPrinter(QStringLiteral("Dummy Driver"), QStringLiteral("Ding Dong"), QStringLiteral("LPT1"));
    QCOMPARE(report.printerName(), QString());
    report.PrintOut(false);
    QCOMPARE(m_jobs.size(), 1);
    QCOMPARE(m_jobs[0].printerName, QString());
    QVERIFY(QFile::exists(m_pdf));
}

void tst_Report::noPrinterInstalled()
{
    if (!QPrinterInfo::availablePrinterNames().isEmpty())
        QSKIP("this machine has a printer");
    setPrintHandler({});
    Report report(test::layoutPath("register.json"));
    report.setRows(test::registerRows({1}).table);
    try {
        report.PrintOut(false);
        QFAIL("printed without a printer");
    } catch (const Error &e) {
        QVERIFY2(e.description().startsWith(QStringLiteral("No printer is installed.")), qPrintable(e.description()));
    }
}

void tst_Report::exportCancelLeavesNoFile()
{
    Report report(test::layoutPath("register.json"));
    report.setRows(test::registerRows(std::vector<int>(100, 5)).table);
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("cancelled.pdf"));
    int calls = 0;
    const bool done = exportPdf(report, file, [&calls](int done, int total) {
        ++calls;
        return !(done == 2 && total > 2);
    });
    QVERIFY(!done);
    QCOMPARE(calls, 2);
    QVERIFY(!QFile::exists(file));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList());
}

// The export writes its own PDF: text must come back out, fonts embedded once per face.
void tst_Report::exportedPdfIsSearchable()
{
    const test::RegisterRows rows = test::registerRows(std::vector<int>(60, 5));
    Report report(test::layoutPath("register.json"));
    report.object(QStringLiteral("txtHeading")).SetText(QStringLiteral("Café (Ünits) – 50% \\ done"));
    report.setRows(rows.table);
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("export.pdf"));
    int last = 0, total = 0;
    QVERIFY(exportPdf(report, file, [&](int done, int of) {
        last = done;
        total = of;
        return true;
    }));
    QVERIFY(total > 2);
    QCOMPARE(last, total);
    const QString text = runTool(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), file, QStringLiteral("-")});
    QVERIFY2(text.contains(QStringLiteral("Café (Ünits) – 50% \\ done")), qPrintable(text.left(300)));
    QVERIFY(text.contains(test::moneyText(rows.totalCents)));
    for (size_t g = 0; g < rows.groupCents.size(); ++g)
        QVERIFY2(text.contains(test::moneyText(rows.groupCents[g])), qPrintable(test::moneyText(rows.groupCents[g])));
    QVERIFY(text.contains(QStringLiteral("Page %1 of %1").arg(total)));
    QVERIFY(text.contains(QStringLiteral("(continued)")));

    const QString fonts = runTool(QStringLiteral("pdffonts"), {file});
    const QStringList lines = fonts.split(QLatin1Char('\n'), Qt::SkipEmptyParts).mid(2);
    QCOMPARE(lines.size(), 2);   // regular and bold, each embedded once whatever its sizes
    for (const QString &line : lines)
        QVERIFY2(line.contains(QRegularExpression(QStringLiteral("yes\\s+yes\\s+yes"))), qPrintable(line));
}

void tst_Report::documentName_data()
{
    QTest::addColumn<QString>("caption");        // set by the preparation
    QTest::addColumn<QString>("reportTitle");    // set at run time; "" keeps the stored one
    QTest::addColumn<QString>("expected");
    QTest::newRow("the window's caption") << "Purchase Register (Invoicewise)" << "" << "Purchase Register (Invoicewise)";
    QTest::newRow("caption over a run-time title")
        << "Product Wise Purchases" << "Product Wise Purchase " << "Product Wise Purchases";
    QTest::newRow("no caption: the run-time title") << "" << "Product Wise Purchase " << "Product Wise Purchase";
    QTest::newRow("no caption, stored title: the layout") << "" << "" << "tstRegister";
    QTest::newRow("apostrophe and accents") << "Vendor's Ledger – Şükrü" << "" << "Vendor's Ledger – Şükrü";
}

// The PDF and the print job are named after the report, not after the
// stored design-time title "Accounts Opening Balances".
void tst_Report::documentName()
{
    QFETCH(QString, caption);
    QFETCH(QString, reportTitle);
    QFETCH(QString, expected);
    Report report(test::layoutPath("register.json"));
    report.setRows(test::registerRows({2}).table);
    report.setDocumentTitle(caption);
    if (!reportTitle.isEmpty())
        report.setReportTitle(reportTitle);
    QCOMPARE(report.documentName(), expected);
    const QString file = m_dir.filePath(QStringLiteral("titled.pdf"));
    QVERIFY(exportPdf(report, file));
    const QString info = runTool(QStringLiteral("pdfinfo"), {file});
    QCOMPARE(QRegularExpression(QStringLiteral("Title:\\s+([^\\n]*)")).match(info).captured(1), expected);
    report.PrintOut(false);
    QCOMPARE(m_jobs.size(), 1);
    QCOMPARE(m_jobs[0].documentName, expected);
}

void tst_Report::pdfBookmarks_data()
{
    QTest::addColumn<int>("fromPage");   // 0-based, as exportPdf takes them
    QTest::addColumn<int>("toPage");
    QTest::newRow("the whole register") << 0 << -1;
    QTest::newRow("pages 2 and 3 only") << 1 << 2;
}

// One bookmark per invoice, in order, opening the page of its header (not of
// a continued one); a page range keeps the invoices that start on its pages.
void tst_Report::pdfBookmarks()
{
    QFETCH(int, fromPage);
    QFETCH(int, toPage);
    if (QStandardPaths::findExecutable(QStringLiteral("pdftohtml")).isEmpty())
        QSKIP("pdftohtml is not installed");
    const std::vector<int> lines = {3, 60, 2, 1, 45, 4, 4, 30, 2};
    Report report(test::layoutPath("register.json"));
    report.setRows(test::registerRows(lines).table);
    const Document doc = report.paginate();
    const int last = toPage < 0 ? doc.pageCount() - 1 : toPage;
    QVERIFY(doc.pageCount() > 3);

    // An invoice's header stands on the page of its first line.
    QStringList expected;
    int firstLine = 0;
    for (size_t inv = 0; inv < lines.size(); firstLine += lines[inv++]) {
        for (int page = 0; page < doc.pageCount(); ++page) {
            const PageEntry &pe = doc.pages[size_t(page)];
            const auto begin = doc.placements.begin() + pe.first;
            if (std::any_of(begin, begin + pe.count, [&](const Placement &p) {
                    return p.row == firstLine && doc.layout().sections[p.section].kind == SectionKind::Detail;
                })) {
                if (page >= fromPage && page <= last)
                    expected << QStringLiteral("0|%1|%2").arg(page - fromPage + 1).arg(1000 + inv);
                break;
            }
        }
    }
    QVERIFY(expected.size() > 1);
    std::vector<OutlineEntry> entries;
    appendOutline(doc, 0, entries);
    QCOMPARE(int(entries.size()), int(lines.size()));

    const QString file = m_dir.filePath(QStringLiteral("bookmarks.pdf"));
    QVERIFY(exportPdf(doc, file, {}, fromPage, toPage));
    QCOMPARE(bookmarks(file), expected);
}

// Groups within groups nest; a group's named outline objects make its title.
void tst_Report::pdfBookmarksNested()
{
    if (QStandardPaths::findExecutable(QStringLiteral("pdftohtml")).isEmpty())
        QSKIP("pdftohtml is not installed");
    Table::Builder b({QStringLiteral("vendorname"), QStringLiteral("purchaseid"), QStringLiteral("productname"),
                      QStringLiteral("NetValue")});
    const QVariantList rows[] = {{"Zoë's Mills", 7, "Tea", 1.5}, {"Zoë's Mills", 7, "Sugar", 2.0},
                                 {"Zoë's Mills", 9, "Tea", 3.25}, {"Ali & Sons", 4, "Rice", 10.0}};
    for (const QVariantList &row : rows) {
        b.beginRow();
        for (int c = 0; c < row.size(); ++c)
            b.setValue(c, row.at(c));
        b.endRow();
    }
    Report report(test::layoutPath("outline.json"));
    report.setRows(b.finish());
    const QString file = m_dir.filePath(QStringLiteral("nested.pdf"));
    QVERIFY(exportPdf(report, file));
    QCOMPARE(bookmarks(file), QStringList({QStringLiteral("0|1|Vendor  Zoë's Mills"), QStringLiteral("1|1|7"),
                                           QStringLiteral("1|1|9"), QStringLiteral("0|1|Vendor  Ali & Sons"),
                                           QStringLiteral("1|1|4")}));
}

void tst_Report::backgroundPagination()
{
    Report report(test::layoutPath("register.json"));
    report.setRows(test::registerRows(std::vector<int>(3000, 4)).table);
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
    const Document doc = job.document();
    QVERIFY(doc.complete);
    QCOMPARE(doc.pageCount(), direct.pageCount());
    QCOMPARE(progress.last().at(0).toInt(), direct.pageCount());

    // Stopped at once: the document says so, and finished still comes.
    PaginationJob stopped(report);
    QSignalSpy stoppedDone(&stopped, &PaginationJob::finished);
    stopped.start();
    stopped.stop();
    QVERIFY(stoppedDone.wait(30000));
    QVERIFY(stopped.document().cancelled);
    QVERIFY(!stopped.document().complete);
    QVERIFY(stopped.document().pageCount() < direct.pageCount());
}

QTEST_MAIN(tst_Report)
#include "tst_Report.moc"
