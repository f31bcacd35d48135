// The lookup frame, told on the vendor lookup: listing and filtering, the
// dialog-level keys, Select and Cancel, the hand-back and the error treatment.

#include "LookupTestSupport.h"
#include "MessageRecorder.h"

#include "Recordset.h"
#include "SchVendors.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QSqlDatabase>
#include <QTest>

using namespace orvane;
using namespace orvane::test;

class tst_SchVendors : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void listSql_data();
    void listSql();
    void controls();
    void emptyFilterListsVendorsByName();
    void filter_data();
    void filter();
    void typeAhead_data();
    void typeAhead();
    void typeAheadNarrowsAndKeepsGridFocus();
    void downArrowMovesToGrid();
    void enterSelectsActiveRow_data();
    void enterSelectsActiveRow();
    void emptyGridKeepsDialogOpen_data();
    void emptyGridKeepsDialogOpen();
    void cancelHandsBackNothing_data();
    void cancelHandsBackNothing();
    void enterOnCancelButtonCancels();
    void modalOpeningClearsEarlierChoice();
    void doubleClickSelects();
    void brokenConnectionShowsErrorAndStaysOpen();
    void nullNameFailsAfterCode();

private:
    SchVendors *dialog() { return SharedState::current().window<SchVendors>(); }

    QSqlDatabase m_db;
};

void tst_SchVendors::initTestCase()
{
    m_db = createTestDatabase();
    struct Party { int id; const char *name; const char *city; int vendor; };
    const Party parties[] = {
        {1, "O'Brien Traders", "Lahore", 1},      {2, "Émile Café", "Paris", 1},
        {3, "Abbas & Sons", "Karachi", 1},        {4, "ABC Mills", "Multan", 1},
        {5, "Al-Noor Cotton", "Faisalabad", 1},   {6, "Zahid Brothers", "Quetta", 1},
        {7, "Walk-in Customer", "Lahore", 0},     {8, "D'Souza Agencies", "Karachi", 1},
        {9, "Sabir Traders", "Sialkot", 1},       {10, "Sonsara Textiles", "Multan", 1},
        {11, "Abbasi Mills", "Okara", 1},         {12, "École Supplies", "Lyon", 1},
        {13, "Broker Abid", "Lahore", 0},
    };
    for (const Party &p : parties) {
        exec(m_db, QStringLiteral("INSERT INTO Parties (PartyId, PartyName, City, IsVendor) "
                                  "VALUES (%1, '%2', '%3', %4)")
                       .arg(p.id)
                       .arg(QString::fromUtf8(p.name).replace(QLatin1String("'"), QLatin1String("''")),
                            QString::fromUtf8(p.city))
                       .arg(p.vendor));
    }
}

void tst_SchVendors::init()
{
    makeShared(m_db);
}

void tst_SchVendors::cleanup()
{
    if (SchVendors *d = SharedState::current().existingWindow<SchVendors>())
        d->hide();
}

void tst_SchVendors::listSql_data()
{
    QTest::addColumn<QString>("filter");
    QTest::addColumn<QString>("sql");
    QTest::newRow("empty filter") << QString()
        << "Select * FROM Parties Where IsVendor=1 order by Partyname";
    QTest::newRow("apostrophe doubled") << "O'Br"
        << "Select * FROM Parties Where IsVendor=1 AND PartyName LIKE '%O''Br%' order by Partyname";
    QTest::newRow("patterns and blanks kept") << " a%_ "
        << "Select * FROM Parties Where IsVendor=1 AND PartyName LIKE '% a%_ %' order by Partyname";
    QTest::newRow("quote cannot end the literal") << "x' OR 1=1 --"
        << "Select * FROM Parties Where IsVendor=1 AND PartyName LIKE '%x'' OR 1=1 --%' order by Partyname";
}

void tst_SchVendors::listSql()
{
    QFETCH(QString, filter);
    QFETCH(QString, sql);
    QCOMPARE(SchVendors::listSql(filter), sql);
}

