#include <QAbstractScrollArea>
#include <QApplication>
#include <QFile>
#include <QLineEdit>
#include <QPointer>
#include <QProcess>
#include <QRegularExpression>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <QWheelEvent>

#include "Document.h"
#include "Error.h"
#include "MessageRecorder.h"
#include "Printing.h"
#include "Recordset.h"
#include "Report.h"
#include "ReportView.h"
#include "RptReportViewer.h"
#include "Table.h"

#include <memory>

using namespace orvane;

namespace {

const QString kLayout = QStringLiteral(ORVANE_SOURCE_DIR "/tests/presentation/colours.json");

/// A report of the colour test layout with `rows` rows "Row 0001".., amount = row number.
std::unique_ptr<Report> makeReport(int rows)
{
    auto report = std::make_unique<Report>(kLayout);
    Table::Builder b({QStringLiteral("name"), QStringLiteral("amount")});
    for (int i = 1; i <= rows; ++i) {
        b.beginRow();
        b.setValue(0, QStringLiteral("Row %1").arg(i, 4, 10, QLatin1Char('0')));
        b.setValue(1, double(i));
        b.endRow();
    }
    Recordset rs;
    rs.openTable(b.finish(), QStringLiteral("rows"));
    report->Database().SetDataSource(rs);
    return report;
}

/// The sheet names of a workbook, read with the system's unzip.
QString sheetNames(const QString &xlsx)
{
    QProcess unzip;
    unzip.start(QStringLiteral("unzip"), {QStringLiteral("-p"), xlsx, QStringLiteral("xl/workbook.xml")});
    if (!unzip.waitForFinished(30000))
        return QString();
    const QString xml = QString::fromUtf8(unzip.readAllStandardOutput());
    QStringList names;
    static const QRegularExpression sheet(QStringLiteral("<sheet name=\"([^\"]*)\""));
    for (auto it = sheet.globalMatch(xml); it.hasNext();)
        names << it.next().captured(1);
    return names.join(QLatin1Char(','));
}

ReportObject *findObject(Report &report, const QString &name)
{
    for (ReportSection *s : report.Sections()) {
        for (ReportObject *o : s->ReportObjects()) {
            if (o->Name() == name)
                return o;
        }
    }
    return nullptr;
}

} // namespace

class tst_RptReportViewer : public QObject
{
    Q_OBJECT

private slots:
    void designTimeState();
    void removeObjectColors_data();
    void removeObjectColors();
    void removeObjectColorsWithoutReport();
    void printRequestStripsColoursBeforePrinting();
    void printHandlerMayTakeOver();
    void viewFillsClientArea_data();
    void viewFillsClientArea();
    void loadsWhenShown();
    void loadsOnCaptionChange();
    void pageKeys();
    void zoomLevels_data();
    void zoomLevels();
    void zoomKeys();
    void searchFindsAcrossPages();
    void stopCancelsPagination();
    void exportsByFileKind();
    void closeDeletesWindow();
};

void tst_RptReportViewer::designTimeState()
{
    RptReportViewer viewer;
    QCOMPARE(viewer.windowTitle(), QStringLiteral("Previewing Report"));
    QVERIFY(!viewer.ReportName);
    QVERIFY(viewer.CRViewer91);
    QCOMPARE(viewer.CRViewer91->objectName(), QStringLiteral("CRViewer91"));
    QCOMPARE(viewer.findChild<ReportView *>(QStringLiteral("CRViewer91")), viewer.CRViewer91);
    QVERIFY(viewer.testAttribute(Qt::WA_DeleteOnClose));
}

void tst_RptReportViewer::removeObjectColors_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("backColor");   // expected afterwards
    QTest::addColumn<int>("fillColor");

    // Colours in the file are #RRGGBB; the API gives 0x00BBGGRR.
    QTest::newRow("NOLOGO keeps its colour") << "NOLOGO" << 0x0000FF << -1;
    QTest::newRow("nologo keeps, any case") << "nologo" << 0x00FF00 << -1;
    QTest::newRow("noHdrAmount keeps, mixed case") << "noHdrAmount" << 0xE0E0E0 << -1;
    QTest::newRow("LOGONO is a text like any other") << "LOGONO" << -1 << -1;
    QTest::newRow("heading text stripped") << "hdrName" << -1 << -1;
    QTest::newRow("field stripped") << "fldName" << -1 << -1;
    QTest::newRow("summary stripped") << "totAmount" << -1 << -1;
    QTest::newRow("box gets a white fill") << "Band" << -1 << 16777215;
    QTest::newRow("NOBand keeps its fill") << "NOBand" << -1 << 0xC0C0C0;
}

