// The preview window: which colours go before printing, the view filling the
// window, paging, zoom, search, export and closing from the keyboard, where it
// opens on the screen, the outline pane and the links to other reports.

#include <QApplication>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPointer>
#include <QScreen>
#include <QScrollBar>
#include <QProgressDialog>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "../reports/ReportFixture.h"
#include "Document.h"
#include "CaughtError.h"
#include "MessageRecorder.h"
#include "ModalDriver.h"
#include "OutlineModel.h"
#include "OutlinePane.h"
#include "Printing.h"
#include "ReportLayouts.h"
#include "ReportPreparation.h"
#include "ReportPresenter.h"
#include "ReportView.h"
#include "RptReportViewer.h"
#include "SearchMiss.h"
#include "SharedState.h"
#include "TestFiles.h"
#include "TestTable.h"
#include "WindowPlacement.h"

#include <memory>

using namespace orvane;

namespace {

/// The colour test layout with `rows` rows "Row 0001".., amount = row number.
std::unique_ptr<Report> makeReport(int rows)
{
    auto report = std::make_unique<Report>(QStringLiteral(ORVANE_SOURCE_DIR "/tests/presentation/colours.json"));
    report->setRows(test::tableOf({QStringLiteral("name"), QStringLiteral("amount")}, rows, [](int r) {
        return QVariantList{QStringLiteral("Row %1").arg(r + 1, 4, 10, QLatin1Char('0')), double(r + 1)};
    }));
    return report;
}

/// The invoice-wise register over `invoices` invoices numbered from 1001, of
/// `lines` lines each; the vendors take turns, Vendor Seven, O'Brien Traders,
/// Crescent Chemicals, Shah & Sons, Zafar Brothers.
std::unique_ptr<Report> registerReport(int invoices, int lines)
{
    const QStringList vendors = {QStringLiteral("Vendor Seven"), QStringLiteral("O'Brien Traders"),
                                 QStringLiteral("Crescent Chemicals"), QStringLiteral("Shah & Sons"),
                                 QStringLiteral("Zafar Brothers")};
    auto report = createReportLayout(QStringLiteral("crpPurchaseRegisterIW"));
    report->setRows(test::tableOf(QStringLiteral("purchaseid purchasedate billno vendorname productid productname qty "
                                                 "bonus price Grossvalue Totaldisc Salestax NetValue").split(QLatin1Char(' ')),
                                  invoices * lines, [&](int r) {
        const int i = r / lines;
        return QVariantList{1001 + i, QDate(2024, 4, 1).addDays(i / 20), QStringLiteral("B-%1").arg(i),
                            vendors.at(i % vendors.size()), r % lines + 1, QStringLiteral("Product %1").arg(r % lines + 1),
                            2, 0, 10.0, 20.0, 0.0, 0.0, 20.0};
    }));
    return report;
}

/// A shown viewer of `report`, its pages all laid out, the focus on its pages.
RptReportViewer *showViewer(std::unique_ptr<Report> report, QSize size = QSize(1000, 700))
{
    auto *viewer = new RptReportViewer;
    viewer->ReportName = std::move(report);
    viewer->resize(size);
    viewer->show();
    if (!QTest::qWaitFor([viewer] { return !viewer->CRViewer91->isPaginating(); }, 60000))
        qWarning("the pages were not laid out in time");
    viewer->CRViewer91->focusProxy()->setFocus();
    return viewer;
}

/// The outline pane's highlighted entry, as the pane reads it ("" for none).
QString highlighted(ReportView *view)
{
    OutlinePane *pane = view->outlinePane();
    return pane->currentRow() < 0 ? QString() : pane->model()->index(pane->currentRow()).data().toString();
}

/// Records the reports the viewer hands on instead of showing them.
class RecordingPresenter : public ReportPresenter
{
public:
    QWidget *showReport(std::unique_ptr<Report> report, const QString &caption) override
    {
        reports.push_back(std::move(report));
        captions << caption;
        return nullptr;
    }