void tst_SchVendors::controls()
{
    SchVendors *d = dialog();
    QVERIFY(openShown(d));
    QCOMPARE(d->windowTitle(), QStringLiteral("Search Vendors"));
    QCOMPARE(d->minimumSize(), d->maximumSize());
    QVERIFY(!d->testAttribute(Qt::WA_DeleteOnClose));

    auto *label = d->findChild<QLabel *>(QStringLiteral("Label9"));
    QVERIFY(label);
    QCOMPARE(label->text(), QStringLiteral("Name:"));
    auto *filter = d->findChild<QLineEdit *>(QStringLiteral("TxtFilter"));
    QVERIFY(filter);
    QCOMPARE(filter->maxLength(), 30);
    QVERIFY(d->findChild<QTableView *>(QStringLiteral("Grid")));
    QVERIFY(!d->findChild<QLabel *>(QStringLiteral("Image1")));   // the other lookups have one
    auto *select = d->findChild<QPushButton *>(QStringLiteral("CmdSelect"));
    auto *close = d->findChild<QPushButton *>(QStringLiteral("CmdClose"));
    QVERIFY(select && close);
    QCOMPARE(select->text(), QStringLiteral("Select"));
    QCOMPARE(close->text(), QStringLiteral("Cancel"));

    QAbstractItemModel *model = d->grid()->model();
    const QStringList captions = {QStringLiteral("Vendor ID"), QStringLiteral("Name"), QStringLiteral("City")};
    QCOMPARE(model->columnCount(), 3);
    for (int c = 0; c < 3; ++c)
        QCOMPARE(model->headerData(c, Qt::Horizontal).toString(), captions.at(c));
    const double id = d->grid()->columnWidth(d->gridColumn(QStringLiteral("ID")));
    QVERIFY(id > 0);
    QVERIFY(qAbs(d->grid()->columnWidth(d->gridColumn(QStringLiteral("name"))) / id - 3.75) < 0.1);
    QVERIFY(qAbs(d->grid()->columnWidth(d->gridColumn(QStringLiteral("City"))) / id - 1.9) < 0.1);
    QCOMPARE(d->grid()->selectionBehavior(), QAbstractItemView::SelectRows);
    QCOMPARE(d->grid()->selectionMode(), QAbstractItemView::SingleSelection);

    // Centred on the screen.
    const QPoint screenCentre = QGuiApplication::primaryScreen()->availableGeometry().center();
    QVERIFY2((d->frameGeometry().center() - screenCentre).manhattanLength() <= 4,
             qPrintable(QStringLiteral("dialog centre %1,%2").arg(d->frameGeometry().center().x())
                            .arg(d->frameGeometry().center().y())));
}

void tst_SchVendors::emptyFilterListsVendorsByName()
{
    SchVendors *d = dialog();
    QVERIFY(openShown(d));
    QCOMPARE(d->filterBox()->text(), QString());
    QCOMPARE(gridColumnTexts(d, QStringLiteral("Name")),
             QStringList({"Abbas & Sons", "Abbasi Mills", "ABC Mills", "Al-Noor Cotton",
                          "D'Souza Agencies", "O'Brien Traders", "Sabir Traders",
                          "Sonsara Textiles", "Zahid Brothers", "École Supplies", "Émile Café"}));
    QCOMPARE(gridColumnTexts(d, QStringLiteral("ID")).first(), QStringLiteral("3"));
    QCOMPARE(gridColumnTexts(d, QStringLiteral("City")).first(), QStringLiteral("Karachi"));
    // The first row is active, in the grid and in the recordset.
    QCOMPARE(d->grid()->currentIndex().row(), 0);
    QCOMPARE(d->listRecordset()->AbsolutePosition(), 0);
}

void tst_SchVendors::filter_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QStringList>("names");
    QTest::newRow("apostrophe in a name") << "O'Brien" << QStringList({"O'Brien Traders"});
    QTest::newRow("apostrophe alone") << "'" << QStringList({"D'Souza Agencies", "O'Brien Traders"});
    QTest::newRow("leading blank must occur") << " Sons" << QStringList({"Abbas & Sons"});
    QTest::newRow("without the blank") << "Sons" << QStringList({"Abbas & Sons", "Sonsara Textiles"});
    QTest::newRow("trailing blank must occur") << "Abbas " << QStringList({"Abbas & Sons"});
    QTest::newRow("underscore is any one") << "Ab_as" << QStringList({"Abbas & Sons", "Abbasi Mills"});
    QTest::newRow("percent is any run") << "S%Traders" << QStringList({"Sabir Traders"});
    QTest::newRow("case ignored") << "mills" << QStringList({"Abbasi Mills", "ABC Mills"});
    QTest::newRow("customers left out") << "Walk" << QStringList();
    QTest::newRow("brokers left out") << "Abid" << QStringList();
    QTest::newRow("no match") << "zzz" << QStringList();
    QTest::newRow("accented letter finds capital") << "é" << QStringList({"École Supplies", "Émile Café"});
}

