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

/// What the export's save dialog offered; answers it with `answer` ("":
/// cancel) as soon as it is open. Gives up after two seconds.
class SaveDialogAnswer : public QObject
{
public:
    explicit SaveDialogAnswer(const QString &answer) : m_answer(answer)
    {
        connect(&m_poll, &QTimer::timeout, this, &SaveDialogAnswer::poll);
        m_poll.start(20);
    }

    QString folder;
    QString name;
    bool shown = false;

private:
    void poll()
    {
        if (++m_tries > 100)
            m_poll.stop();
        for (QWidget *w : QApplication::topLevelWidgets()) {
            auto *dialog = qobject_cast<QFileDialog *>(w);
            if (!dialog || !dialog->isVisible())
                continue;
            m_poll.stop();
            shown = true;
            folder = dialog->directory().absolutePath();
            auto *edit = dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
            if (edit)
                name = edit->text();
            if (m_answer.isEmpty() || !edit) {
                dialog->reject();
            } else {
                dialog->setOption(QFileDialog::DontConfirmOverwrite);
                edit->setText(m_answer);
                static_cast<QDialog *>(dialog)->accept();
            }
            return;
        }
    }

    QString m_answer;
    QTimer m_poll;
    int m_tries = 0;
};

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
    void searchCount_data();
    void searchCount();
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

    // Ctrl+F to the search box; Enter finds, case aside, on a later page; F3 wraps round.
    QTest::keyClick(canvas, Qt::Key_F, Qt::ControlModifier);
    auto *searchBox = view->findChild<QLineEdit *>(QStringLiteral("searchBox"));
    QVERIFY(searchBox && searchBox->hasFocus());
    QTest::keyClicks(searchBox, QStringLiteral("row 0250"));
    QTest::keyClick(searchBox, Qt::Key_Return);
    const int page = view->currentPage();
    QVERIFY(page > 0);
    QCOMPARE(view->searchHits(page).size(), 1);
    QCOMPARE(view->searchHits(0).size(), 0);
    QTest::keyClick(searchBox, Qt::Key_F3);
    QCOMPARE(view->currentPage(), page);
    QVERIFY(!view->findNext(QStringLiteral("no such text")));
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
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<bool>("fromSearchBox");   // else from the pages
    QTest::addColumn<bool>("closes");
    QTest::addColumn<int>("zoom");              // afterwards, when it stays open
    QTest::newRow("Escape closes") << int(Qt::Key_Escape) << 0 << false << true << 0;
    QTest::newRow("Escape in the search box closes") << int(Qt::Key_Escape) << 0 << true << true << 0;
    QTest::newRow("Ctrl+W closes") << int(Qt::Key_W) << int(Qt::ControlModifier) << false << true << 0;
    QTest::newRow("Ctrl+W in the search box closes") << int(Qt::Key_W) << int(Qt::ControlModifier) << true << true << 0;
    QTest::newRow("Ctrl+0 shows 100 %") << int(Qt::Key_0) << int(Qt::ControlModifier) << false << false << 100;
    QTest::newRow("Ctrl+0 in the search box") << int(Qt::Key_0) << int(Qt::ControlModifier) << true << false << 100;
    QTest::newRow("W alone is typed") << int(Qt::Key_W) << 0 << true << false << int(ReportView::PageWidth);
}

void tst_RptReportViewer::viewerKeys()
{
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(bool, fromSearchBox);
    QFETCH(bool, closes);
    QFETCH(int, zoom);
    QPointer<RptReportViewer> viewer = shownViewer(20);
    ReportView *view = viewer->CRViewer91;
    QWidget *target = view->focusProxy();
    if (fromSearchBox) {
        QTest::keyClick(target, Qt::Key_F, Qt::ControlModifier);
        target = view->findChild<QLineEdit *>(QStringLiteral("searchBox"));
        QVERIFY(target->hasFocus());
    }
    QTest::keyClick(target, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
    if (closes) {
        QTRY_VERIFY(!viewer);   // closed and deleted with its report
        return;
    }
    QVERIFY(viewer->isVisible());
    QCOMPARE(int(view->zoom()), zoom);
    if (zoom == 100)
        QCOMPARE(view->zoomFactor(), 1.0);
    delete viewer;
}

void tst_RptReportViewer::searchCount_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("finds");       // Enter once, then F3 finds-1 times
    QTest::addColumn<QString>("status");
    QTest::addColumn<int>("hits");        // highlighted over all pages
    QTest::newRow("first of ten") << "row 025" << 1 << "1 of 10" << 10;
    QTest::newRow("F3 moves on") << "ROW 025" << 3 << "3 of 10" << 10;
    QTest::newRow("wraps round") << "row 025" << 11 << "1 of 10" << 10;
    QTest::newRow("a single hit") << "row 0301" << 1 << "1 of 1" << 1;
    QTest::newRow("miss") << "no such row" << 1 << "No matches" << 0;
}

