// The seven report windows as a user drives them (keys, focus, the lookup,
// Preview, Print, Close) and as a host shows them. What every window shares
// runs over all seven; the frame's keys and focus rules over the window that
// is nothing but the frame, the purchase return summary.

#include "ReportTestSupport.h"

#include "MessageRecorder.h"
#include "Reports.h"

#include <QtTest>

using namespace orvane;
using namespace orvane::test;

class tst_ReportWindow : public QObject
{
    Q_OBJECT

    std::unique_ptr<ReportFixture> m_fixture;
    QList<std::shared_ptr<const ReportContent>> m_printed;   // what each print got
    QList<PrintJob> m_jobs;

    /// The parameters over March that a row's entries "box=text;..." stand for
    /// (box: from, a dd/MM/yyyy date; code; fromNo; toNo).
    static ReportParameters parametersOf(const QString &entries)
    {
        ReportParameters p = march();
        for (const QString &entry : entries.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
            const QString box = entry.section(QLatin1Char('='), 0, 0), text = entry.section(QLatin1Char('='), 1);
            if (box == QLatin1String("from"))
                p.from = QDate::fromString(text, QStringLiteral("dd/MM/yyyy"));
            else
                (box == QLatin1String("code") ? p.code : box == QLatin1String("fromNo") ? p.fromNo : p.toNo) = text;
        }
        return p;
    }

    /// Puts the entries into the window's boxes, as pasted.
    static void enter(ReportWindow *w, const QString &entries)
    {
        const ReportParameters p = parametersOf(entries);
        auto *range = qobject_cast<InvoiceRangeWindow *>(w);
        w->fromDate()->setDate(p.from);
        if (entries.contains(QLatin1String("code=")))
            w->codeBox()->setText(p.code);
        if (range && entries.contains(QLatin1String("fromNo=")))
            range->fromInvoiceBox()->setText(p.fromNo);
        if (range && entries.contains(QLatin1String("toNo=")))
            range->toInvoiceBox()->setText(p.toNo);
    }

    static QWidget *inputWidget(ReportWindow *w, ParameterInput field)
    {
        auto *range = qobject_cast<InvoiceRangeWindow *>(w);
        switch (field) {
        case ParameterInput::FromDate: return w->fromDate();
        case ParameterInput::FromNo: return range ? range->fromInvoiceBox() : nullptr;
        case ParameterInput::ToNo: return range ? range->toInvoiceBox() : nullptr;
        case ParameterInput::Code: break;
        }
        return w->codeBox();
    }

    ReportWindow *frame() { return openWindow(ReportKind::PurchaseReturnSummary); }

public:
    // Month abbreviations follow the system's language; the printed heading is English.
    static void initMain() { qputenv("LC_ALL", "C"); }

private slots:
    void initTestCase()
    {
        m_fixture = std::make_unique<ReportFixture>();
        SharedState::current().SharedConnection = m_fixture->connection;
    }
    void init()
    {
        m_printed.clear();
        m_jobs.clear();
        setPrintHandler([this](const Document &document, const PrintJob &job) {
            m_printed << document.content;
            m_jobs << job;
        });
    }
    void cleanup()
    {
        setPrintHandler({});
        SharedState::current().SharedConnection = m_fixture->connection;
        deleteWindows<ReportWindow, RptReportViewer>();
    }
    void cleanupTestCase() { SharedState::current().deleteWindows(); }

    // --- All seven ---------------------------------------------------------------

    void showing_data()
    {
        QTest::addColumn<ReportKind>("kind");
        QTest::addColumn<QString>("objectName");
        QTest::addColumn<QString>("caption");
        const char *const names[] = {"pmtPurchaseSummary", "pmtPurchaseRegisterIW", "RptProductWisePurchases",
                                     "RptPurchaseLedger", "pmtPurchaseReturnLedger", "RptPurchaseReturnRegister",
                                     "RptPurchaseReturnSummary"};
        const char *const captions[] = {"Purchase Summary", "Purchase Register (Invoicewise)", "Product Wise Purchases",
                                        "Product Purchase Ledger", "Product Purchase Return Ledger",
                                        "Purchase Return Register", "Purchase Returns Summary"};
        for (int i = 0; i < 7; ++i)
            QTest::newRow(kindName(kAllKinds[i])) << kAllKinds[i] << names[i] << captions[i];
    }

