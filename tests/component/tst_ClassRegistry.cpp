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
    void initTestCase();
    void defaultLocationInTheUsersConfiguration();
    void roundTrip();
    void otherRegistrationsSurvive();
    void unwritableRegistryFails();

private:
    template<class F>
    F resolve(const char *name)
    {
        return reinterpret_cast<F>(m_library.resolve(name));
    }

    QTemporaryDir m_dir;
    QString m_registry;
    QLibrary m_library;
};

void tst_ClassRegistry::initTestCase()
{
    QVERIFY(m_dir.isValid());
    m_registry = m_dir.filePath(QStringLiteral("registry/ClassRegistry.ini"));
    qputenv("ORVANE_REGISTRY_FILE", m_registry.toLocal8Bit());
    m_library.setFileName(QStringLiteral(ORVANE_LIBRARY));
    QVERIFY2(m_library.load(), qPrintable(m_library.errorString()));
}

void tst_ClassRegistry::defaultLocationInTheUsersConfiguration()
{
    qunsetenv("ORVANE_REGISTRY_FILE");
    QStandardPaths::setTestModeEnabled(true);
    const QString file = ClassRegistry::settingsFile();
    QStandardPaths::setTestModeEnabled(false);
    qputenv("ORVANE_REGISTRY_FILE", m_registry.toLocal8Bit());
    QVERIFY2(file.endsWith(QLatin1String("/Orvane/ClassRegistry.ini")), qPrintable(file));
    QVERIFY2(file.contains(QLatin1String("qttest")), qPrintable(file));
    QCOMPARE(ClassRegistry::settingsFile(), m_registry);
}

void tst_ClassRegistry::roundTrip()
{
    auto registerServer = resolve<DllRegisterServerFunction>("DllRegisterServer");
    auto unregisterServer = resolve<DllUnregisterServerFunction>("DllUnregisterServer");
    auto canUnloadNow = resolve<DllCanUnloadNowFunction>("DllCanUnloadNow");
    QVERIFY(registerServer && unregisterServer && canUnloadNow && resolve<DllGetClassObjectFunction>("DllGetClassObject"));

    QVERIFY(ClassRegistry::libraryPath(QLatin1String(ReportsProgId)).isEmpty());
    QString error;
    QVERIFY(!ClassRegistry::getClassObject(QLatin1String(ReportsProgId), &error));
    QCOMPARE(error, QStringLiteral("Class Orvane.Reports is not registered."));

    QVERIFY(registerServer());
    QVERIFY(QFile::exists(m_registry));
    const QString path = ClassRegistry::libraryPath(QLatin1String(ReportsProgId));
    QVERIFY2(QFileInfo(path).isAbsolute(), qPrintable(path));
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
    QVERIFY(ClassRegistry::libraryPath(QLatin1String(ReportsProgId)).isEmpty());
    QVERIFY(!ClassRegistry::createReports(&error));
    QCOMPARE(error, QStringLiteral("Class Orvane.Reports is not registered."));
    // Unregistering twice is no failure.
    QVERIFY(unregisterServer());
}

void tst_ClassRegistry::otherRegistrationsSurvive()
{
    QVERIFY(ClassRegistry::registerClass(QStringLiteral("Host.Ledger"), QStringLiteral("Ledger"),
                                         QStringLiteral("/opt/host/libledger.so")));
    QVERIFY(resolve<DllRegisterServerFunction>("DllRegisterServer")());
    QVERIFY(resolve<DllUnregisterServerFunction>("DllUnregisterServer")());
    QCOMPARE(ClassRegistry::libraryPath(QStringLiteral("Host.Ledger")), QStringLiteral("/opt/host/libledger.so"));

    // A registered library that is gone is reported, not crashed on.
    QString error;
    QVERIFY(!ClassRegistry::getClassObject(QStringLiteral("Host.Ledger"), &error));
    QVERIFY(!error.isEmpty());
    QVERIFY(ClassRegistry::unregisterClass(QStringLiteral("Host.Ledger")));
}

void tst_ClassRegistry::unwritableRegistryFails()
{
    // A folder where the file should be: the registration cannot be written.
    const QString blocked = m_dir.filePath(QStringLiteral("blocked.ini"));
    QVERIFY(QDir().mkpath(blocked));
    qputenv("ORVANE_REGISTRY_FILE", blocked.toLocal8Bit());
    const bool registered = resolve<DllRegisterServerFunction>("DllRegisterServer")();
    qputenv("ORVANE_REGISTRY_FILE", m_registry.toLocal8Bit());
    QVERIFY(!registered);
}

QTEST_MAIN(tst_ClassRegistry)
#include "tst_ClassRegistry.moc"