void tst_SchVendors::filter()
{
    QFETCH(QString, typed);
    QFETCH(QStringList, names);
    MessageRecorder boxes;
    SchVendors *d = dialog();
    QVERIFY(openShown(d));
    d->filterBox()->setFocus();
    // QTest types ASCII only; other characters arrive as if pasted.
    bool ascii = true;
    for (const QChar c : typed)
        ascii = ascii && c.unicode() < 128;
    if (ascii)
        QTest::keyClicks(d->filterBox(), typed);
    else
        d->filterBox()->setText(typed);
    QCOMPARE(d->filterBox()->text(), typed);
    QCOMPARE(boxes.texts(), QString());
    QCOMPARE(gridColumnTexts(d, QStringLiteral("Name")), names);
    QCOMPARE(d->grid()->currentIndex().row(), names.isEmpty() ? -1 : 0);
}

void tst_SchVendors::typeAhead_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<QString>("filter");
    QTest::newRow("letter, upper case") << int(Qt::Key_S) << 0 << "S";
    QTest::newRow("digit") << int(Qt::Key_7) << 0 << "7";
    QTest::newRow("keypad digit") << int(Qt::Key_4) << int(Qt::KeypadModifier) << "4";
    QTest::newRow("space") << int(Qt::Key_Space) << 0 << " ";
    QTest::newRow("shift letter goes to the grid") << int(Qt::Key_S) << int(Qt::ShiftModifier) << "";
    QTest::newRow("ctrl letter goes to the grid") << int(Qt::Key_S) << int(Qt::ControlModifier) << "";
    QTest::newRow("alt letter goes to the grid") << int(Qt::Key_S) << int(Qt::AltModifier) << "";
    QTest::newRow("insert does not edit") << int(Qt::Key_Insert) << 0 << "";
    QTest::newRow("delete does not edit") << int(Qt::Key_Delete) << 0 << "";
    QTest::newRow("minus does not edit") << int(Qt::Key_Minus) << 0 << "";
    QTest::newRow("backspace on empty filter") << int(Qt::Key_Backspace) << 0 << "";
}

void tst_SchVendors::typeAhead()
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
    QVERIFY(d->isVisible());
}

void tst_SchVendors::typeAheadNarrowsAndKeepsGridFocus()
{
    SchVendors *d = dialog();
    QVERIFY(openShown(d));
    d->grid()->setFocus();

    QTest::keyClick(d->grid(), Qt::Key_A);
    QCOMPARE(d->filterBox()->text(), QStringLiteral("A"));
    QCOMPARE(d->focusWidget(), d->grid());
    const QStringList afterA = gridColumnTexts(d, QStringLiteral("Name"));
    QVERIFY(afterA.contains(QStringLiteral("Zahid Brothers")));

    QTest::keyClick(d->grid(), Qt::Key_B);
    QCOMPARE(d->filterBox()->text(), QStringLiteral("AB"));
    QCOMPARE(d->focusWidget(), d->grid());
    QCOMPARE(d->listRecordset()->Source(),
             QStringLiteral("Select * FROM Parties Where IsVendor=1 AND PartyName LIKE '%AB%' order by Partyname"));
    QCOMPARE(gridColumnTexts(d, QStringLiteral("Name")),
             QStringList({"Abbas & Sons", "Abbasi Mills", "ABC Mills", "Sabir Traders"}));

    // The arrows still move along the narrowed list, and Enter takes that row.
    QTest::keyClick(d->grid(), Qt::Key_Down);
    QCOMPARE(activeText(d, QStringLiteral("Name")), QStringLiteral("Abbasi Mills"));

    QTest::keyClick(d->grid(), Qt::Key_Backspace);
    QCOMPARE(d->filterBox()->text(), QStringLiteral("A"));
    QCOMPARE(d->focusWidget(), d->grid());
    QCOMPARE(gridColumnTexts(d, QStringLiteral("Name")), afterA);
}

void tst_SchVendors::downArrowMovesToGrid()
{
    SchVendors *d = dialog();
    QVERIFY(openShown(d));
    QCOMPARE(d->focusWidget(), d->filterBox());
    QTest::keyClicks(d->filterBox(), QStringLiteral("mil"));
    QTest::keyClick(d->filterBox(), Qt::Key_Down);
    QCOMPARE(d->focusWidget(), d->grid());
    QCOMPARE(d->filterBox()->text(), QStringLiteral("mil"));
    QCOMPARE(d->grid()->currentIndex().row(), 0);
}

void tst_SchVendors::enterSelectsActiveRow_data()
{
    QTest::addColumn<bool>("fromGrid");
    QTest::addColumn<int>("downs");
    QTest::addColumn<int>("key");
    QTest::addColumn<QString>("id");
    QTest::addColumn<QString>("name");
    QTest::newRow("enter in the filter box") << false << 0 << int(Qt::Key_Return) << "3" << "Abbas & Sons";
    QTest::newRow("keypad enter in the grid") << true << 0 << int(Qt::Key_Enter) << "3" << "Abbas & Sons";
    QTest::newRow("enter on the third row") << true << 2 << int(Qt::Key_Return) << "4" << "ABC Mills";
}

