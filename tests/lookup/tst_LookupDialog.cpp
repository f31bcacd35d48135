// The four lookups. The frame (filtering, the dialog-level keys, the
// hand-back, the error treatment) is told on the vendor lookup; the others
// for what they do differently.

#include "MessageRecorder.h"
#include "ModalDriver.h"
#include "TestDatabase.h"

#include "Connection.h"
#include "Recordset.h"
#include "SchCompany.h"
#include "SchParty.h"
#include "SchProducts.h"
#include "SchVendors.h"
#include "SearchMiss.h"
#include "SharedState.h"

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>

using namespace orvane;
using namespace orvane::test;

namespace {

/// Grid column `name` ("ID", "Name", "City"), top to bottom.
QStringList gridTexts(const LookupDialog *d, const QString &name = QStringLiteral("Name"))
{
    QStringList texts;
    const QAbstractItemModel *model = d->grid()->model();
    for (int row = 0; row < model->rowCount(); ++row)
        texts << model->index(row, d->gridColumn(name)).data().toString();
    return texts;
}

/// Name in the active row; "" when there is none.
QString activeName(const LookupDialog *d)
{
    const QModelIndex current = d->grid()->currentIndex();
    return current.siblingAtColumn(d->gridColumn(QStringLiteral("Name"))).data().toString();
}

/// Shows the dialog without modality (its Load runs).
bool openShown(LookupDialog *d)
{
    d->show();
    return QTest::qWaitForWindowExposed(d);
}

} // namespace

