// The preview window: which colours go before printing, the view filling the
// window, paging, zoom, search, export and closing from the keyboard, and
// where it opens on the screen.

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QScreen>
#include <QProcess>
#include <QProgressDialog>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "Document.h"
#include "Error.h"
#include "Layout.h"
#include "Printing.h"
#include "Recordset.h"
#include "Report.h"
#include "ReportView.h"
#include "RptReportViewer.h"
#include "SearchMiss.h"
#include "Table.h"
#include "WindowPlacement.h"

#include <memory>

using namespace orvane;

namespace {

/// The colour test layout with `rows` rows "Row 0001".., amount = row number.
std::unique_ptr<Report> makeReport(int rows)
{
    auto report =
        std::make_unique<Report>(QStringLiteral(ORVANE_SOURCE_DIR "/tests/presentation/colours.json"));
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

constexpr int kSame = -2;   // the colour the layout gave

/// A shown viewer over `rows` rows, its pages all laid out, the focus on its pages.
RptReportViewer *shownViewer(int rows)
{
    auto *viewer = new RptReportViewer;
    viewer->ReportName = makeReport(rows);
    viewer->resize(800, 600);
    viewer->show();
    if (!QTest::qWaitFor([viewer] { return !viewer->CRViewer91->isPaginating(); }, 20000))
        qWarning("the pages were not laid out in time");
    viewer->CRViewer91->focusProxy()->setFocus();
    return viewer;
}

/// Ctrl+E on `pages`; the save dialog is answered with `answer` ("": Cancel).
/// Returns the folder and the file name it offered (empty: no dialog).
QStringList exportByKeys(QWidget *pages, const QString &answer)
{
    QStringList offered;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        for (QWidget *w : QApplication::topLevelWidgets()) {
            auto *dialog = qobject_cast<QFileDialog *>(w);
            auto *edit = dialog && dialog->isVisible() ? dialog->findChild<QLineEdit *>("fileNameEdit") : nullptr;
            if (!edit)
                continue;
            poll.stop();
            offered = QStringList{dialog->directory().absolutePath(), edit->text()};
            dialog->setOption(QFileDialog::DontConfirmOverwrite);
            edit->setText(answer);
            answer.isEmpty() ? dialog->reject() : static_cast<QDialog *>(dialog)->accept();
        }
    });
    poll.start(20);
    QTest::keyClick(pages, Qt::Key_E, Qt::ControlModifier);
    return offered;
}

} // namespace

class tst_RptReportViewer : public QObject
{
    Q_OBJECT

private slots:
    void removeObjectColors_data();
    void removeObjectColors();
    void printStripsColoursFirst();
    void viewFillsClientArea_data();
    void viewFillsClientArea();
    void pageZoomAndSearchKeys();
    void stopKeepsPagesSoFar();
    void exportsByFileKind_data();
    void exportsByFileKind();
    void exportCancelKeepsPreviousFile();
    void viewerKeys_data();
    void viewerKeys();
    void exportShortcut_data();
    void exportShortcut();
    void pageCounterIsNeverCut();
    void placement_data();
    void placement();
    void viewersOpenOnScreenCascaded();
};

void tst_RptReportViewer::removeObjectColors_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("backColor");   // afterwards; colours read back as 0x00BBGGRR
    QTest::addColumn<int>("fillColor");
    QTest::newRow("NOLOGO keeps its colour") << "NOLOGO" << 0x0000FF << kSame;
    QTest::newRow("nologo keeps, any case") << "nologo" << 0x00FF00 << kSame;
    QTest::newRow("LOGONO is a text like any other") << "LOGONO" << -1 << kSame;
    QTest::newRow("field stripped") << "fldName" << -1 << kSame;
    QTest::newRow("summary stripped") << "totAmount" << -1 << kSame;
    QTest::newRow("box gets a white fill") << "Band" << kSame << 16777215;
    QTest::newRow("NOBand keeps its fill") << "NOBand" << kSame << 0xC0C0C0;
    QTest::newRow("line left as it is") << "Rule" << 0xFF00FF << 0xFFFF00;
}