// The toolbar counts the hits; emptying the box ends the search and takes
// every highlight away.
void tst_RptReportViewer::searchCount()
{
    QFETCH(QString, typed);
    QFETCH(int, finds);
    QFETCH(QString, status);
    QFETCH(int, hits);
    std::unique_ptr<RptReportViewer> viewer(shownViewer(400));
    ReportView *view = viewer->CRViewer91;
    const auto allHits = [view] {
        int n = 0;
        for (int page = 0; page < view->pageCount(); ++page)
            n += int(view->searchHits(page).size());
        return n;
    };
    QTest::keyClick(view->focusProxy(), Qt::Key_F, Qt::ControlModifier);
    auto *box = view->findChild<QLineEdit *>(QStringLiteral("searchBox"));
    QTest::keyClicks(box, typed);
    QTest::keyClick(box, Qt::Key_Return);
    for (int i = 1; i < finds; ++i)
        QTest::keyClick(box, Qt::Key_F3);
    QTRY_COMPARE(view->searchStatusText(), status);
    QCOMPARE(view->findChild<QLabel *>(QStringLiteral("searchCount"))->text(), status);
    QCOMPARE(allHits(), hits);
    QCOMPARE(isSearchMiss(box), hits == 0);

    QTest::keyClick(box, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(box, Qt::Key_Backspace);
    QCOMPARE(view->searchStatusText(), QString());
    QCOMPARE(allHits(), 0);
    QVERIFY(!isSearchMiss(box));
}

void tst_RptReportViewer::exportShortcut_data()
{
    QTest::addColumn<QString>("title");
    QTest::addColumn<QDate>("from");
    QTest::addColumn<QDate>("to");
    QTest::addColumn<QString>("name");
    QTest::newRow("caption and range")
        << "Purchase Register (Invoicewise)" << QDate(2024, 4, 1) << QDate(2025, 3, 31)
        << "Purchase Register (Invoicewise) 2024-04-01 to 2025-03-31.pdf";
    QTest::newRow("one day") << "Purchase Summary" << QDate(2025, 1, 7) << QDate(2025, 1, 7)
                             << "Purchase Summary 2025-01-07.pdf";
    QTest::newRow("signs a file system refuses")
        << "Returns: A/B \"C\"?" << QDate(2024, 4, 1) << QDate(2024, 4, 30)
        << "Returns- A-B -C-- 2024-04-01 to 2024-04-30.pdf";
    QTest::newRow("no caption, no dates: the layout's title") << "" << QDate() << QDate() << "Colour test.pdf";
}

// Ctrl+E offers a file named after the report in the folder last exported
// to, and the export lands where the user said.
void tst_RptReportViewer::exportShortcut()
{
    QFETCH(QString, title);
    QFETCH(QDate, from);
    QFETCH(QDate, to);
    QFETCH(QString, name);
    std::unique_ptr<RptReportViewer> viewer(shownViewer(5));
    viewer->ReportName->setDocumentTitle(title);
    viewer->ReportName->setDateRange(from, to);
    QWidget *pages = viewer->CRViewer91->focusProxy();
    QTemporaryDir dir;
    const QString target = dir.filePath(QStringLiteral("chosen.pdf"));

    {
        SaveDialogAnswer first(target);
        QTest::keyClick(pages, Qt::Key_E, Qt::ControlModifier);
        QVERIFY(first.shown);
        QCOMPARE(first.name, name);
        QFile written(target);
        QVERIFY(written.open(QIODevice::ReadOnly));
        QVERIFY(written.readAll().startsWith("%PDF-"));
    }

    // The dialog gone, the viewer has the focus again.
    viewer->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(viewer.get()));
    pages->setFocus();
    SaveDialogAnswer second{QString()};
    QTest::keyClick(pages, Qt::Key_E, Qt::ControlModifier);
    QVERIFY(second.shown);
    QCOMPARE(second.folder, QDir(dir.path()).absolutePath());
    QCOMPARE(second.name, name);
}