    // The host's call shows one modeless top-level window; a second call brings
    // back the same one with what was typed in it.
    void showing()
    {
        QFETCH(ReportKind, kind);
        QFETCH(QString, objectName);
        QFETCH(QString, caption);
        Reports reports;
        const auto shown = [&] {
            QList<QWidget *> windows;
            for (QWidget *w : QApplication::topLevelWidgets()) {
                if (w->isVisible() && w->objectName() == objectName)
                    windows << w;
            }
            return windows;
        };
        (reports.*showMethod(kind))();   // would block here if it were modal
        QCOMPARE(shown().size(), 1);
        auto *window = qobject_cast<ReportWindow *>(shown().first());
        QVERIFY(window && !window->parentWidget());
        QCOMPARE(window->windowTitle(), caption);
        window->codeBox()->setText(QStringLiteral("5"));
        window->fromDate()->setDate(QDate(2024, 1, 15));
        (reports.*showMethod(kind))();
        QCOMPARE(shown(), QList<QWidget *>{window});
        QCOMPARE(window->codeBox()->text(), QStringLiteral("5"));
        QCOMPARE(window->fromDate()->date(), QDate(2024, 1, 15));
    }

    void refusals_data()
    {
        QTest::addColumn<ReportKind>("kind");
        QTest::addColumn<bool>("print");
        QTest::addColumn<QString>("entries");   // see enter()
        QTest::addColumn<QString>("message");   // "": the preparation's own refusal

        for (const ReportKind kind : kAllKinds) {
            const bool ledger = reportDefinition(kind).codeRequired;
            const QByteArray name = kindName(kind);
            for (const bool print : {false, true}) {
                const char *flow = print ? "Print" : "Preview";
                QTest::addRow("%s, %s: From date after To date", name.constData(), flow) << kind << print << "from=01/04/2024" << "";
                QTest::addRow("%s, %s: a code that is no number", name.constData(), flow) << kind << print << "code=1'" << "";
                if (ledger) {
                    QTest::addRow("%s, %s: blanks only", name.constData(), flow) << kind << print << "code=   " << "";
                    QTest::addRow("%s, %s: code never looked up", name.constData(), flow) << kind << print << "code=6" << "";
                }
            }
        }
        const ReportKind reg = ReportKind::PurchaseRegisterInvoiceWise, ret = ReportKind::PurchaseReturnRegister;
        QTest::newRow("register, Print: From number above To") << reg << true << "fromNo=10;toNo=9" << "";
        QTest::newRow("return register, Preview: leading numbers 40x above 5") << ret << false << "fromNo=40x;toNo=5"
                                                                               << "";
        QTest::newRow("register, Preview: letters pasted in From") << reg << false << "fromNo=12a" << "";
        QTest::newRow("register, Print: a statement pasted in To") << reg << true << "toNo=0 or1" << "";
        QTest::newRow("return ledger, Print: empty code") << ReportKind::ProductPurchaseReturnLedger << true << "code="
                                                          << "0 : Please Enter Product Id";
    }

    // Each refusal shows one message, runs no statement, prints nothing (not the
    // report prepared before it either) and puts the focus on the entry to correct.
    void refusals()
    {
        QFETCH(ReportKind, kind);
        QFETCH(bool, print);
        QFETCH(QString, entries);
        QFETCH(QString, message);

        MessageRecorder boxes;
        ModalDriver<RptReportViewer> viewers;
        ReportWindow *w = openWindow(kind);
        if (reportDefinition(kind).codeRequired)
            typeCode(w, QStringLiteral("5"));
        QVERIFY(w->PrepareReport());
        QCOMPARE(boxes.texts(), QString());
        const QString statement = w->queryText();
        w->closeButton()->setFocus();
        enter(w, entries);
        QTest::mouseClick(print ? w->printButton() : w->previewButton(), Qt::LeftButton);

        QWidget *focus = w->codeBox();
        if (message.isEmpty()) {
            // A new code empties the name box: the ledger's code then names nothing.
            const QString codeName = entries.contains(QLatin1String("code=")) ? QString() : QStringLiteral("Panadol");
            const std::optional<ParameterRefusal> refusal =
                ReportPreparation(kind, nullptr).check(parametersOf(entries), codeName);
            QVERIFY(refusal);
            message = MessageRecorder::describe(refusal->style, refusal->title, refusal->message);
            focus = inputWidget(w, refusal->field);
        }
        QCOMPARE(boxes.shown(), message);
        QCOMPARE(w->focusWidget(), focus);
        QCOMPARE(w->queryText(), statement);
        QCOMPARE(m_printed.size(), 0);
        QCOMPARE(viewers.shown, 0);
        QVERIFY(!lastViewer(w));
    }