    void showReportModal(std::unique_ptr<Report>, QWidget *) override {}

    std::vector<std::unique_ptr<Report>> reports;
    QStringList captions;
};

/// The values of `column` of the rows a report shows, in its order, blank-separated.
QString columnValues(const Report &report, const QString &column)
{
    const std::shared_ptr<const Table> table = report.rows();
    QStringList values;
    for (int row : report.rowOrder())
        values << table->text(row, table->columnIndex(column));
    return values.join(QLatin1Char(' '));
}

/// Ctrl+E on `pages`; the save dialog is answered with `answer` ("": Cancel).
/// Returns the folder and the file name it offered (empty: no dialog).
QStringList exportByKeys(QWidget *pages, const QString &answer)
{
    QStringList offered;
    const auto edit = [](QFileDialog *d) { return d->findChild<QLineEdit *>(QStringLiteral("fileNameEdit")); };
    test::ModalDriver<QFileDialog> save([&](QFileDialog *dialog) {
        offered = QStringList{dialog->directory().absolutePath(), edit(dialog)->text()};
        dialog->setOption(QFileDialog::DontConfirmOverwrite);
        edit(dialog)->setText(answer);
        answer.isEmpty() ? dialog->reject() : static_cast<QDialog *>(dialog)->accept();
    }, edit);
    QTest::keyClick(pages, Qt::Key_E, Qt::ControlModifier);
    return offered;
}

} // namespace

class tst_RptReportViewer : public QObject
{
    Q_OBJECT

private slots:
    // Before printing, texts and fields lose their background and boxes get a
    // white fill, except objects whose name begins with NO in any case.
    void printStripsColoursFirst()
    {
        RptReportViewer viewer;
        viewer.RemoveObjectColors();   // no report yet: nothing to strip, nothing to fail
        viewer.ReportName = makeReport(10);
        viewer.show();
        QStringList printed;   // name back fill, colours as 0x00BBGGRR
        bool prompted = false;
        setPrintHandler([&](const Document &doc, const PrintJob &job) {
            prompted = job.prompt;
            for (const Section &s : doc.layout().sections) {
                for (const LayoutObject &o : s.objects)
                    printed << QStringLiteral("%1 %2 %3").arg(o.name).arg(o.backColor, 0, 16).arg(o.fillColor, 0, 16);
            }
        });
        viewer.CRViewer91->print();
        setPrintHandler({});
        QVERIFY(prompted);   // the print dialog picks printer and pages
        QCOMPARE(printed.join(QLatin1String(", ")),
                 QStringLiteral("NOLOGO ff -1, nologo ff00 -1, LOGONO -1 -1, NOBand -1 c0c0c0, Band -1 ffffff, "
                                "Rule ff00ff ffff00, txtDate -1 -1, hdrName -1 -1, noHdrAmount e0e0e0 -1, "
                                "fldName -1 -1, fldAmount -1 -1, totAmount -1 -1, spPage -1 -1"));
    }

    void searchKeys()
    {
        std::unique_ptr<RptReportViewer> viewer(showViewer(makeReport(300), QSize(800, 600)));
        ReportView *view = viewer->CRViewer91;
        QCOMPARE(view->geometry(), viewer->rect());   // the view fills the window it was sized with
        QWidget *canvas = view->focusProxy();
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
        QVERIFY(!view->searchHits(page).isEmpty());

        // Emptying the box ends the search and its highlights; a miss shows in the box until it is emptied.
        searchBox->selectAll();
        QTest::keyClick(searchBox, Qt::Key_Backspace);
        QCOMPARE(view->searchStatusText(), QString());
        QCOMPARE(view->searchHits(page).size(), 0);
        QTest::keyClicks(searchBox, QStringLiteral("no such text"));
        QTest::keyClick(searchBox, Qt::Key_Return);
        QCOMPARE(view->searchStatusText(), QStringLiteral("No matches"));
        QVERIFY(isSearchMiss(searchBox));
        searchBox->selectAll();
        QTest::keyClick(searchBox, Qt::Key_Backspace);
        QVERIFY(!isSearchMiss(searchBox));
    }