void tst_RptReportViewer::removeObjectColors()
{
    QFETCH(QString, name);
    QFETCH(int, backColor);
    QFETCH(int, fillColor);

    auto *viewer = new RptReportViewer;   // never shown
    viewer->ReportName = makeReport(3);
    ReportObject *object = findObject(*viewer->ReportName, name);
    QVERIFY(object);
    viewer->RemoveObjectColors();
    QVERIFY(!viewer->isVisible());
    QVERIFY(!viewer->isLoaded());
    if (object->kind() == ReportObject::Kind::Box)
        QCOMPARE(object->FillColor(), fillColor);
    else
        QCOMPARE(object->BackColor(), backColor);
    delete viewer;
}

void tst_RptReportViewer::removeObjectColorsWithoutReport()
{
    RptReportViewer viewer;
    viewer.RemoveObjectColors();   // nothing to strip, nothing to fail
    QVERIFY(!viewer.ReportName);

    // A line has neither colour to strip: it comes out as it went in.
    viewer.ReportName = makeReport(1);
    ReportObject *rule = findObject(*viewer.ReportName, QStringLiteral("Rule"));
    QVERIFY(rule);
    const ReportColor back = rule->BackColor();
    const ReportColor fill = rule->FillColor();
    viewer.RemoveObjectColors();
    QCOMPARE(rule->BackColor(), back);
    QCOMPARE(rule->FillColor(), fill);
}

void tst_RptReportViewer::printRequestStripsColoursBeforePrinting()
{
    test::MessageRecorder boxes;
    RptReportViewer viewer;
    viewer.ReportName = makeReport(10);
    viewer.show();
    QVERIFY(viewer.isLoaded());

    int jobs = 0;
    ReportColor printedLogono = 0;
    ReportColor printedNologo = 0;
    bool prompted = false;
    setPrintHandler([&](const Document &doc, const PrintJob &job) {
        ++jobs;
        prompted = job.prompt;
        for (const Section &s : doc.layout().sections) {
            for (const LayoutObject &o : s.objects) {
                if (o.name == QLatin1String("LOGONO"))
                    printedLogono = o.backColor;
                if (o.name == QLatin1String("NOLOGO"))
                    printedNologo = o.backColor;
            }
        }
    });
    bool flagSeenAfterViewer = false;
    connect(viewer.CRViewer91, &ReportView::printButtonClicked, this,
            [&](bool *useDefault) { flagSeenAfterViewer = *useDefault; });
    viewer.CRViewer91->print();
    setPrintHandler({});

    QCOMPARE(boxes.texts(), QString());
    QCOMPARE(jobs, 1);
    QVERIFY(prompted);                       // the print dialog picks printer and pages
    QCOMPARE(printedLogono, ReportColor(-1));
    QCOMPARE(printedNologo, ReportColor(0x0000FF));
    QVERIFY(flagSeenAfterViewer);            // the viewer's handler leaves the argument alone
}

void tst_RptReportViewer::printHandlerMayTakeOver()
{
    RptReportViewer viewer;
    viewer.ReportName = makeReport(2);
    viewer.show();
    int jobs = 0;
    setPrintHandler([&](const Document &, const PrintJob &) { ++jobs; });
    connect(viewer.CRViewer91, &ReportView::printButtonClicked, this,
            [](bool *useDefault) { *useDefault = false; });
    viewer.CRViewer91->print();
    setPrintHandler({});
    QCOMPARE(jobs, 0);
    // The colours went all the same: the viewer's own handler ran first.
    QCOMPARE(findObject(*viewer.ReportName, QStringLiteral("LOGONO"))->BackColor(), ReportColor(-1));
}

void tst_RptReportViewer::viewFillsClientArea_data()
{
    QTest::addColumn<QSize>("size");
    QTest::newRow("small") << QSize(320, 200);
    QTest::newRow("wide") << QSize(1400, 600);
    QTest::newRow("tall") << QSize(500, 1000);
}