    void outcomes_data()
    {
        QTest::addColumn<ReportKind>("kind");
        QTest::addColumn<QDate>("from");
        QTest::addColumn<QDate>("to");
        QTest::addColumn<QString>("entries");   // typed codes, pasted numbers
        QTest::addColumn<int>("rows");
        QTest::addColumn<QString>("object");    // a heading of the report shown or printed
        QTest::addColumn<QString>("text");

        const QDate april1(2024, 4, 1), april30(2024, 4, 30);
        const auto add = [&](ReportKind kind, const QDate &from, const QDate &to, const char *entries, int rows,
                             const char *object, const QString &text) {
            QTest::addRow("%s, %s", kindName(kind).constData(), rows ? "rows" : "nothing in range")
                << kind << from << to << entries << rows << object << text;
        };
        add(ReportKind::PurchaseSummary, kMarchFirst, kMarchLast, "", 4, "txtDate",
            "Date Between : 01-Mar-2024 To 31-Mar-2024");
        add(ReportKind::PurchaseRegisterInvoiceWise, kMarchFirst, kMarchLast, "fromNo=120", 5, "Txtinvoice",
            "Invoiceno Between : 120 To 100001");
        // One day: purchase 120's products 5 and 6.
        add(ReportKind::ProductWisePurchases, QDate(2024, 3, 10), QDate(2024, 3, 10), "", 2, "#3",
            "Company Name - All Companies");
        add(ReportKind::ProductPurchaseLedger, kMarchFirst, kMarchLast, "code=05", 3, "txtProduct",
            "Product : 05   Panadol");
        add(ReportKind::ProductPurchaseReturnLedger, kMarchFirst, kMarchLast, "code=5", 1, "txtCompName",
            "Return Ledger Co");
        add(ReportKind::PurchaseReturnRegister, kMarchFirst, kMarchLast, "fromNo=007", 3, "Txtinvoice",
            "Invoiceno Between : 7 To 40");
        add(ReportKind::PurchaseReturnSummary, kMarchFirst, kMarchLast, "code=8", 1, "txtCompName", "Orvane Test Co");
        for (const ReportKind kind : kAllKinds) {
            const bool ledger = reportDefinition(kind).codeRequired;
            add(kind, april1, april30, ledger ? "code=5" : kind == ReportKind::ProductWisePurchases ? "code=12" : "",
                0, "", "");
        }
    }