    // The suffix names the kind; a name the viewer cannot write is refused with
    // no file; a workbook's sheet bears the title the window set at run time.
    void exportsByFileKind()
    {
        std::unique_ptr<RptReportViewer> viewer(showViewer(makeReport(3)));
        viewer->ReportName->setReportTitle(QStringLiteral("Product Wise Purchase "));
        QTemporaryDir dir;
        const QString text = dir.filePath(QStringLiteral("r.txt"));
        QCOMPARE(test::errorOf([&] { viewer->CRViewer91->exportTo(text); }),
                 QStringLiteral("Report viewer: \"r.txt\" is not a kind of file the report can be saved as; "
                                "choose a name ending in .pdf, .csv or .xlsx."));
        QCOMPARE(test::filesIn(dir.path()), QStringList());
        const QString book = dir.filePath(QStringLiteral("r.xlsx"));
        QVERIFY(viewer->CRViewer91->exportTo(book));
        const QString workbook = test::zipMember(book, QStringLiteral("xl/workbook.xml"));
        if (workbook.isNull())
            QSKIP("the unzip program is needed to read the workbook back");
        QVERIFY2(workbook.contains(QStringLiteral("<sheet name=\"Product Wise Purchase\"")), qPrintable(workbook));
    }

    // Cancel in the export's progress dialog: exportTo says so, the previous file
    // stays as it was and nothing half-written is left beside it.
    void exportCancelKeepsPreviousFile()
    {
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("r.xlsx"));
        const QByteArray previous = "previous report";
        bool cancelled = false;
        // The dialog shows, and so takes a Cancel, only for an export that takes a
        // while; the rows double until one does.
        for (int rows = 40000; !cancelled && rows <= 640000; rows *= 2) {
            QVERIFY(test::writeBytes(file, previous));
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
        QCOMPARE(test::readBytes(file), previous);
        QCOMPARE(test::filesIn(dir.path(), QStringLiteral("r.xlsx")), QStringList());
    }

    void viewerKeys_data()
    {
        QTest::addColumn<QList<QKeyCombination>>("keys");
        QTest::addColumn<bool>("inSearchBox");   // else on the pages
        QTest::addColumn<int>("page");           // afterwards, 1-based; 0: the last
        QTest::addColumn<int>("zoom");           // afterwards, in percent or a ZoomLevel; 0: the viewer closed
        using Keys = QList<QKeyCombination>;
        const QKeyCombination escape(Qt::Key_Escape), ctrlW(Qt::ControlModifier, Qt::Key_W);
        const QKeyCombination pageDown(Qt::Key_PageDown), end(Qt::Key_End), ctrl0(Qt::ControlModifier, Qt::Key_0);
        const int pageWidth = ReportView::PageWidth;   // as it opens
        QTest::newRow("Page Down: the next page") << Keys{pageDown} << false << 2 << pageWidth;
        QTest::newRow("Page Down on the last page stays") << Keys{end, pageDown} << false << 0 << pageWidth;
        QTest::newRow("Home: the first page") << Keys{end, QKeyCombination(Qt::Key_Home)} << false << 1 << pageWidth;
        QTest::newRow("Ctrl+0: 100 %") << Keys{ctrl0} << false << 1 << 100;
        const QKeyCombination larger(Qt::ControlModifier, Qt::Key_Plus);
        QTest::newRow("Ctrl+Plus: a step larger") << Keys{ctrl0, larger} << false << 1 << 125;
        QTest::newRow("Ctrl+Plus stops at the largest") << Keys{ctrl0} + Keys(20, larger) << false << 1 << 400;
        QTest::newRow("Ctrl+0 in the search box: 100 %") << Keys{ctrl0} << true << 1 << 100;
        QTest::newRow("Escape closes") << Keys{escape} << false << 0 << 0;
        QTest::newRow("Escape in the search box closes") << Keys{escape} << true << 0 << 0;
        QTest::newRow("Ctrl+W closes") << Keys{ctrlW} << false << 0 << 0;
    }