void tst_RptReportViewer::viewFillsClientArea()
{
    QFETCH(QSize, size);
    RptReportViewer viewer;
    viewer.ReportName = makeReport(5);
    viewer.show();
    viewer.resize(size);
    QTRY_COMPARE(viewer.size(), size);
    QCOMPARE(viewer.CRViewer91->geometry(), QRect(QPoint(0, 0), size));
    viewer.showMaximized();
    QTRY_VERIFY(viewer.isMaximized());
    QTRY_COMPARE(viewer.CRViewer91->geometry(), viewer.rect());
}

void tst_RptReportViewer::loadsWhenShown()
{
    RptReportViewer viewer;
    viewer.ReportName = makeReport(20);
    QVERIFY(!viewer.isLoaded());
    viewer.show();
    QVERIFY(viewer.isLoaded());
    QCOMPARE(viewer.CRViewer91->reportSource(), viewer.ReportName.get());
    QCOMPARE(viewer.CRViewer91->zoom(), qint16(ReportView::PageWidth));
    QCOMPARE(QApplication::overrideCursor(), nullptr);   // busy pointer given back
    QTRY_VERIFY(!viewer.CRViewer91->isPaginating());
    QCOMPARE(viewer.CRViewer91->pageCount(), 1);
    QCOMPARE(viewer.CRViewer91->pageStatusText(), QStringLiteral("1 of 1"));
}

void tst_RptReportViewer::loadsOnCaptionChange()
{
    RptReportViewer viewer;
    viewer.setWindowTitle(QStringLiteral("No report yet"));
    QVERIFY(!viewer.isLoaded());
    viewer.ReportName = makeReport(2);
    viewer.setWindowTitle(QStringLiteral("Purchase Summary ReportName"));
    QVERIFY(viewer.isLoaded());
    QVERIFY(!viewer.isVisible());
    QTRY_COMPARE(viewer.CRViewer91->pageCount(), 1);
}

void tst_RptReportViewer::pageKeys()
{
    RptReportViewer viewer;
    viewer.ReportName = makeReport(300);
    viewer.resize(800, 600);
    viewer.show();
    ReportView *view = viewer.CRViewer91;
    QTRY_VERIFY(!view->isPaginating());
    const int pages = view->pageCount();
    QVERIFY2(pages >= 5, qPrintable(QString::number(pages)));
    QCOMPARE(view->pageStatusText(), QStringLiteral("1 of %1").arg(pages));

    QWidget *canvas = view->focusProxy();
    QVERIFY(canvas);
    canvas->setFocus();
    QTest::keyClick(canvas, Qt::Key_PageDown);
    QCOMPARE(view->currentPage(), 1);
    QCOMPARE(view->pageStatusText(), QStringLiteral("2 of %1").arg(pages));
    QTest::keyClick(canvas, Qt::Key_End);
    QCOMPARE(view->currentPage(), pages - 1);
    QTest::keyClick(canvas, Qt::Key_PageDown);   // already on the last page
    QCOMPARE(view->currentPage(), pages - 1);
    QTest::keyClick(canvas, Qt::Key_PageUp);
    QCOMPARE(view->currentPage(), pages - 2);
    QTest::keyClick(canvas, Qt::Key_Home);
    QCOMPARE(view->currentPage(), 0);
    view->showPage(pages + 10);                  // clamped
    QCOMPARE(view->currentPage(), pages - 1);

    // Typing a page number in the page box goes there.
    auto *pageBox = view->findChild<QLineEdit *>(QStringLiteral("pageBox"));
    QVERIFY(pageBox);
    pageBox->setFocus();
    pageBox->selectAll();
    QTest::keyClicks(pageBox, QStringLiteral("3"));
    QTest::keyClick(pageBox, Qt::Key_Return);
    QCOMPARE(view->currentPage(), 2);
    QCOMPARE(view->pageStatusText(), QStringLiteral("3 of %1").arg(pages));
}

void tst_RptReportViewer::zoomLevels_data()
{
    QTest::addColumn<int>("level");
    QTest::addColumn<int>("expectedLevel");
    QTest::addColumn<double>("expectedFactor");   // 0: fitted, checked separately
    QTest::newRow("page width") << 1 << 1 << 0.0;
    QTest::newRow("whole page") << 2 << 2 << 0.0;
    QTest::newRow("half size") << 50 << 50 << 0.5;
    QTest::newRow("actual size") << 100 << 100 << 1.0;
    QTest::newRow("below 25 clamps") << 10 << 25 << 0.25;
    QTest::newRow("above 400 clamps") << 1000 << 400 << 4.0;
}