void tst_RptReportViewer::removeObjectColors()
{
    QFETCH(QString, name);
    QFETCH(int, backColor);
    QFETCH(int, fillColor);
    RptReportViewer viewer;   // never shown
    viewer.RemoveObjectColors();   // no report yet: nothing to strip, nothing to fail
    viewer.ReportName = makeReport(3);
    ReportObject *object = findObject(*viewer.ReportName, name);
    QVERIFY(object);
    const ReportColor back = object->BackColor();
    const ReportColor fill = object->FillColor();
    viewer.RemoveObjectColors();
    QVERIFY(!viewer.isLoaded());
    QCOMPARE(object->BackColor(), backColor == kSame ? back : ReportColor(backColor));
    QCOMPARE(object->FillColor(), fillColor == kSame ? fill : ReportColor(fillColor));
}

void tst_RptReportViewer::printStripsColoursFirst()
{
    RptReportViewer viewer;
    viewer.ReportName = makeReport(10);
    viewer.show();
    QMap<QString, ReportColor> printed;
    bool prompted = false;
    setPrintHandler([&](const Document &doc, const PrintJob &job) {
        prompted = job.prompt;
        for (const Section &s : doc.layout().sections) {
            for (const LayoutObject &o : s.objects)
                printed.insert(o.name, o.backColor);
        }
    });
    viewer.CRViewer91->print();
    setPrintHandler({});
    QVERIFY(prompted);   // the print dialog picks printer and pages
    QCOMPARE(printed.value(QStringLiteral("LOGONO")), ReportColor(-1));
    QCOMPARE(printed.value(QStringLiteral("NOLOGO")), ReportColor(0x0000FF));
}