    // Preview shows the rows in a viewer (the product-wise window's modally over
    // it), Print prints them with the printer dialog; nothing in range says so.
    void outcomes()
    {
        QFETCH(ReportKind, kind);
        QFETCH(QDate, from);
        QFETCH(QDate, to);
        QFETCH(QString, entries);
        QFETCH(int, rows);
        QFETCH(QString, object);
        QFETCH(QString, text);
        const auto heading = [&object](const ReportContent &content) {
            return object.startsWith(QLatin1Char('#')) ? content.parameters.value(object.mid(1).toInt() - 1)
                                                       : objectText(content, object);
        };
        const bool productWise = kind == ReportKind::ProductWisePurchases;
        const QString caption = reportDefinition(kind).caption;
        for (const bool print : {false, true}) {
            MessageRecorder boxes;
            QString shownHeading;
            ModalDriver<RptReportViewer> modal([&](RptReportViewer *v) { shownHeading = heading(*v->ReportName->content()); });
            ReportWindow *w = openWindow(kind, from, to);
            for (const QString &entry : entries.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
                if (entry.startsWith(QLatin1String("code=")))
                    typeCode(w, entry.mid(5));
                else
                    qobject_cast<InvoiceRangeWindow *>(w)->fromInvoiceBox()->setText(entry.mid(7));
            }
            const QString code = w->codeBox()->text();
            QTest::mouseClick(print ? w->printButton() : w->previewButton(), Qt::LeftButton);

            QCOMPARE(w->ReportRecordset().RecordCount(), rows);
            QCOMPARE(m_printed.size(), print && rows ? 1 : 0);
            QCOMPARE(modal.shown, !print && rows && productWise ? 1 : 0);
            QCOMPARE(bool(lastViewer(w)), !print && rows && !productWise);
            QVERIFY(!w->preparedReport());   // taken by the viewer or the printer
            if (rows && print) {
                QCOMPARE(heading(*m_printed.first()), text);
                QVERIFY(m_jobs.first().prompt);
            } else if (rows) {
                QCOMPARE(productWise ? shownHeading : heading(*lastViewer(w)->ReportName->content()), text);
            }
            // The frame's Print adds the printer's own word; the product-wise
            // window has its own, and its Preview empties the code.
            const QString exists = MessageRecorder::describe(vbInformation, caption, QStringLiteral("No record exists."));
            const QString found = MessageRecorder::describe(vbInformation, QStringLiteral("Information"),
                                                            QStringLiteral("No record found"));
            QCOMPARE(boxes.shown(), rows ? QString() : productWise ? found : print ? exists + " | " + found : exists);
            QCOMPARE(w->codeBox()->text(), !rows && productWise && !print ? QString() : code);
            deleteWindows<RptReportViewer>();
            m_printed.clear();
        }
    }

    // A preparation that fails on the database (one without the host's tables)
    // shows its one message, shows and prints nothing, and leaves no busy pointer.
    void databaseErrors_data()
    {
        QTest::addColumn<ReportKind>("kind");
        QTest::addColumn<bool>("print");
        QTest::newRow("product-wise, Preview") << ReportKind::ProductWisePurchases << false;
        QTest::newRow("return summary, Print") << ReportKind::PurchaseReturnSummary << true;
    }

    void databaseErrors()
    {
        QFETCH(ReportKind, kind);
        QFETCH(bool, print);
        MessageRecorder boxes;
        ModalDriver<RptReportViewer> modal;
        ReportWindow *w = openWindow(kind);
        ReportFixture damaged;
        for (const QString &table : damaged.database().tables())
            exec(damaged.database(), QStringLiteral("DROP TABLE ") + table);
        SharedState::current().SharedConnection = damaged.connection;
        QTest::mouseClick(print ? w->printButton() : w->previewButton(), Qt::LeftButton);

        QCOMPARE(boxes.boxes.size(), 1);
        QCOMPARE(boxes.boxes.at(0).style, int(vbCritical));
        QCOMPARE(m_printed.size(), 0);
        QCOMPARE(modal.shown, 0);
        QVERIFY(!lastViewer(w));
        QCOMPARE(w->cursor().shape(), Qt::ArrowCursor);
    }

    void tabOrder_data()
    {
        QTest::addColumn<ReportKind>("kind");
        QTest::addColumn<QString>("walk");
        QTest::newRow("frame") << ReportKind::PurchaseReturnSummary
                               << "DtpFromDate dtpToDate TxtVendorID CmdPreview CmdPrint CmdClose BtnSchVendor "
                                  "TxtVendorName DtpFromDate";
        QTest::newRow("register: numbers before the code") << ReportKind::PurchaseRegisterInvoiceWise
            << "DtpFromDate dtpToDate txtFromInvoiceno txtToInvoiceno TxtVendorID CmdPreview CmdPrint CmdClose "
               "BtnSchVendor";
        QTest::newRow("return register: numbers last") << ReportKind::PurchaseReturnRegister
            << "DtpFromDate dtpToDate TxtVendorID CmdPreview CmdPrint CmdClose BtnSchVendor TxtVendorName "
               "txtFromInvoiceno";
    }