void tst_RptReportViewer::zoomLevels()
{
    QFETCH(int, level);
    QFETCH(int, expectedLevel);
    QFETCH(double, expectedFactor);

    RptReportViewer viewer;
    viewer.ReportName = makeReport(5);
    viewer.resize(900, 700);
    viewer.show();
    ReportView *view = viewer.CRViewer91;
    QTRY_VERIFY(view->pageCount() > 0);
    view->setZoom(qint16(level));
    QCOMPARE(int(view->zoom()), expectedLevel);
    // A4 portrait at 96 dpi: 793.7 x 1122.5 pixels at actual size.
    const double pageW = 210 / 25.4 * 96;
    const double pageH = 297 / 25.4 * 96;
    auto *area = view->findChild<QAbstractScrollArea *>();
    QVERIFY(area);
    const QSize vp = area->viewport()->size();
    if (level == 1) {
        QVERIFY(view->zoomFactor() * pageW <= vp.width());
        QVERIFY(view->zoomFactor() * pageW >= vp.width() - 40);
    } else if (level == 2) {
        QVERIFY(view->zoomFactor() * pageH <= vp.height());
        QVERIFY(view->zoomFactor() * pageW <= vp.width());
    } else {
        QCOMPARE(view->zoomFactor(), expectedFactor);
    }
}

void tst_RptReportViewer::zoomKeys()
{
    RptReportViewer viewer;
    viewer.ReportName = makeReport(5);
    viewer.show();
    ReportView *view = viewer.CRViewer91;
    QTRY_VERIFY(view->pageCount() > 0);
    view->setZoom(100);
    QWidget *canvas = view->focusProxy();
    canvas->setFocus();
    QTest::keyClick(canvas, Qt::Key_Plus, Qt::ControlModifier);
    QCOMPARE(int(view->zoom()), 125);
    QTest::keyClick(canvas, Qt::Key_Minus, Qt::ControlModifier);
    QTest::keyClick(canvas, Qt::Key_Minus, Qt::ControlModifier);
    QCOMPARE(int(view->zoom()), 75);

    // Ctrl+wheel zooms in steps; the wheel alone scrolls and leaves the zoom.
    auto *area = view->findChild<QAbstractScrollArea *>();
    auto wheel = [area](int delta, Qt::KeyboardModifiers modifiers) {
        const QPointF at(area->viewport()->width() / 2.0, area->viewport()->height() / 2.0);
        QWheelEvent event(at, area->viewport()->mapToGlobal(at), QPoint(), QPoint(0, delta), Qt::NoButton,
                          modifiers, Qt::NoScrollPhase, false);
        QApplication::sendEvent(area->viewport(), &event);
    };
    wheel(120, Qt::ControlModifier);
    QCOMPARE(int(view->zoom()), 100);
    wheel(-120, Qt::NoModifier);
    QCOMPARE(int(view->zoom()), 100);
    wheel(-120, Qt::ControlModifier);
    QCOMPARE(int(view->zoom()), 75);
}