void tst_RptReportViewer::viewFillsClientArea_data()
{
    QTest::addColumn<QSize>("size");
    QTest::newRow("small") << QSize(320, 200);
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

void tst_RptReportViewer::pageZoomAndSearchKeys()
{
    RptReportViewer viewer;
    viewer.ReportName = makeReport(300);
    viewer.resize(800, 600);
    viewer.show();
    ReportView *view = viewer.CRViewer91;
    QCOMPARE(view->zoom(), qint16(ReportView::PageWidth));
    QTRY_VERIFY(!view->isPaginating());
    const int pages = view->pageCount();
    QVERIFY2(pages >= 5, qPrintable(QString::number(pages)));

    QWidget *canvas = view->focusProxy();
    canvas->setFocus();
    QTest::keyClick(canvas, Qt::Key_PageDown);
    QCOMPARE(view->pageStatusText(), QStringLiteral("2 of %1").arg(pages));
    QTest::keyClick(canvas, Qt::Key_End);
    QTest::keyClick(canvas, Qt::Key_PageDown);   // already on the last page
    QCOMPARE(view->currentPage(), pages - 1);
    QTest::keyClick(canvas, Qt::Key_Home);
    QCOMPARE(view->currentPage(), 0);

    view->setZoom(100);
    QTest::keyClick(canvas, Qt::Key_Plus, Qt::ControlModifier);
    QCOMPARE(int(view->zoom()), 125);
    QCOMPARE(view->zoomFactor(), 1.25);
    view->setZoom(1000);
    QCOMPARE(int(view->zoom()), int(ReportView::MaxZoomPercent));
    QTest::keyClick(canvas, Qt::Key_0, Qt::ControlModifier);
    QCOMPARE(view->zoomFactor(), 1.0);

    // Ctrl+F to the search box; Enter finds, case aside, on a later page and
    // counts the hits; F3 moves on and at the last hit wraps round.
    QTest::keyClick(canvas, Qt::Key_F, Qt::ControlModifier);
    auto *searchBox = view->findChild<QLineEdit *>(QStringLiteral("searchBox"));
    QVERIFY(searchBox && searchBox->hasFocus());
    QTest::keyClicks(searchBox, QStringLiteral("ROW 029"));
    QTest::keyClick(searchBox, Qt::Key_Return);
    const int page = view->currentPage();
    QVERIFY(page > 0);
    QCOMPARE(view->searchHits(0).size(), 0);
    QTRY_COMPARE(view->searchStatusText(), QStringLiteral("1 of 10"));
    for (int i = 0; i < 9; ++i)
        QTest::keyClick(searchBox, Qt::Key_F3);
    QCOMPARE(view->searchStatusText(), QStringLiteral("10 of 10"));
    QTest::keyClick(searchBox, Qt::Key_F3);
    QCOMPARE(view->searchStatusText(), QStringLiteral("1 of 10"));
    QCOMPARE(view->currentPage(), page);

    // A miss shows in the box; emptying the box ends the search and its highlights.
    searchBox->selectAll();
    QTest::keyClicks(searchBox, QStringLiteral("no such text"));
    QTest::keyClick(searchBox, Qt::Key_Return);
    QCOMPARE(view->searchStatusText(), QStringLiteral("No matches"));
    QVERIFY(isSearchMiss(searchBox));
    searchBox->selectAll();
    QTest::keyClicks(searchBox, QStringLiteral("row 029"));
    QTest::keyClick(searchBox, Qt::Key_Return);
    QVERIFY(!view->searchHits(page).isEmpty());
    searchBox->selectAll();
    QTest::keyClick(searchBox, Qt::Key_Backspace);
    QCOMPARE(view->searchStatusText(), QString());
    QCOMPARE(view->searchHits(page).size(), 0);
    QVERIFY(!isSearchMiss(searchBox));
}

void tst_RptReportViewer::stopKeepsPagesSoFar()
{
    RptReportViewer viewer;
    viewer.ReportName = makeReport(1500000);
    ReportView *view = viewer.CRViewer91;
    view->setReportSource(viewer.ReportName.get());
    view->viewReport();
    QVERIFY(view->isPaginating());
    view->stop();   // before the layout can have got far
    QTRY_VERIFY(!view->isPaginating());
    QVERIFY(view->document() && view->document()->cancelled && !view->document()->complete);
    QVERIFY(!view->pageStatusText().endsWith(QStringLiteral("…")));
}

void tst_RptReportViewer::exportsByFileKind_data()
{
    QTest::addColumn<QString>("suffix");
    QTest::addColumn<QString>("title");     // set at run time
    QTest::addColumn<QByteArray>("start");  // of the file; "": refused, no file
    QTest::addColumn<QString>("sheet");
    QTest::newRow("csv") << "csv" << "" << QByteArray("name,amount\r\nRow 0001,1\r\n") << "";
    QTest::newRow("pdf") << "pdf" << "" << QByteArray("%PDF-") << "";
    QTest::newRow("xlsx, stored title") << "xlsx" << "" << QByteArray("PK") << "Report";
    QTest::newRow("xlsx, run-time title")
        << "xlsx" << "Product Wise Purchase " << QByteArray("PK") << "Product Wise Purchase";
    QTest::newRow("unknown suffix refused") << "txt" << "" << QByteArray() << "";
}

void tst_RptReportViewer::exportsByFileKind()
{
    QFETCH(QString, suffix);
    QFETCH(QString, title);
    QFETCH(QByteArray, start);
    QFETCH(QString, sheet);
    RptReportViewer viewer;
    viewer.ReportName = makeReport(3);
    if (!title.isEmpty())
        viewer.ReportName->setReportTitle(title);
    viewer.show();
    QTRY_VERIFY(!viewer.CRViewer91->isPaginating());
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("r.") + suffix);
    if (start.isEmpty()) {
        QVERIFY_THROWS_EXCEPTION(Error, viewer.CRViewer91->exportTo(file));
        QVERIFY(!QFile::exists(file));
        return;
    }
    QVERIFY(viewer.CRViewer91->exportTo(file));
    QFile f(file);
    QVERIFY(f.open(QIODevice::ReadOnly));
    QVERIFY(f.readAll().startsWith(start));
    if (!sheet.isEmpty()) {
        QProcess unzip;
        unzip.start(QStringLiteral("unzip"), {QStringLiteral("-p"), file, QStringLiteral("xl/workbook.xml")});
        QVERIFY(unzip.waitForFinished(30000));
        QVERIFY(unzip.readAllStandardOutput().contains("<sheet name=\"" + sheet.toUtf8() + '"'));
    }
}

// Cancel in the export's progress dialog: exportTo says so, the previous file
// stays as it was and nothing half-written is left beside it.
void tst_RptReportViewer::exportCancelKeepsPreviousFile()
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("r.xlsx"));
    const QByteArray previous = "previous report";
    bool cancelled = false;
    // The dialog shows, and so takes a Cancel, only for an export that takes a
    // while; the rows double until one does.
    for (int rows = 40000; !cancelled && rows <= 640000; rows *= 2) {
        QFile old(file);
        QVERIFY(old.open(QIODevice::WriteOnly) && old.write(previous) == previous.size());
        old.close();
        RptReportViewer viewer;
        viewer.ReportName = makeReport(rows);
        viewer.show();
        QTRY_VERIFY_WITH_TIMEOUT(!viewer.CRViewer91->isPaginating(), 60000);
        QTimer canceller;
        connect(&canceller, &QTimer::timeout, &viewer, [&viewer] {
            for (QProgressDialog *dialog : viewer.findChildren<QProgressDialog *>()) {
                if (dialog->isVisible())
                    dialog->cancel();
            }
        });
        canceller.start(10);
        cancelled = !viewer.CRViewer91->exportTo(file);
    }
    QVERIFY2(cancelled, "the export never showed its progress dialog");
    QFile f(file);
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.readAll(), previous);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden | QDir::System), QStringList{QStringLiteral("r.xlsx")});
}