    // Tab walks the form in its order; the empty code box lets the focus go.
    void tabOrder()
    {
        QFETCH(ReportKind, kind);
        QFETCH(QString, walk);
        ReportWindow *w = openWindow(kind);
        w->fromDate()->setFocus();
        QStringList walked{w->focusWidget()->objectName()};
        for (int i = 0; i < 8; ++i) {
            QTest::keyClick(w->focusWidget(), Qt::Key_Tab);
            walked << w->focusWidget()->objectName();
        }
        QCOMPARE(walked.join(QLatin1Char(' ')), walk);
    }

    // --- The frame ---------------------------------------------------------------

    void leaveCodeBox_data()
    {
        QTest::addColumn<ReportKind>("kind");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("dialogs");
        QTest::addColumn<QString>("boxes");   // code|name after
        QTest::addColumn<QString>("focus");

        const ReportKind frame = ReportKind::PurchaseReturnSummary;
        QTest::newRow("007 by Tab: vendor 7, focus moves on") << frame << "007" << int(Qt::Key_Tab) << 0
                                                              << "007|Vendor Seven" << "CmdPreview";
        QTest::newRow("8 by Enter") << frame << "8" << int(Qt::Key_Return) << 0 << "8|O'Brien Traders" << "CmdPreview";
        QTest::newRow("unknown code, lookup cancelled: both empty, focus kept") << frame << "55" << int(Qt::Key_Tab)
                                                                                << 1 << "|" << "TxtVendorID";
        QTest::newRow("a customer is no vendor: lookup opens") << frame << "9" << int(Qt::Key_Return) << 1 << "|"
                                                               << "TxtVendorID";
        QTest::newRow("register: any party, a customer too") << ReportKind::PurchaseRegisterInvoiceWise << "9"
                                                             << int(Qt::Key_Return) << 0 << "9|Customer Nine"
                                                             << "CmdPreview";
        QTest::newRow("product-wise: code naming nothing, cancelled: all companies")
            << ReportKind::ProductWisePurchases << "55" << int(Qt::Key_Return) << 1 << "|All Companies" << "TxtCompanyID";
    }

    void leaveCodeBox()
    {
        QFETCH(ReportKind, kind);
        QFETCH(QString, typed);
        QFETCH(int, key);
        QFETCH(int, dialogs);
        QFETCH(QString, boxes);
        QFETCH(QString, focus);
        MessageRecorder messages;
        ReportWindow *w = openWindow(kind);
        w->codeBox()->setFocus();
        QTest::keyClicks(w->codeBox(), typed);
        ModalDriver<LookupDialog> lookups;   // cancels
        QTest::keyClick(w->codeBox(), Qt::Key(key));

        QCOMPARE(messages.texts(), QString());
        QCOMPARE(lookups.shown, dialogs);
        QCOMPARE(w->codeBox()->text() + QLatin1Char('|') + w->nameBox()->text(), boxes);
        QCOMPARE(w->focusWidget()->objectName(), focus);
        if (dialogs) {
            QCOMPARE(lookups.owners.first().data(), static_cast<QWidget *>(w));   // stands over the window
            // The now empty box stands for all and lets the focus go, with no lookup.
            QTest::keyClick(w->codeBox(), Qt::Key_Tab);
            QCOMPARE(lookups.shown, 1);
            QCOMPARE(w->focusWidget(), static_cast<QWidget *>(w->previewButton()));
        }
    }