void tst_RptReportViewer::searchFindsAcrossPages()
{
    RptReportViewer viewer;
    viewer.ReportName = makeReport(300);
    viewer.show();
    ReportView *view = viewer.CRViewer91;
    QTRY_VERIFY(!view->isPaginating());
    QVERIFY(view->pageCount() > 2);

    QVERIFY(view->findNext(QStringLiteral("row 0250")));   // case does not matter
    const int page = view->currentPage();
    QVERIFY(page > 0);
    QCOMPARE(view->searchHits(page).size(), 1);
    QCOMPARE(view->searchHits(0).size(), 0);

    // "Row 02" matches rows 0200..0299 and wraps round after the last.
    QVERIFY(view->findNext(QStringLiteral("Row 02")));
    const int first = view->currentPage();
    int hits = 0;
    for (int p = 0; p < view->pageCount(); ++p)
        hits += view->searchHits(p).size();
    QCOMPARE(hits, 100);
    for (int i = 0; i < 100; ++i)
        QVERIFY(view->findNext(QStringLiteral("Row 02")));
    QCOMPARE(view->currentPage(), first);   // round once and back to the first hit

    QVERIFY(!view->findNext(QStringLiteral("no such text")));

    // From the keyboard: Ctrl+F to the search box, Enter finds, F3 finds the next.
    view->showFirstPage();
    QWidget *canvas = view->focusProxy();
    canvas->setFocus();
    QTest::keyClick(canvas, Qt::Key_F, Qt::ControlModifier);
    auto *searchBox = view->findChild<QLineEdit *>(QStringLiteral("searchBox"));
    QVERIFY(searchBox);
    QVERIFY(searchBox->hasFocus());
    QTest::keyClicks(searchBox, QStringLiteral("Row 0100"));
    QTest::keyClick(searchBox, Qt::Key_Return);
    const int pageOf100 = view->currentPage();
    QCOMPARE(view->searchHits(pageOf100).size(), 1);
    searchBox->selectAll();
    QTest::keyClicks(searchBox, QStringLiteral("Row 029"));
    QTest::keyClick(searchBox, Qt::Key_Return);
    const int pageOf290 = view->currentPage();
    QVERIFY(pageOf290 > pageOf100);
    int found = 1;
    for (int i = 0; i < 9; ++i) {
        QTest::keyClick(searchBox, Qt::Key_F3);
        found += view->currentPage() >= pageOf290;
    }
    QCOMPARE(found, 10);   // Row 0290..Row 0299, all at or after the first hit's page
}

void tst_RptReportViewer::stopCancelsPagination()
{
    RptReportViewer viewer;
    viewer.ReportName = makeReport(400000);
    ReportView *view = viewer.CRViewer91;
    view->setReportSource(viewer.ReportName.get());
    view->viewReport();
    QVERIFY(view->isPaginating());
    QVERIFY(view->pageStatusText().isEmpty() || view->pageStatusText().endsWith(QStringLiteral("…")));
    view->stop();   // before the layout can have got far
    QTRY_VERIFY(!view->isPaginating());
    QVERIFY(view->document());
    QVERIFY(view->document()->cancelled);
    QVERIFY(!view->document()->complete);
    QVERIFY(!view->pageStatusText().endsWith(QStringLiteral("…")));

    // Viewing again lays the whole report out.
    view->viewReport();
    QTRY_VERIFY_WITH_TIMEOUT(!view->isPaginating(), 60000);
    QVERIFY(view->document()->complete);
    QVERIFY(view->pageCount() > 1000);
}

void tst_RptReportViewer::exportsByFileKind()
{
    RptReportViewer viewer;
    viewer.ReportName = makeReport(3);
    viewer.show();
    QTemporaryDir dir;
    const QString csv = dir.filePath(QStringLiteral("r.csv"));
    QVERIFY(viewer.CRViewer91->exportTo(csv));
    QFile f(csv);
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.readAll(), QByteArray("name,amount\r\nRow 0001,1\r\nRow 0002,2\r\nRow 0003,3\r\n"));

    const QString pdf = dir.filePath(QStringLiteral("r.pdf"));
    QTRY_VERIFY(!viewer.CRViewer91->isPaginating());
    QVERIFY(viewer.CRViewer91->exportTo(pdf));
    QFile p(pdf);
    QVERIFY(p.open(QIODevice::ReadOnly));
    QCOMPARE(p.read(5), QByteArray("%PDF-"));

    // The sheet takes the title set at run time, not the stored one.
    const QString xlsx = dir.filePath(QStringLiteral("r.xlsx"));
    QVERIFY(viewer.CRViewer91->exportTo(xlsx));
    QCOMPARE(sheetNames(xlsx), QStringLiteral("Report"));
    viewer.ReportName->setReportTitle(QStringLiteral("Product Wise Purchase "));
    QVERIFY(viewer.CRViewer91->exportTo(xlsx));
    QCOMPARE(sheetNames(xlsx), QStringLiteral("Product Wise Purchase"));

    QVERIFY_THROWS_EXCEPTION(Error, viewer.CRViewer91->exportTo(dir.filePath(QStringLiteral("r.txt"))));
    QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("r.txt"))));
}

void tst_RptReportViewer::closeDeletesWindow()
{
    QPointer<RptReportViewer> viewer = new RptReportViewer;
    viewer->ReportName = makeReport(2);
    viewer->show();
    viewer->close();
    QTRY_VERIFY(viewer.isNull());
}

QTEST_MAIN(tst_RptReportViewer)
#include "tst_RptReportViewer.moc"