    void viewerKeys()
    {
        QFETCH(QList<QKeyCombination>, keys);
        QFETCH(bool, inSearchBox);
        QFETCH(int, page);
        QFETCH(int, zoom);
        QPointer<RptReportViewer> viewer = showViewer(makeReport(300), QSize(800, 600));
        ReportView *view = viewer->CRViewer91;
        QVERIFY2(view->pageCount() >= 5, qPrintable(QString::number(view->pageCount())));
        QWidget *target = view->focusProxy();
        if (inSearchBox) {
            QTest::keyClick(target, Qt::Key_F, Qt::ControlModifier);
            target = QApplication::focusWidget();
            QCOMPARE(target->objectName(), QStringLiteral("searchBox"));
        }
        for (const QKeyCombination &key : std::as_const(keys))
            QTest::keyClick(target, key.key(), key.keyboardModifiers());
        if (zoom == 0) {
            QTRY_VERIFY(!viewer);   // closed and deleted with its report
            return;
        }
        QCOMPARE(view->pageStatusText(), QStringLiteral("%1 of %2").arg(page ? page : view->pageCount()).arg(view->pageCount()));
        QCOMPARE(int(view->zoom()), zoom);
        if (zoom > ReportView::WholePage)
            QCOMPARE(view->zoomFactor(), zoom / 100.0);
        view->setZoom(1000);   // as a host may ask
        QCOMPARE(int(view->zoom()), 400);
        delete viewer;
    }

    void exportShortcut_data()
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
    void exportShortcut()
    {
        QFETCH(QString, title);
        QFETCH(QDate, from);
        QFETCH(QDate, to);
        QFETCH(QString, name);
        std::unique_ptr<RptReportViewer> viewer(showViewer(makeReport(5)));
        viewer->ReportName->setDocumentTitle(title);
        viewer->ReportName->setDateRange(from, to);
        QTemporaryDir dir;
        const QString target = dir.filePath(QStringLiteral("chosen.pdf"));
        QCOMPARE(exportByKeys(viewer->CRViewer91->focusProxy(), target).value(1), name);
        QVERIFY(test::readBytes(target).startsWith("%PDF-"));

        viewer->activateWindow();   // back from the dialog
        QVERIFY(QTest::qWaitForWindowActive(viewer.get()));
        viewer->CRViewer91->focusProxy()->setFocus();
        QCOMPARE(exportByKeys(viewer->CRViewer91->focusProxy(), QString()), QStringList({dir.path(), name}));
    }

    void placement_data()
    {
        QTest::addColumn<QSize>("frame");
        QTest::addColumn<QRect>("available");
        QTest::addColumn<QList<QRect>>("open");   // oldest first
        QTest::addColumn<QRect>("placed");
        const QRect screen(0, 0, 1920, 1040);   // the cascade steps 32 pixels
        const QRect right(1920, 24, 1280, 1000);   // a second screen, under a panel
        const QSize small(400, 300);
        const QRect corner(1800, 900, 120, 140);   // a window shrunk into the bottom-right corner
        QTest::newRow("first on the second screen") << small << right << QList<QRect>{} << QRect(2360, 374, 400, 300);
        QTest::newRow("a step from the newest") << small << screen
                                                << QList<QRect>{QRect(100, 100, 400, 300), QRect(500, 200, 400, 300)}
                                                << QRect(532, 232, 400, 300);
        QTest::newRow("larger than the screen: shrunk to it") << QSize(2500, 1200) << screen << QList<QRect>{} << screen;
        QTest::newRow("near the edge: shrunk a little") << QSize(1000, 760) << screen
                                                        << QList<QRect>{QRect(900, 250, 1000, 760)}
                                                        << QRect(932, 282, 988, 758);
        QTest::newRow("no room left: the corner") << small << screen << QList<QRect>{corner} << QRect(0, 0, 400, 300);
        QTest::newRow("corner taken: a step on") << small << screen << QList<QRect>{QRect(0, 0, 400, 300), corner}
                                                 << QRect(32, 32, 400, 300);
    }