// While pages are counted the counter grows ("of 1…", "of 4767…", "of 17244…"):
// the toolbar shows it whole at every step, in room kept for it from the start.
void tst_RptReportViewer::pageCounterIsNeverCut()
{
    RptReportViewer viewer;
    viewer.ReportName = makeReport(1500000);
    viewer.resize(900, 600);
    viewer.show();
    auto *label = viewer.CRViewer91->findChild<QLabel *>(QStringLiteral("pageLabel"));
    QVERIFY(label);
    QSet<QString> seen;
    QSet<int> widths;
    while (viewer.CRViewer91->isPaginating()) {
        QTest::qWait(1);
        if (!label->text().endsWith(QStringLiteral("…")) || seen.contains(label->text()))
            continue;
        seen.insert(label->text());
        widths.insert(label->width());
        QVERIFY2(label->width() >= label->sizeHint().width(),
                 qPrintable(QStringLiteral("\"%1\" in %2 pixels").arg(label->text()).arg(label->width())));
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
    const QRect right(1920, 24, 1280, 1000);   // a second screen, beside the first, under a panel
    QTest::newRow("first window: centred") << QSize(400, 300) << screen << QList<QRect>{}
                                           << QRect(760, 370, 400, 300);
    QTest::newRow("first on the second screen") << QSize(400, 300) << right << QList<QRect>{}
                                                << QRect(2360, 374, 400, 300);
    QTest::newRow("next: a step on") << QSize(400, 300) << screen << QList<QRect>{QRect(760, 370, 400, 300)}
                                     << QRect(760 + step, 370 + step, 400, 300);
    QTest::newRow("from the newest, not the oldest")
        << QSize(400, 300) << screen << QList<QRect>{QRect(100, 100, 400, 300), QRect(500, 200, 400, 300)}
        << QRect(500 + step, 200 + step, 400, 300);
    QTest::newRow("larger than the screen: shrunk to it")
        << QSize(2500, 1200) << screen << QList<QRect>{} << screen;
    QTest::newRow("near the edge: shrunk a little")
        << QSize(1000, 760) << screen << QList<QRect>{QRect(900, 250, 1000, 760)}
        << QRect(900 + step, 250 + step, 1920 - 900 - step, 1040 - 250 - step);
    QTest::newRow("no room left: again from the corner")
        << QSize(400, 300) << screen << QList<QRect>{QRect(1800, 900, 120, 140)} << QRect(0, 0, 400, 300);
    QTest::newRow("corner taken: the next step")
        << QSize(400, 300) << screen << QList<QRect>{QRect(0, 0, 400, 300), QRect(1800, 900, 120, 140)}
        << QRect(step, step, 400, 300);
    QTest::newRow("screen-sized windows cascade by shrinking")
        << QSize(1920, 1040) << screen << QList<QRect>{screen} << QRect(step, step, 1920 - step, 1040 - step);
    QTest::newRow("every step taken: the corner")
        << QSize(1920, 1040) << screen << QList<QRect>{screen, QRect(1000, 600, 920, 440)} << screen;
}

void tst_RptReportViewer::placement()
{
    QFETCH(QSize, frame);
    QFETCH(QRect, available);
    QFETCH(QList<QRect>, open);
    QFETCH(QRect, placed);
    const QRect got = WindowPlacement::place(frame, available, open);
    QCOMPARE(got, placed);
    QVERIFY(available.contains(got));
    if (!open.isEmpty() && got != available)
        QVERIFY(got.topLeft() != open.last().topLeft());   // the window before stays in sight
}

void tst_RptReportViewer::viewersOpenOnScreenCascaded()
{
    const QRect available = QGuiApplication::primaryScreen()->availableGeometry();
    std::unique_ptr<RptReportViewer> first(shownViewer(5));
    std::unique_ptr<RptReportViewer> second(shownViewer(5));
    QVERIFY(available.contains(first->frameGeometry()));
    QVERIFY(available.contains(second->frameGeometry()));
    QCOMPARE(second->frameGeometry().topLeft() - first->frameGeometry().topLeft(),
             QPoint(WindowPlacement::CascadeStep, WindowPlacement::CascadeStep));
    // Shown again after the user moved it, it stays where the user put it.
    second->hide();
    second->move(available.topLeft() + QPoint(5, 5));
    second->show();
    QCOMPARE(second->pos(), available.topLeft() + QPoint(5, 5));
}

QTEST_MAIN(tst_RptReportViewer)
#include "tst_RptReportViewer.moc"