    void lookupByUser_data()
    {
        QTest::addColumn<ReportKind>("kind");
        QTest::addColumn<QString>("code");
        QTest::addColumn<QString>("how");   // F1 or the lookup button, then Escape, Cancel or a choice
        QTest::addColumn<QString>("boxes");
        QTest::addColumn<QString>("focus");
        const ReportKind frame = ReportKind::PurchaseReturnSummary, wise = ReportKind::ProductWisePurchases;
        // Cancel keeps what the boxes held; only a lookup that opens for a code
        // naming nothing empties it (leaveCodeBox).
        QTest::newRow("button, Escape") << frame << "8" << "button escape" << "8|O'Brien Traders" << "TxtVendorID";
        QTest::newRow("F1, Cancel") << frame << "8" << "f1 cancel" << "8|O'Brien Traders" << "TxtVendorID";
        QTest::newRow("F1, a choice: code and name, no database check")
            << frame << "" << "f1 choose" << "8|O'Brien Traders" << "TxtVendorID";
        QTest::newRow("product-wise, F1, Escape") << wise << "12" << "f1 escape" << "12|Twelve Co" << "TxtCompanyID";
        QTest::newRow("product-wise, button, Escape") << wise << "12" << "button escape" << "12|Twelve Co"
                                                      << "TxtCompanyID";
        QTest::newRow("product-wise, F1, a choice moves to the dates") << wise << "" << "f1 choose" << "1|Acme Pharma"
                                                                       << "DtpFrom";
    }

    void lookupByUser()
    {
        QFETCH(ReportKind, kind);
        QFETCH(QString, code);
        QFETCH(QString, how);
        QFETCH(QString, boxes);
        QFETCH(QString, focus);
        MessageRecorder messages;
        ModalDriver<LookupDialog> lookups([how](LookupDialog *d) {
            if (how.endsWith(QLatin1String("escape")))
                QTest::keyClick(d->filterBox(), Qt::Key_Escape);
            else if (how.endsWith(QLatin1String("cancel")))
                d->closeButton()->click();
            else
                QTest::keyClick(d->filterBox(), Qt::Key_Return);   // the first row
        });
        ReportWindow *w = openWindow(kind);
        if (!code.isEmpty())
            typeCode(w, code);
        w->codeBox()->setFocus();
        if (how.startsWith(QLatin1String("f1")))
            QTest::keyClick(w->codeBox(), Qt::Key_F1);
        else
            QTest::mouseClick(w->lookupButton(), Qt::LeftButton);
        QCOMPARE(lookups.shown, 1);
        // F1 opens it on its own, the button over the window.
        QCOMPARE(lookups.owners.first().data(), how.startsWith(QLatin1String("f1")) ? nullptr : w);
        QCOMPARE(w->codeBox()->text() + QLatin1Char('|') + w->nameBox()->text(), boxes);
        QCOMPARE(w->focusWidget()->objectName(), focus);
        QCOMPARE(messages.texts(), QString());
    }

    void keys_data()
    {
        QTest::addColumn<QString>("control");
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<QString>("outcome");   // viewer, printed, closed, lookup, or where the focus went
        const int enter = Qt::Key_Return, none = Qt::NoModifier;
        QTest::newRow("Enter on Preview previews") << "CmdPreview" << enter << none << "viewer";
        QTest::newRow("Enter on Print prints") << "CmdPrint" << enter << none << "printed";
        QTest::newRow("Enter on Close closes") << "CmdClose" << enter << none << "closed";
        QTest::newRow("Enter on ... opens the lookup") << "BtnSchVendor" << enter << none << "lookup";
        QTest::newRow("Enter in the name box moves on") << "TxtVendorName" << enter << none << "DtpFromDate";
        QTest::newRow("Ctrl+Q closes") << "DtpFromDate" << int(Qt::Key_Q) << int(Qt::ControlModifier) << "closed";
        QTest::newRow("Shift+Q does not") << "DtpFromDate" << int(Qt::Key_Q) << int(Qt::ShiftModifier) << "DtpFromDate";
        QTest::newRow("F1 in the name box: nothing") << "TxtVendorName" << int(Qt::Key_F1) << none << "TxtVendorName";
    }

    void keys()
    {
        QFETCH(QString, control);
        QFETCH(int, key);
        QFETCH(int, modifiers);
        QFETCH(QString, outcome);
        MessageRecorder boxes;
        ModalDriver<LookupDialog> lookups;
        QPointer<ReportWindow> w = frame();
        w->findChild<QWidget *>(control)->setFocus();
        QTest::keyClick(w->focusWidget(), Qt::Key(key), Qt::KeyboardModifiers(modifiers));
        QCOMPARE(boxes.texts(), QString());
        QCOMPARE(lookups.shown, int(outcome == QLatin1String("lookup")));
        QCOMPARE(m_printed.size(), int(outcome == QLatin1String("printed")));
        QCOMPARE(w && lastViewer(w) && lastViewer(w)->isVisible(), outcome == QLatin1String("viewer"));
        if (outcome == QLatin1String("closed"))
            QTRY_VERIFY(w.isNull());   // unloaded: the next use makes a new one
        else if (outcome.startsWith(QLatin1String("Dtp")) || outcome.startsWith(QLatin1String("Txt")))
            QCOMPARE(w->focusWidget()->objectName(), outcome);
    }