    void placement()
    {
        QFETCH(QSize, frame);
        QFETCH(QRect, available);
        QFETCH(QList<QRect>, open);
        QFETCH(QRect, placed);
        QCOMPARE(WindowPlacement::place(frame, available, open), placed);
    }

    // On the screen, a step from the one before; one shown again stays where it was put.
    void viewersOpenOnScreenCascaded()
    {
        const QRect available = QGuiApplication::primaryScreen()->availableGeometry();
        std::unique_ptr<RptReportViewer> first(showViewer(makeReport(5)));
        std::unique_ptr<RptReportViewer> second(showViewer(makeReport(5)));
        QVERIFY(available.contains(first->frameGeometry()) && available.contains(second->frameGeometry()));
        QCOMPARE(second->frameGeometry().topLeft() - first->frameGeometry().topLeft(), QPoint(32, 32));
        second->hide();
        second->move(available.topLeft() + QPoint(5, 5));
        second->show();
        QCOMPARE(second->pos(), available.topLeft() + QPoint(5, 5));
    }

    void outline_data()
    {
        QTest::addColumn<int>("lines");        // of each of the 400 invoices; 0: a report without groups
        QTest::addColumn<int>("start");        // the entry highlighted first (0-based)
        QTest::addColumn<QString>("keys");     // typed from the list where the focus is, blank-separated
        QTest::addColumn<bool>("shown");       // the pane afterwards
        QTest::addColumn<int>("found");        // invoice number highlighted afterwards
        QTest::addColumn<bool>("paged");       // the view shows the found invoice's page
        QTest::addColumn<bool>("miss");        // the find box shows a miss
        QTest::newRow("no groups: no pane, F9 shows none") << 0 << 0 << "F9" << false << 0 << false << false;
        QTest::newRow("F9 in the pane hides it") << 3 << 0 << "F9" << false << 1001 << false << false;
        QTest::newRow("F9 again shows it") << 3 << 0 << "F9 F9" << true << 1001 << false << false;
        QTest::newRow("the toolbar button hides it") << 3 << 0 << "button" << false << 1001 << false << false;
        QTest::newRow("a number: that document") << 3 << 0 << "1 2 5 0" << true << 1250 << false << false;
        QTest::newRow("a number and Enter: its page") << 3 << 0 << "1 2 5 0 Enter" << true << 1250 << true << false;
        QTest::newRow("the start of a number: the next that starts so") << 3 << 30 << "1 2" << true << 1200 << false << false;
        QTest::newRow("a vendor with an apostrophe: its next document")
            << 3 << 10 << "o ' b r i e n Enter" << true << 1012 << true << false;
        QTest::newRow("Enter again: the vendor's next document")
            << 3 << 10 << "O ' B r i e n Enter Enter" << true << 1017 << true << false;
        QTest::newRow("a vendor past the last: round to the first") << 3 << 399 << "s h a h" << true << 1004 << false << false;
        QTest::newRow("nothing found: the entry stays") << 3 << 10 << "x q Enter" << true << 1011 << false << true;
    }