class tst_LookupDialog : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        m_db = createTestDatabase();
        exec(m_db, QStringLiteral(
            "INSERT INTO Parties (PartyId, PartyName, City, IsVendor) VALUES "
            "(1, 'O''Brien Traders', 'Lahore', 1), (2, 'Émile Café', 'Paris', 1),"
            "(3, 'Abbas & Sons', 'Karachi', 1), (4, 'ABC Mills', 'Multan', 1),"
            "(5, 'Al-Noor Cotton', 'Faisalabad', 1), (6, 'Zahid Brothers', 'Quetta', 1),"
            "(7, 'Walk-in Customer', 'Lahore', 0), (8, 'D''Souza Agencies', 'Karachi', 1),"
            "(9, 'Sabir Traders', 'Sialkot', 1), (10, 'Sonsara Textiles', 'Multan', 1),"
            "(11, 'Abbasi Mills', 'Okara', 1), (12, 'École Supplies', 'Lyon', 1),"
            // One name with its accents as single characters, one with combining marks.
            "(13, 'Zo\u00eb''s Mills', 'Oslo', 1), (14, 'Cafe\u0301 N\u0303andu\u0301', 'Lima', 1)"));
        exec(m_db, QStringLiteral("INSERT INTO Companies (CompanyId, CompanyName) VALUES "
                                  "(1, 'Crescent Sugar'), (2, 'Alpha Agro'), (3, 'D''Arcy Foods'),"
                                  "(4, 'Al-Habib Textiles'), (5, 'Beta Chemicals'), (6, 'Zenith Paper'),"
                                  "(7, '\u00c9clair Bakers')"));
        exec(m_db, QStringLiteral(
            "INSERT INTO Products (ProductId, ProductName, CompanyId, IsCrop, IsBardana, IsBroker) VALUES "
            "(1, 'Urea 50kg', 2, 0, 0, 0), (2, 'Wheat Seed', 1, 1, 0, NULL), (3, 'Jute Bag', 1, 0, 1, 0),"
            "(4, 'DAP Fertilizer', 3, 0, 0, 1), (5, 'Brokerage Service', 3, 1, 0, 1),"
            "(6, 'Poly Bag', 2, 0, 1, NULL), (7, 'Cotton Seed', 1, 1, 1, NULL),"
            "(8, 'Potash O''Neil', 3, 0, 0, NULL), (9, 'Cr\u00e8me Fra\u00eeche', 2, 0, 0, 0)"));
    }
    void cleanupTestCase() { SharedState::current().deleteWindows(); }
    void init() { SharedState::current().SharedConnection = Connection::create(m_db); }
    void cleanup()
    {
        for (QWidget *w : QApplication::topLevelWidgets())
            w->hide();
    }

    void filter_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QStringList>("names");
        const QString zoe = QStringLiteral("Zo\u00eb's Mills");
        const QString cafe = QStringLiteral("Cafe\u0301 N\u0303andu\u0301");
        QTest::newRow("empty: every vendor by name") << ""
            << QStringList({"Abbas & Sons", "Abbasi Mills", "ABC Mills", "Al-Noor Cotton", cafe, "D'Souza Agencies",
                            "O'Brien Traders", "Sabir Traders", "Sonsara Textiles", "Zahid Brothers", zoe,
                            "École Supplies", "Émile Café"});
        QTest::newRow("apostrophe alone") << "'" << QStringList({"D'Souza Agencies", "O'Brien Traders", zoe});
        QTest::newRow("quote cannot end the literal") << "x' OR 'a'='a" << QStringList();
        QTest::newRow("leading blank must occur") << " Sons" << QStringList({"Abbas & Sons"});
        QTest::newRow("trailing blank must occur") << "Abbas " << QStringList({"Abbas & Sons"});
        QTest::newRow("plain letters find accented ones") << "zoe" << QStringList({zoe});
        QTest::newRow("percent inside the text") << "ab%mil" << QStringList({"Abbasi Mills", "ABC Mills"});
        QTest::newRow("customers left out") << "Walk" << QStringList();
        QTest::newRow("past thirty characters") << "O'Brien Traders of Quetta & Lahore" << QStringList();
    }

    void filter()
    {
        QFETCH(QString, typed);
        QFETCH(QStringList, names);
        MessageRecorder boxes;
        SchVendors *d = dialog();
        QVERIFY(openShown(d));
        QTest::keyClicks(d->filterBox(), typed);
        QCOMPARE(d->filterBox()->text(), typed.left(30));
        QCOMPARE(gridTexts(d), names);
        QCOMPARE(isSearchMiss(d->filterBox()), names.isEmpty());
        // The first row is active, in the grid and in the recordset Select reads.
        QCOMPARE(d->grid()->currentIndex().row(), names.isEmpty() ? -1 : 0);
        if (!names.isEmpty())
            QCOMPARE(d->listRecordset()->AbsolutePosition(), 0);
        // Enter chooses it; on an empty grid the dialog stays open, without a message.
        QTest::keyClick(d->filterBox(), Qt::Key_Return);
        QCOMPARE(d->isVisible(), names.isEmpty());
        QCOMPARE(boxes.texts(), QString());
        QCOMPARE(d->ParaOutVendorName, names.value(0));
    }

    void gridKeys_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<QString>("filter");
        QTest::newRow("keypad digit") << int(Qt::Key_4) << int(Qt::KeypadModifier) << "4";
        QTest::newRow("space") << int(Qt::Key_Space) << 0 << " ";
        QTest::newRow("shift letter stays in the grid") << int(Qt::Key_S) << int(Qt::ShiftModifier) << "";
        QTest::newRow("ctrl letter stays in the grid") << int(Qt::Key_S) << int(Qt::ControlModifier) << "";
    }

    void gridKeys()
    {
        QFETCH(int, key);
        QFETCH(int, modifiers);
        QFETCH(QString, filter);
        SchVendors *d = dialog();
        QVERIFY(openShown(d));
        d->grid()->setFocus();
        QTest::keyClick(d->grid(), Qt::Key(key), Qt::KeyboardModifiers(modifiers));
        QCOMPARE(d->filterBox()->text(), filter);
        QCOMPARE(d->focusWidget(), d->grid());
    }

    // Down takes the focus from the filter to the grid, the first match active;
    // letters typed there go on narrowing, Backspace widens again.
    void typeAheadFromTheGrid()
    {
        SchVendors *d = dialog();
        QVERIFY(openShown(d));
        QCOMPARE(d->focusWidget(), d->filterBox());
        QTest::keyClicks(d->filterBox(), QStringLiteral("mil"));
        QTest::keyClick(d->filterBox(), Qt::Key_Down);
        QCOMPARE(d->focusWidget(), d->grid());
        QCOMPARE(activeName(d), QStringLiteral("Abbasi Mills"));
        d->filterBox()->clear();
        QTest::keyClick(d->grid(), Qt::Key_A);
        const QStringList afterA = gridTexts(d);
        QTest::keyClick(d->grid(), Qt::Key_B);
        QCOMPARE(d->filterBox()->text(), QStringLiteral("AB"));
        QCOMPARE(gridTexts(d), QStringList({"Abbas & Sons", "Abbasi Mills", "ABC Mills", "Sabir Traders"}));
        QTest::keyClick(d->grid(), Qt::Key_Backspace);
        QCOMPARE(d->filterBox()->text(), QStringLiteral("A"));
        QCOMPARE(d->focusWidget(), d->grid());
        QCOMPARE(gridTexts(d), afterA);
    }

    void closingKeys_data()
    {
        QTest::addColumn<QString>("control");   // the one with the focus
        QTest::addColumn<int>("downs");         // rows moved down in the grid first
        QTest::addColumn<int>("key");
        QTest::addColumn<QString>("id");        // "": cancelled
        QTest::addColumn<QString>("name");
        QTest::newRow("keypad Enter on the third row") << "Grid" << 2 << int(Qt::Key_Enter) << "4" << "ABC Mills";
        QTest::newRow("Enter on Select is the button's")
            << "CmdSelect" << 1 << int(Qt::Key_Return) << "11" << "Abbasi Mills";
        QTest::newRow("Enter on Cancel is the button's") << "CmdClose" << 1 << int(Qt::Key_Return) << "" << "";
        QTest::newRow("Escape") << "Grid" << 1 << int(Qt::Key_Escape) << "" << "";
    }

    void closingKeys()
    {
        QFETCH(QString, control);
        QFETCH(int, downs);
        QFETCH(int, key);
        QFETCH(QString, id);
        QFETCH(QString, name);
        SchVendors *d = dialog();
        QVERIFY(openShown(d));
        d->grid()->setFocus();
        for (int i = 0; i < downs; ++i)
            QTest::keyClick(d->grid(), Qt::Key_Down);
        QWidget *target = d->findChild<QWidget *>(control);
        target->setFocus();
        // A choice made earlier must not survive a cancel.
        d->ParaOutVendorID = QStringLiteral("99");
        d->ParaOutVendorName = QStringLiteral("Stale");
        QTest::keyClick(target, Qt::Key(key));
        QVERIFY(!d->isVisible());
        QCOMPARE(d->result(), int(id.isEmpty() ? QDialog::Rejected : QDialog::Accepted));
        QCOMPARE(d->ParaOutVendorID, id);
        QCOMPARE(d->ParaOutVendorName, name);
    }

    void secondOpeningHandsBackNothing()
    {
        QWidget owner;
        owner.show();
        SchVendors *d = dialog();
        ModalDriver<SchVendors> choose([](SchVendors *dialog) {
            QTest::keyClick(dialog->filterBox(), Qt::Key_Return);
        });
        QCOMPARE(d->showModal(&owner), int(QDialog::Accepted));
        QCOMPARE(d->ParaOutVendorID, QStringLiteral("3"));
        QCOMPARE(d->parentWidget(), nullptr);   // the owner does not keep the shared dialog

        QString idWhileOpen = QStringLiteral("unset");
        ModalDriver<SchVendors> look([&](SchVendors *dialog) { idWhileOpen = dialog->ParaOutVendorID; });
        QCOMPARE(d->showModal(nullptr), int(QDialog::Rejected));
        QCOMPARE(idWhileOpen, QString());
        QCOMPARE(d->ParaOutVendorID, QString());
    }

    void doubleClickSelects()
    {
        SchVendors *d = dialog();
        QVERIFY(openShown(d));
        const QModelIndex cell = d->grid()->model()->index(3, d->gridColumn(QStringLiteral("Name")));
        const QPoint at = d->grid()->visualRect(cell).center();
        QTest::mouseClick(d->grid()->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(d->grid()->viewport(), Qt::LeftButton, {}, at);
        QVERIFY(!d->isVisible());
        QCOMPARE(d->ParaOutVendorID, QStringLiteral("5"));
        QCOMPARE(d->ParaOutVendorName, QStringLiteral("Al-Noor Cotton"));
    }

    void brokenConnectionShowsErrorAndStaysOpen()
    {
        QTemporaryDir dir;
        QSqlDatabase db = createTestDatabase(dir.filePath(QStringLiteral("broken.sqlite")));
        exec(db, QStringLiteral("INSERT INTO Parties (PartyId, PartyName, IsVendor) VALUES (1, 'Rafiq & Co', 1)"));
        SharedState::current().SharedConnection = Connection::create(db);
        MessageRecorder boxes;
        SchVendors *d = dialog();
        db.close();
        QVERIFY(openShown(d));
        QCOMPARE(boxes.boxes.size(), 1);
        QCOMPARE(boxes.boxes.at(0).style, int(vbCritical));
        QVERIFY(d->isVisible());
        QCOMPARE(d->grid()->model()->rowCount(), 0);   // no stale row to hand back
        QTest::keyClick(d->filterBox(), Qt::Key_Return);
        QVERIFY(d->isVisible());

        // Once the database answers again the next key reads the list.
        QVERIFY(db.open());
        QTest::keyClicks(d->filterBox(), QStringLiteral("r"));
        QCOMPARE(boxes.boxes.size(), 1);
        QCOMPARE(gridTexts(d), QStringList({"Rafiq & Co"}));
    }

    void partyListKeepsDatabaseOrder()
    {
        SchParty *d = SharedState::current().window<SchParty>();
        QVERIFY(openShown(d));
        QStringList captions;
        for (const char *column : {"ID", "Name", "City"}) {
            const int c = d->gridColumn(QLatin1String(column));
            captions << d->grid()->model()->headerData(c, Qt::Horizontal).toString();
        }
        QCOMPARE(captions, QStringList({"Party ID", "Name", "Sector"}));
        // Every party, customers too, by key and not by name.
        QCOMPARE(gridTexts(d, QStringLiteral("ID")),
                 QStringList({"1", "2", "3", "4", "5", "6", "7", "8", "9", "10", "11", "12", "13", "14"}));
    }

    void productModes_data()
    {
        QTest::addColumn<bool>("both");
        QTest::addColumn<bool>("isBardana");
        QTest::addColumn<bool>("isBroker");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QStringList>("names");
        QTest::addColumn<QString>("firstCompany");

        const QStringList every = {"Brokerage Service", "Cotton Seed", "Crème Fraîche", "DAP Fertilizer", "Jute Bag",
                                   "Poly Bag", "Potash O'Neil", "Urea 50kg", "Wheat Seed"};
        const QStringList bardana = {"Cotton Seed", "Jute Bag", "Poly Bag"};
        QTest::newRow("default: no crops") << false << false << false << ""
            << QStringList({"Crème Fraîche", "DAP Fertilizer", "Jute Bag", "Poly Bag", "Potash O'Neil", "Urea 50kg"})
            << "Alpha Agro";
        QTest::newRow("both ignores the filter") << true << false << false << "bag" << every << "D'Arcy Foods";
        QTest::newRow("bardana, filtered") << false << true << false << "seed"
            << QStringList({"Cotton Seed"}) << "Crescent Sugar";
        QTest::newRow("broker: NULL counts as 0") << false << false << true << ""
            << QStringList({"Brokerage Service", "DAP Fertilizer"}) << "D'Arcy Foods";
        QTest::newRow("bardana beats broker") << false << true << true << "" << bardana << "Crescent Sugar";
        QTest::newRow("both beats the rest") << true << true << true << "" << every << "D'Arcy Foods";
    }

    void productModes()
    {
        QFETCH(bool, both);
        QFETCH(bool, isBardana);
        QFETCH(bool, isBroker);
        QFETCH(QString, typed);
        QFETCH(QStringList, names);
        QFETCH(QString, firstCompany);
        MessageRecorder boxes;
        SchProducts *d = SharedState::current().window<SchProducts>();
        d->ParaInBoth = both;
        d->ParaInIsBardana = isBardana;
        d->ParaInIsBroker = isBroker;
        QVERIFY(openShown(d));
        QTest::keyClicks(d->filterBox(), typed);
        QCOMPARE(boxes.texts(), QString());
        QCOMPARE(gridTexts(d), names);
        QCOMPARE(gridTexts(d, QStringLiteral("City")).first(), firstCompany);
    }

    void companySearch_data()
    {
        QTest::addColumn<QStringList>("steps");   // filter texts typed one after another
        QTest::addColumn<QStringList>("active");  // active company after each step; "": none
        QTest::newRow("each letter narrows the match") << QStringList({"A", "Al", "Alp"})
            << QStringList({"Al-Habib Textiles", "Al-Habib Textiles", "Alpha Agro"});
        QTest::newRow("prefix, not substring: no row")
            << QStringList({"Agro"}) << QStringList({""});
        QTest::newRow("no match after a match: no row")
            << QStringList({"B", "Bx"}) << QStringList({"Beta Chemicals", ""});
        QTest::newRow("a match after a miss") << QStringList({"Zx", "Ze"}) << QStringList({"", "Zenith Paper"});
        QTest::newRow("blank filter: first row")
            << QStringList({"D", "  "}) << QStringList({"D'Arcy Foods", "Al-Habib Textiles"});
    }

    // The list is searched where it stands and never narrowed. A miss leaves no
    // row active and shows in the filter box; Enter and Select then do nothing.
    void companySearch()
    {
        QFETCH(QStringList, steps);
        QFETCH(QStringList, active);
        MessageRecorder boxes;
        SchCompany *d = SharedState::current().window<SchCompany>();
        QVERIFY(openShown(d));
        d->ParaOutCompanyID = QStringLiteral("5");
        d->ParaOutCompanyName = QStringLiteral("Beta Chemicals");
        for (int i = 0; i < steps.size(); ++i) {
            d->filterBox()->selectAll();
            QTest::keyClicks(d->filterBox(), steps.at(i));
            QCOMPARE(activeName(d), active.at(i));
            QCOMPARE(d->listRecordset()->AbsolutePosition(), d->grid()->currentIndex().row());
            QCOMPARE(d->grid()->model()->rowCount(), 7);
            QCOMPARE(isSearchMiss(d->filterBox()), active.at(i).isEmpty());
        }
        QCOMPARE(boxes.texts(), QString());
        QCOMPARE(d->ParaOutCompanyID, QStringLiteral("5"));
        QCOMPARE(d->ParaOutCompanyName, QStringLiteral("Beta Chemicals"));

        QTest::mouseClick(d->selectButton(), Qt::LeftButton);
        d->filterBox()->setFocus();
        QTest::keyClick(d->filterBox(), Qt::Key_Return);
        QCOMPARE(d->isVisible(), active.last().isEmpty());
        QCOMPARE(boxes.texts(), QString());
        QCOMPARE(d->ParaOutCompanyName, active.last().isEmpty() ? QStringLiteral("Beta Chemicals") : active.last());
        if (d->isVisible()) {
            // Down from the filter makes the first row active; Enter then chooses it.
            QTest::keyClick(d->filterBox(), Qt::Key_Down);
            QCOMPARE(activeName(d), QStringLiteral("Al-Habib Textiles"));
            QTest::keyClick(d->grid(), Qt::Key_Return);
            QVERIFY(!d->isVisible());
            QCOMPARE(d->ParaOutCompanyName, QStringLiteral("Al-Habib Textiles"));
        }
    }

private:
    SchVendors *dialog() { return SharedState::current().window<SchVendors>(); }
    QSqlDatabase m_db;
};

QTEST_MAIN(tst_LookupDialog)
#include "tst_LookupDialog.moc"