void tst_SchVendors::enterSelectsActiveRow()
{
    QFETCH(bool, fromGrid);
    QFETCH(int, downs);
    QFETCH(int, key);
    QFETCH(QString, id);
    QFETCH(QString, name);
    SchVendors *d = dialog();
    QVERIFY(openShown(d));
    QWidget *target = fromGrid ? static_cast<QWidget *>(d->grid()) : d->filterBox();
    target->setFocus();
    for (int i = 0; i < downs; ++i)
        QTest::keyClick(target, Qt::Key_Down);
    QTest::keyClick(target, Qt::Key(key));
    QVERIFY(!d->isVisible());
    QCOMPARE(d->result(), int(QDialog::Accepted));
    QCOMPARE(d->ParaOutVendorID, id);
    QCOMPARE(d->ParaOutVendorName, name);
}

void tst_SchVendors::emptyGridKeepsDialogOpen_data()
{
    QTest::addColumn<bool>("byButton");
    QTest::newRow("enter") << false;
    QTest::newRow("select button") << true;
}

void tst_SchVendors::emptyGridKeepsDialogOpen()
{
    QFETCH(bool, byButton);
    MessageRecorder boxes;
    SchVendors *d = dialog();
    int rowsWhileOpen = -1;
    bool openAfterSelect = false;
    const int result = runModal(d, nullptr, [&] {
        QTest::keyClicks(d->filterBox(), QStringLiteral("qqq"));
        rowsWhileOpen = d->grid()->model()->rowCount();
        if (byButton)
            QTest::mouseClick(d->selectButton(), Qt::LeftButton);
        else
            QTest::keyClick(d->filterBox(), Qt::Key_Return);
        openAfterSelect = d->isVisible();
        d->reject();
    });
    QCOMPARE(rowsWhileOpen, 0);
    QVERIFY(openAfterSelect);
    QCOMPARE(result, int(QDialog::Rejected));
    QCOMPARE(d->ParaOutVendorID, QString());
    QCOMPARE(boxes.texts(), QString());
}

void tst_SchVendors::cancelHandsBackNothing_data()
{
    QTest::addColumn<QString>("how");
    QTest::newRow("cancel button") << "button";
    QTest::newRow("close box") << "close";
    QTest::newRow("escape") << "escape";
}

void tst_SchVendors::cancelHandsBackNothing()
{
    QFETCH(QString, how);
    SchVendors *d = dialog();
    // An earlier choice must not leak into a cancelled opening.
    d->ParaOutVendorID = QStringLiteral("99");
    d->ParaOutVendorName = QStringLiteral("Stale");
    const int result = runModal(d, nullptr, [&] {
        d->grid()->setFocus();
        QTest::keyClick(d->grid(), Qt::Key_Down);
        if (how == QLatin1String("button"))
            QTest::mouseClick(d->closeButton(), Qt::LeftButton);
        else if (how == QLatin1String("close"))
            d->close();
        else
            QTest::keyClick(d->grid(), Qt::Key_Escape);
    });
    QCOMPARE(result, int(QDialog::Rejected));
    QVERIFY(!d->isVisible());
    QCOMPARE(d->ParaOutVendorID, QString());
    QCOMPARE(d->ParaOutVendorName, QString());
}

void tst_SchVendors::enterOnCancelButtonCancels()
{
    SchVendors *d = dialog();
    QVERIFY(openShown(d));
    d->closeButton()->setFocus();
    QTest::keyClick(d->closeButton(), Qt::Key_Return);
    QVERIFY(!d->isVisible());
    QCOMPARE(d->result(), int(QDialog::Rejected));
    QCOMPARE(d->ParaOutVendorID, QString());

    // And Enter on Select is that button's: it selects.
    QVERIFY(openShown(d));
    d->selectButton()->setFocus();
    QTest::keyClick(d->selectButton(), Qt::Key_Return);
    QVERIFY(!d->isVisible());
    QCOMPARE(d->ParaOutVendorID, QStringLiteral("3"));
}