    // The pane shows for a report with groups; F9 and its toolbar button hide
    // and show it, the focus staying in the viewer. Typing in it finds a
    // document by number or vendor; Enter shows its page with its header at the top.
    void outline()
    {
        QFETCH(int, lines);
        QFETCH(int, start);
        QFETCH(QString, keys);
        QFETCH(bool, shown);
        QFETCH(int, found);
        QFETCH(bool, paged);
        QFETCH(bool, miss);
        std::unique_ptr<RptReportViewer> viewer(showViewer(lines ? registerReport(400, lines) : makeReport(5)));
        QVERIFY(QTest::qWaitForWindowActive(viewer.get()));
        ReportView *view = viewer->CRViewer91;
        OutlinePane *pane = view->outlinePane();
        QCOMPARE(pane->isVisible(), lines > 0);
        if (lines) {
            QCOMPARE(highlighted(view), QStringLiteral("1001  01/04/2024  Vendor Seven"));
            QCOMPARE(pane->model()->rowCount(), 400);
            pane->setCurrentRow(start);
            pane->list()->setFocus();
        }
        const QMap<QString, Qt::Key> named{{QStringLiteral("F9"), Qt::Key_F9}, {QStringLiteral("Enter"), Qt::Key_Return}};
        for (const QString &key : keys.split(QLatin1Char(' '))) {
            if (key == QLatin1String("button"))
                view->findChild<QAction *>(QStringLiteral("outlineAction"))->trigger();
            else if (named.contains(key))
                QTest::keyClick(QApplication::focusWidget(), named.value(key));
            else
                QTest::keyClick(QApplication::focusWidget(), key.at(0).toLatin1());
        }
        QCOMPARE(pane->isVisible(), shown);
        QCOMPARE(view->findChild<QAction *>(QStringLiteral("outlineAction"))->isChecked(), shown);
        // Typing moves the focus to the find box; hiding the pane does not lose it.
        const bool typed = shown && !keys.startsWith(QLatin1String("F9"));
        QCOMPARE(QApplication::focusWidget(), typed ? pane->findBox() : view->focusProxy());
        if (!lines)
            return;
        QCOMPARE(highlighted(view).section(QLatin1Char(' '), 0, 0), QString::number(found));
        QCOMPARE(isSearchMiss(pane->findBox()), miss);
        QCOMPARE(view->currentPage(), paged ? pane->model()->entry(found - 1001).page : 0);   // finding alone does not page
        if (!paged)
            return;
        // Its header at the top: a pixel further down, the view still reads its group.
        auto *pages = qobject_cast<QAbstractScrollArea *>(view->focusProxy());
        pages->verticalScrollBar()->setValue(pages->verticalScrollBar()->value() + 1);
        QCOMPARE(highlighted(view).section(QLatin1Char(' '), 0, 0), QString::number(found));
    }

    // Page by page the pane highlights the invoice that the top of the page
    // shows: one going on from the page before, or the first that opens there.
    void outlineFollowsPaging()
    {
        std::unique_ptr<RptReportViewer> viewer(showViewer(registerReport(60, 7)));
        ReportView *view = viewer->CRViewer91;
        const Document &doc = *view->document();
        QVERIFY(doc.pageCount() >= 8);
        const int pageHeader = doc.layout().sectionIndex(QStringLiteral("PageHeaderSection1"));
        const int reportHeader = doc.layout().sectionIndex(QStringLiteral("TSection1"));
        for (int page = 1; page < doc.pageCount(); ++page) {
            QTest::keyClick(view->focusProxy(), Qt::Key_PageDown);
            QCOMPARE(view->currentPage(), page);
            int first = doc.pages[size_t(page)].first;
            while (doc.placements[size_t(first)].section == pageHeader || doc.placements[size_t(first)].section == reportHeader)
                ++first;
            const int row = doc.tableRow(doc.placements[size_t(first)]);
            const QString invoice = doc.content->table->text(row, doc.content->table->columnIndex(QStringLiteral("purchaseid")));
            QCOMPARE(highlighted(view).section(QLatin1Char(' '), 0, 0), invoice);
        }
    }