void tst_RptReportViewer::viewerKeys_data()
{
    QTest::addColumn<QKeyCombination>("keys");
    QTest::addColumn<bool>("inSearchBox");   // else on the pages
    QTest::addColumn<int>("zoom");           // afterwards; 0: the viewer closed
    const QKeyCombination ctrlW(Qt::ControlModifier, Qt::Key_W);
    QTest::newRow("Escape closes") << QKeyCombination(Qt::Key_Escape) << false << 0;
    QTest::newRow("Escape in the search box closes") << QKeyCombination(Qt::Key_Escape) << true << 0;
    QTest::newRow("Ctrl+W closes") << ctrlW << false << 0;
    QTest::newRow("Ctrl+W in the search box closes") << ctrlW << true << 0;
    QTest::newRow("Ctrl+0 in the search box: 100 %") << QKeyCombination(Qt::ControlModifier, Qt::Key_0) << true << 100;
}

void tst_RptReportViewer::viewerKeys()
{
    QFETCH(QKeyCombination, keys);
    QFETCH(bool, inSearchBox);
    QFETCH(int, zoom);
    QPointer<RptReportViewer> viewer = shownViewer(20);
    QWidget *target = viewer->CRViewer91->focusProxy();
    if (inSearchBox) {
        QTest::keyClick(target, Qt::Key_F, Qt::ControlModifier);
        target = QApplication::focusWidget();
        QCOMPARE(target->objectName(), QStringLiteral("searchBox"));
    }
    QTest::keyClick(target, keys.key(), keys.keyboardModifiers());
    if (zoom == 0)
        QTRY_VERIFY(!viewer);   // closed and deleted with its report
    else
        QCOMPARE(int(viewer->CRViewer91->zoom()), zoom);
    delete viewer;
}

void tst_RptReportViewer::exportShortcut_data()
{
    QTest::addColumn<QString>("title");
    QTest::addColumn<QDate>("from");
    QTest::addColumn<QDate>("to");
    QTest::addColumn<QString>("name");
    QTest::newRow("caption and range") << "Purchase Register (Invoicewise)" << QDate(2024, 4, 1) << QDate(2025, 3, 31)
                                       << "Purchase Register (Invoicewise) 2024-04-01 to 2025-03-31.pdf";
    QTest::newRow("signs a file system refuses") << "Returns: A/B \"C\"?" << QDate(2024, 4, 1)
                                                 << QDate(2024, 4, 30) << "Returns- A-B -C-- 2024-04-01 to 2024-04-30.pdf";
    QTest::newRow("no caption, no dates: the layout's title") << "" << QDate() << QDate() << "Colour test.pdf";
}

// Ctrl+E offers a file named after the report, in the folder last exported to.
void tst_RptReportViewer::exportShortcut()
{
    QFETCH(QString, title);
    QFETCH(QDate, from);
    QFETCH(QDate, to);
    QFETCH(QString, name);
    std::unique_ptr<RptReportViewer> viewer(shownViewer(5));
    viewer->ReportName->setDocumentTitle(title);
    viewer->ReportName->setDateRange(from, to);
    QTemporaryDir dir;
    const QString target = dir.filePath(QStringLiteral("chosen.pdf"));
    QCOMPARE(exportByKeys(viewer->CRViewer91->focusProxy(), target).value(1), name);
    QFile written(target);
    QVERIFY(written.open(QIODevice::ReadOnly) && written.readAll().startsWith("%PDF-"));

    viewer->activateWindow();   // back from the dialog
    QVERIFY(QTest::qWaitForWindowActive(viewer.get()));
    viewer->CRViewer91->focusProxy()->setFocus();
    QCOMPARE(exportByKeys(viewer->CRViewer91->focusProxy(), QString()), QStringList({dir.path(), name}));
}