void tst_SchVendors::modalOpeningClearsEarlierChoice()
{
    QWidget owner;
    owner.show();
    SchVendors *d = dialog();
    int result = runModal(d, &owner, [&] {
        QTest::keyClicks(d->filterBox(), QStringLiteral("D'S"));
        QTest::keyClick(d->filterBox(), Qt::Key_Return);
    });
    QCOMPARE(result, int(QDialog::Accepted));
    QCOMPARE(d->ParaOutVendorID, QStringLiteral("8"));
    QCOMPARE(d->ParaOutVendorName, QStringLiteral("D'Souza Agencies"));
    QCOMPARE(d->parentWidget(), nullptr);   // the owner does not keep the shared dialog

    QString idWhileOpen = QStringLiteral("unset");
    QString filterWhileOpen = QStringLiteral("unset");
    result = runModal(d, nullptr, [&] {
        idWhileOpen = d->ParaOutVendorID;
        filterWhileOpen = d->filterBox()->text();
        d->close();
    });
    QCOMPARE(idWhileOpen, QString());
    QCOMPARE(filterWhileOpen, QString());
    QCOMPARE(d->ParaOutVendorID, QString());
    QCOMPARE(d->ParaOutVendorName, QString());
    QCOMPARE(SharedState::current().window<SchVendors>(), d);
}

void tst_SchVendors::doubleClickSelects()
{
    SchVendors *d = dialog();
    QVERIFY(openShown(d));
    QTableView *grid = d->grid();
    const QRect cell = grid->visualRect(grid->model()->index(3, 1));
    QVERIFY(cell.isValid());
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, cell.center());
    QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, cell.center());
    QVERIFY(!d->isVisible());
    QCOMPARE(d->ParaOutVendorID, QStringLiteral("5"));
    QCOMPARE(d->ParaOutVendorName, QStringLiteral("Al-Noor Cotton"));
}

void tst_SchVendors::brokenConnectionShowsErrorAndStaysOpen()
{
    const QString file = QDir::temp().filePath(QStringLiteral("orvane-lookup-broken.sqlite"));
    QFile::remove(file);
    QSqlDatabase db = createTestDatabase(file);
    exec(db, QStringLiteral("INSERT INTO Parties (PartyId, PartyName, City, IsVendor) VALUES (1, 'Rafiq & Co', 'Lahore', 1)"));
    makeShared(db);

    MessageRecorder boxes;
    SchVendors *d = dialog();
    QVERIFY(openShown(d));
    QCOMPARE(d->grid()->model()->rowCount(), 1);
    d->ParaOutVendorID = QStringLiteral("1");

    db.close();
    QTest::keyClicks(d->filterBox(), QStringLiteral("R"));
    QCOMPARE(boxes.boxes.size(), 1);
    QCOMPARE(boxes.boxes.at(0).style, int(vbCritical));
    QVERIFY(!boxes.boxes.at(0).text.isEmpty());
    QVERIFY(d->isVisible());
    QCOMPARE(d->filterBox()->text(), QStringLiteral("R"));
    QCOMPARE(d->ParaOutVendorID, QStringLiteral("1"));   // a failed load clears nothing
    QCOMPARE(d->grid()->model()->rowCount(), 0);

    // Still usable: once the database answers again the next key lists the rows.
    QVERIFY(db.open());
    QTest::keyClicks(d->filterBox(), QStringLiteral("a"));
    QCOMPARE(boxes.boxes.size(), 1);
    QCOMPARE(gridColumnTexts(d, QStringLiteral("Name")), QStringList({"Rafiq & Co"}));
    QTest::keyClick(d->filterBox(), Qt::Key_Return);
    QCOMPARE(d->ParaOutVendorID, QStringLiteral("1"));
    db.close();
    QFile::remove(file);
}

void tst_SchVendors::nullNameFailsAfterCode()
{
    QSqlDatabase db = createTestDatabase();
    exec(db, QStringLiteral("DROP TABLE Parties"));
    exec(db, QStringLiteral("CREATE TABLE Parties (PartyId INTEGER, PartyName TEXT, City TEXT, IsVendor INTEGER)"));
    exec(db, QStringLiteral("INSERT INTO Parties VALUES (42, NULL, 'Lahore', 1)"));
    makeShared(db);

    MessageRecorder boxes;
    SchVendors *d = dialog();
    QVERIFY(openShown(d));
    QCOMPARE(d->grid()->model()->rowCount(), 1);
    QTest::keyClick(d->filterBox(), Qt::Key_Return);
    QCOMPARE(boxes.boxes.size(), 1);
    QCOMPARE(boxes.boxes.at(0).style, int(vbCritical));
    QVERIFY(d->isVisible());
    QCOMPARE(d->ParaOutVendorID, QStringLiteral("42"));
    QCOMPARE(d->ParaOutVendorName, QString());
}

QTEST_MAIN(tst_SchVendors)
#include "tst_SchVendors.moc"