    // While a long report is laid out, the pane lists the documents of the pages
    // so far and the page counter grows ("of 1…", "of 4767…"): its room for the
    // widest count is kept from the first page on, so no count is cut and the
    // toolbar does not jump. Checked at the start and the end, not at whichever
    // counts a watcher happens to see.
    void longReportWhileLaidOut()
    {
        RptReportViewer viewer;
        viewer.ReportName = registerReport(300000, 3);
        viewer.show();
        ReportView *view = viewer.CRViewer91;
        OutlineModel *model = view->outlinePane()->model();
        auto *label = view->findChild<QLabel *>(QStringLiteral("pageLabel"));
        QVERIFY2(label->text().endsWith(QStringLiteral("…")), qPrintable(label->text()));
        QTRY_VERIFY(label->isVisible() && label->width() > 0 && model->rowCount() > 0);
        const int early = model->rowCount(), width = label->width();
        QVERIFY(view->isPaginating());
        label->setText(QStringLiteral("of 88888…"));   // as the count will read before its last page
        QVERIFY2(width >= label->sizeHint().width(), qPrintable(QString::number(width)));
        QTRY_VERIFY_WITH_TIMEOUT(!view->isPaginating(), 60000);
        QVERIFY2(early < 300000, qPrintable(QString::number(early)));
        QVERIFY2(view->pageCount() > 10000, "the count never reached five figures");
        QCOMPARE(label->text(), QStringLiteral("of %1").arg(view->pageCount()));
        QCOMPARE(label->width(), width);
        QCOMPARE(model->rowCount(), 300000);
        QCOMPARE(model->index(299999).data().toString(),
                 QStringLiteral("301000  %1  Zafar Brothers").arg(QDate(2024, 4, 1).addDays(299999 / 20).toString(QStringLiteral("dd/MM/yyyy"))));

        // Laid out again and stopped before it can have got far: the pages so far stay, the count is final.
        view->viewReport();
        QVERIFY(view->isPaginating());
        view->stop();
        QTRY_VERIFY(!view->isPaginating());
        QVERIFY(view->document() && view->document()->cancelled && !view->document()->complete);
        QVERIFY(!view->pageStatusText().endsWith(QStringLiteral("…")));
        QVERIFY(!label->text().endsWith(QStringLiteral("…")));
    }

    void drillThrough_data()
    {
        QTest::addColumn<int>("source");        // ReportKind of the report shown, over March 2024
        QTest::addColumn<QString>("code");      // its code
        QTest::addColumn<QString>("link");      // "target value" of the link followed
        QTest::addColumn<bool>("byKeys");       // Tab to it and Enter; else a click
        QTest::addColumn<QString>("outcome");   // "caption; object=text; column=its values", or "message|title"
        const QString registerOf = QStringLiteral("Purchase Register (Invoicewise) ReportName; "
                                                  "Txtinvoice=Invoiceno Between : %1 To %1; productid=%2");
        const QString returnsOf = QStringLiteral("Purchase Return Register ReportName; "
                                                 "Txtinvoice=Invoiceno Between : %1 To %1; productid=%2");
        const int summary = int(ReportKind::PurchaseSummary), returns = int(ReportKind::PurchaseReturnSummary);
        const int wise = int(ReportKind::ProductWisePurchases);
        QTest::newRow("Purchase Summary, invoice 120, clicked")
            << summary << "" << "purchase-register 120" << false << registerOf.arg(120).arg("5 5 6");
        QTest::newRow("Product Purchase Ledger, invoice 130")
            << int(ReportKind::ProductPurchaseLedger) << "5" << "purchase-register 130" << false << registerOf.arg(130).arg(5);
        QTest::newRow("Purchase Returns Summary, return 15: its lines with a unit")
            << returns << "" << "purchase-return-register 15" << false << returnsOf.arg(15).arg(5);
        QTest::newRow("Purchase Returns Summary, return 0, by keys")
            << returns << "" << "purchase-return-register 0" << true << returnsOf.arg(0).arg(6);
        QTest::newRow("Product Purchase Return Ledger, return 15") << int(ReportKind::ProductPurchaseReturnLedger)
            << "5" << "purchase-return-register 15" << true << returnsOf.arg(15).arg(5);
        QTest::newRow("Product Wise Purchases, purchases of product 5") << wise << "" << "purchase-ledger 5" << false
            << "Product Purchase Ledger ReportName; txtProduct=Product : 5   Panadol; purchaseid=120 120 130";
        QTest::newRow("Product Wise Purchases, returns of product 6, by keys") << wise << "" << "purchase-return-ledger 6"
            << true << "Product Purchase Return Ledger ReportName; txtCompName=Return Ledger Co; PurReturnID=0 40";
        QTest::newRow("Product Wise Purchases, product 11 returned nothing") << wise << "" << "purchase-return-ledger 11"
            << false << "No record exists.|Product Purchase Return Ledger";
    }