// While pages are counted the counter grows ("of 1…", "of 4767…", "of 17244…"):
// the toolbar shows it whole at every step, in room kept for it from the start.
void tst_RptReportViewer::pageCounterIsNeverCut()
{
    RptReportViewer viewer;
    viewer.ReportName = makeReport(1500000);
    viewer.show();
    auto *label = viewer.CRViewer91->findChild<QLabel *>(QStringLiteral("pageLabel"));
    QSet<QString> seen;
    QSet<int> widths;
    while (viewer.CRViewer91->isPaginating()) {
        QTest::qWait(1);
        if (label->text().endsWith(QStringLiteral("…")) && !seen.contains(label->text())) {
            seen.insert(label->text());
            widths.insert(label->width());
            QVERIFY2(label->width() >= label->sizeHint().width(), qPrintable(label->text()));
        }
    }
    QVERIFY2(seen.size() >= 2, "the count did not grow while it was watched");
    QCOMPARE(widths.size(), 1);   // the toolbar did not jump as the count grew
}

void tst_RptReportViewer::placement_data()
{
    QTest::addColumn<QSize>("frame");
    QTest::addColumn<QRect>("available");
    QTest::addColumn<QList<QRect>>("open");   // oldest first
    QTest::addColumn<QRect>("placed");
    const int step = WindowPlacement::CascadeStep;
    const QRect screen(0, 0, 1920, 1040);
    const QRect right(1920, 24, 1280, 1000);   // a second screen, under a panel
    const QSize small(400, 300);
    const QRect corner(1800, 900, 120, 140);   // a window shrunk into the bottom-right corner
    QTest::newRow("first: centred") << small << screen << QList<QRect>{} << QRect(760, 370, 400, 300);
    QTest::newRow("first on the second screen") << small << right << QList<QRect>{} << QRect(2360, 374, 400, 300);
    QTest::newRow("next: a step on") << small << screen << QList<QRect>{QRect(760, 370, 400, 300)}
                                     << QRect(760 + step, 370 + step, 400, 300);
    QTest::newRow("a step from the newest") << small << screen
                                            << QList<QRect>{QRect(100, 100, 400, 300), QRect(500, 200, 400, 300)}
                                            << QRect(500 + step, 200 + step, 400, 300);
    QTest::newRow("larger than the screen: shrunk to it") << QSize(2500, 1200) << screen << QList<QRect>{} << screen;
    QTest::newRow("near the edge: shrunk a little") << QSize(1000, 760) << screen
                                                    << QList<QRect>{QRect(900, 250, 1000, 760)}
                                                    << QRect(900 + step, 250 + step, 988, 758);
    QTest::newRow("no room left: the corner") << small << screen << QList<QRect>{corner} << QRect(0, 0, 400, 300);
    QTest::newRow("corner taken: a step on") << small << screen << QList<QRect>{QRect(0, 0, 400, 300), corner}
                                             << QRect(step, step, 400, 300);
    QTest::newRow("screen-sized: shrunk by a step") << QSize(1920, 1040) << screen << QList<QRect>{screen}
                                                    << QRect(step, step, 1920 - step, 1040 - step);
}

void tst_RptReportViewer::placement()
{
    QFETCH(QSize, frame);
    QFETCH(QRect, available);
    QFETCH(QList<QRect>, open);
    QFETCH(QRect, placed);
    QCOMPARE(WindowPlacement::place(frame, available, open), placed);
}

// On the screen, a step from the one before; one shown again stays where it was put.
void tst_RptReportViewer::viewersOpenOnScreenCascaded()
{
    const QRect available = QGuiApplication::primaryScreen()->availableGeometry();
    std::unique_ptr<RptReportViewer> first(shownViewer(5));
    std::unique_ptr<RptReportViewer> second(shownViewer(5));
    QVERIFY(available.contains(first->frameGeometry()) && available.contains(second->frameGeometry()));
    const int step = WindowPlacement::CascadeStep;
    QCOMPARE(second->frameGeometry().topLeft() - first->frameGeometry().topLeft(), QPoint(step, step));
    second->hide();
    second->move(available.topLeft() + QPoint(5, 5));
    second->show();
    QCOMPARE(second->pos(), available.topLeft() + QPoint(5, 5));
}

QTEST_MAIN(tst_RptReportViewer)
#include "tst_RptReportViewer.moc"
