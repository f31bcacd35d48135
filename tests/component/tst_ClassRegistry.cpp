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
    void roundTrip()
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

    void lookupOrder_data()
    {
        QTest::addColumn<QString>("user");
        QTest::addColumn<QString>("sessionDir"); // the first of $XDG_CONFIG_DIRS
        QTest::addColumn<QString>("baseDir");    // the last, where system-wide registration writes
        QTest::addColumn<QString>("overridden"); // $ORVANE_REGISTRY_FILE
        QTest::addColumn<QString>("found");

        QTest::newRow("nothing registered") << "" << "" << "" << "" << "";
        QTest::newRow("system-wide only") << "" << "" << "/b.so" << "" << "/b.so";
        QTest::newRow("per-user entry comes first") << "/u.so" << "/s.so" << "/b.so" << "" << "/u.so";
        QTest::newRow("earlier config dir comes first") << "" << "/s.so" << "/b.so" << "" << "/s.so";
        QTest::newRow("override file stands for both scopes") << "/u.so" << "" << "/b.so" << "/o.so" << "/o.so";
        QTest::newRow("empty override file finds nothing") << "/u.so" << "" << "/b.so" << "-" << "";
    }

    void lookupOrder()
    {
        QFETCH(QString, user);
        QFETCH(QString, sessionDir);
        QFETCH(QString, baseDir);
        QFETCH(QString, overridden);
        QFETCH(QString, found);

        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const auto write = [&dir](const QString &subdir, const QString &library) {
            const QString file = dir.filePath(subdir + QLatin1String("/Orvane/ClassRegistry.ini"));
            if (!library.isEmpty())
                QSettings(file, QSettings::IniFormat).setValue(QStringLiteral("Orvane.Reports/Library"), library);
            return file;
        };
        write(QStringLiteral("home"), user);
        write(QStringLiteral("session"), sessionDir);
        write(QStringLiteral("base"), baseDir);
        const QString overrideFile = write(QStringLiteral("override"), overridden == QLatin1String("-") ? QString() : overridden);
        qputenv("XDG_CONFIG_HOME", dir.filePath(QStringLiteral("home")).toLocal8Bit());
        qputenv("XDG_CONFIG_DIRS", (dir.filePath(QStringLiteral("session")) + QLatin1Char(':')
                                    + dir.filePath(QStringLiteral("base"))).toLocal8Bit());
        if (overridden.isEmpty())
            qunsetenv("ORVANE_REGISTRY_FILE");
        else
            qputenv("ORVANE_REGISTRY_FILE", overrideFile.toLocal8Bit());

        QCOMPARE(ClassRegistry::libraryPath(QLatin1String(ReportsProgId)), found);
    }

    void systemFile_data()
    {
        QTest::addColumn<QByteArray>("configDirs");
        QTest::addColumn<QString>("file");

        QTest::newRow("unset") << QByteArray() << "/etc/xdg/Orvane/ClassRegistry.ini";
        QTest::newRow("session dirs before the base") << QByteArray("/etc/xdg/xdg-desk:/etc/xdg/")
                                                      << "/etc/xdg/Orvane/ClassRegistry.ini";
        QTest::newRow("relative entries ignored") << QByteArray("/opt/conf:conf:") << "/opt/conf/Orvane/ClassRegistry.ini";
    }

    // System-wide registration writes where every session reads.
    void systemFile()
    {
        QFETCH(QByteArray, configDirs);
        QFETCH(QString, file);
        qunsetenv("ORVANE_REGISTRY_FILE");
        if (configDirs.isNull())
            qunsetenv("XDG_CONFIG_DIRS");
        else
            qputenv("XDG_CONFIG_DIRS", configDirs);
        QCOMPARE(ClassRegistry::settingsFile(RegistryScope::System), file);
    }
};

QTEST_MAIN(tst_ClassRegistry)
#include "tst_ClassRegistry.moc"
