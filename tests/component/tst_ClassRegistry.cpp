// A host that does not link the component: it registers the library, finds
// it again by ProgID, creates Reports through the class factory and drives it
// through the interface header alone.

#include "ClassRegistry.h"
#include "ReportsInterface.h"

#include <QLibrary>
#include <QSqlDatabase>
#include <QTemporaryDir>
#include <QtTest>

using namespace orvane;

class tst_ClassRegistry : public QObject
{
    Q_OBJECT

private slots:
    void roundTrip();
};

void tst_ClassRegistry::roundTrip()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    qputenv("ORVANE_REGISTRY_FILE", dir.filePath(QStringLiteral("ClassRegistry.ini")).toLocal8Bit());
    QLibrary library(QStringLiteral(ORVANE_LIBRARY));
    QVERIFY2(library.load(), qPrintable(library.errorString()));
    auto registerServer = reinterpret_cast<DllRegisterServerFunction>(library.resolve("DllRegisterServer"));
    auto unregisterServer = reinterpret_cast<DllUnregisterServerFunction>(library.resolve("DllUnregisterServer"));
    auto canUnloadNow = reinterpret_cast<DllCanUnloadNowFunction>(library.resolve("DllCanUnloadNow"));
    QVERIFY(registerServer && unregisterServer && canUnloadNow);

    const QString notRegistered = QStringLiteral("Class Orvane.Reports is not registered.");
    QString error;
    QVERIFY(!ClassRegistry::createReports(&error));
    QCOMPARE(error, notRegistered);
    // Another host class registered beside ours must survive our unregistering.
    const QString ledger = QStringLiteral("/opt/host/libledger.so");
    QVERIFY(ClassRegistry::registerClass(QStringLiteral("Host.Ledger"), QStringLiteral("Ledger"), ledger));

    QVERIFY(registerServer());
    const QString path = ClassRegistry::libraryPath(QLatin1String(ReportsProgId));
    QCOMPARE(QFileInfo(path).canonicalFilePath(), QFileInfo(QStringLiteral(ORVANE_LIBRARY)).canonicalFilePath());
    std::unique_ptr<_Reports> reports = ClassRegistry::createReports(&error);
    QVERIFY2(reports, qPrintable(error));
    QVERIFY(!canUnloadNow());

    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("host"));
    db.setDatabaseName(QStringLiteral(":memory:"));
    QVERIFY(db.open());
    reports->InitializeClass(db);
    reports->CompanyWisePurchase();
    reports.reset();
    QVERIFY(canUnloadNow());

    QVERIFY(unregisterServer());
    QVERIFY(!ClassRegistry::createReports(&error));
    QCOMPARE(error, notRegistered);
    QCOMPARE(ClassRegistry::libraryPath(QStringLiteral("Host.Ledger")), ledger);
}

QTEST_MAIN(tst_ClassRegistry)
#include "tst_ClassRegistry.moc"