    void dateBoxLeave_data()
    {
        QTest::addColumn<QString>("typed");   // into To Date, entered by Tab
        QTest::addColumn<QString>("leave");   // tab, enter or preview (a click)
        QTest::addColumn<QString>("text");    // a date in it is the one accepted
        QTest::addColumn<QString>("focus");   // dtpToDate: refused
        QTest::newRow("whole date, Enter moves on") << "15032024" << "enter" << "15/03/2024" << "TxtVendorID";
        QTest::newRow("day alone, a click on Preview") << "15" << "preview" << "15/03/2024" << "CmdPreview";
        QTest::newRow("31/02/2026 refused as it completes, Tab too") << "31/02/2026" << "tab" << "31/02/2026"
                                                                     << "dtpToDate";
        QTest::newRow("unreadable, a click on Preview previews nothing") << "311" << "preview" << "311" << "dtpToDate";
    }

    void dateBoxLeave()
    {
        QFETCH(QString, typed);
        QFETCH(QString, leave);
        QFETCH(QString, text);
        QFETCH(QString, focus);
        MessageRecorder boxes;
        ReportWindow *w = frame();
        w->fromDate()->setFocus();
        QTest::keyClick(w->fromDate(), Qt::Key_Tab);
        QTest::keyClicks(w->toDate(), typed);
        if (leave == QLatin1String("preview"))
            QTest::mouseClick(w->previewButton(), Qt::LeftButton);
        else
            QTest::keyClick(w->toDate(), leave == QLatin1String("tab") ? Qt::Key_Tab : Qt::Key_Return);

        const bool refused = focus == QLatin1String("dtpToDate");
        QCOMPARE(w->toDate()->date(), refused ? kMarchLast : QDate::fromString(text, QStringLiteral("dd/MM/yyyy")));
        QCOMPARE(w->toDate()->text(), text);
        QCOMPARE(w->focusWidget()->objectName(), focus);
        QCOMPARE(boxes.boxes.isEmpty(), !refused);
        for (const RecordedBox &box : std::as_const(boxes.boxes))
            QVERIFY2(box.text.startsWith(QStringLiteral("To Date: \"%1\" is not a date.").arg(text)), qPrintable(box.text));
        QCOMPARE(bool(lastViewer(w)), focus == QLatin1String("CmdPreview"));
        if (lastViewer(w)) {   // the date the box shows is the one queried and printed: returns 0, 7, 15
            QCOMPARE(w->ReportRecordset().RecordCount(), 4);
            QCOMPARE(objectText(*lastViewer(w)->ReportName, QStringLiteral("txtDate")),
                     QStringLiteral("Date Between : 01-Mar-2024 To 15-Mar-2024"));
        }
    }

    void twoPreviewsLeaveTwoViewers()
    {
        MessageRecorder boxes;
        ReportWindow *w = frame();
        QTest::mouseClick(w->previewButton(), Qt::LeftButton);
        QPointer<RptReportViewer> first = lastViewer(w);
        w->activateWindow();
        QTest::mouseClick(w->previewButton(), Qt::LeftButton);
        QPointer<RptReportViewer> second = lastViewer(w);
        QCOMPARE(boxes.texts(), QString());
        QVERIFY(first && second && first != second);
        QVERIFY(first->isVisible() && second->isVisible());
        QVERIFY(first->ReportName && second->ReportName && first->ReportName.get() != second->ReportName.get());
        QCOMPARE(second->windowTitle(), QStringLiteral("Purchase Returns Summary ReportName"));
    }
};

QTEST_MAIN(tst_ReportWindow)
#include "tst_ReportWindow.moc"