    // A link of a report on screen opens the report that details it, for the
    // same dates, prepared as its window prepares it; the mouse and the keyboard reach it.
    void drillThrough()
    {
        QFETCH(int, source);
        QFETCH(QString, code);
        QFETCH(QString, link);
        QFETCH(bool, byKeys);
        QFETCH(QString, outcome);
        test::ReportFixture fixture;
        SharedState::current().SharedConnection = fixture.connection;   // the detail's window would use it
        auto presenter = std::make_shared<RecordingPresenter>();
        SharedState::current().setReportPresenter(presenter);
        test::MessageRecorder messages;
        const ReportKind kind = ReportKind(source);
        const ReportPreparation preparation(kind, fixture.connection);
        const ReportParameters parameters{test::kMarchFirst, test::kMarchLast, code, {}, {}};
        const QString codeName = code.isEmpty() ? QString::fromLatin1(messages::AllCompanies)
                                                : lookupName(kind, code, fixture.connection).value_or(QString());
        std::unique_ptr<RptReportViewer> viewer(showViewer(preparation.makeReport(
            parameters, codeName, *preparation.readRows(preparation.sql(parameters), nullptr))));
        ReportView *view = viewer->CRViewer91;
        const std::vector<PlacedObject> links = pageLinks(*view->document(), 0);
        const auto found = std::find_if(links.begin(), links.end(), [&](const PlacedObject &placed) {
            const std::optional<ReportLink> l = linkOf(*view->document(), placed);
            return l->target + QLatin1Char(' ') + l->value == link;
        });
        QVERIFY2(found != links.end(), "no such link on page 1");

        QWidget *pages = view->focusProxy();
        if (byKeys) {
            for (auto it = links.begin(); it <= found; ++it)
                QTest::keyClick(pages, Qt::Key_Tab);
            QCOMPARE(view->focusedLink(), *found);
            QVERIFY(pages->hasFocus());
            QTest::keyClick(pages, Qt::Key_Return);
        } else {
            QWidget *area = qobject_cast<QAbstractScrollArea *>(pages)->viewport();
            const QPoint at = view->linkRect(0, *found).center();
            QMouseEvent move(QEvent::MouseMove, at, area->mapToGlobal(at), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
            QApplication::sendEvent(area, &move);
            QCOMPARE(area->cursor().shape(), Qt::PointingHandCursor);
            QTest::mouseClick(area, Qt::LeftButton, Qt::NoModifier, at);
        }
        SharedState::current().setReportPresenter(nullptr);

        QStringList seen = presenter->captions;
        for (const test::RecordedBox &box : std::as_const(messages.boxes))
            seen << box.text + QLatin1Char('|') + box.title;
        if (presenter->reports.size() == 1) {
            const Report &detail = *presenter->reports.front();
            QCOMPARE(detail.fromDate(), test::kMarchFirst);
            QCOMPARE(detail.toDate(), test::kMarchLast);
            const QString object = outcome.section(QStringLiteral("; "), 1, 1).section(QLatin1Char('='), 0, 0);
            const QString column = outcome.section(QStringLiteral("; "), 2).section(QLatin1Char('='), 0, 0);
            seen << object + QLatin1Char('=') + test::objectText(detail, object)
                 << column + QLatin1Char('=') + columnValues(detail, column);
        }
        QCOMPARE(seen.join(QStringLiteral("; ")), outcome);
    }
};

QTEST_MAIN(tst_RptReportViewer)
#include "tst_RptReportViewer.moc"
