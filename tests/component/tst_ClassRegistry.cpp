// A host that does not link the component: it finds the library by ProgID and
// creates Reports through the class factory, with the interface header alone.

#include "ClassRegistry.h"
#include "ReportsInterface.h"

#include <QApplication>
#include <QTemporaryDir>
#include <QtTest>

using namespace orvane;

class tst_ClassRegistry : public QObject
{
    Q_OBJECT

private slots:
    // Registration by the library itself runs in the orvane-register suite; here
    // the host's side: the lookup, the factory and an entry of another class.
    void roundTrip()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        qputenv("ORVANE_REGISTRY_FILE", dir.filePath(QStringLiteral("ClassRegistry.ini")).toLocal8Bit());
        const QString progId = QLatin1String(ReportsProgId);
        const QString notRegistered = QStringLiteral("Class Orvane.Reports is not registered.");
        QString error;
        QVERIFY(!ClassRegistry::createReports(&error));
        QCOMPARE(error, notRegistered);
        // Another host class registered beside ours must survive our unregistering.
        const QString ledger = QStringLiteral("/opt/host/libledger.so");
        QVERIFY(ClassRegistry::registerClass(QStringLiteral("Host.Ledger"), QStringLiteral("Ledger"), ledger));

        QVERIFY(ClassRegistry::registerClass(progId, QStringLiteral("Reports"), QStringLiteral(ORVANE_LIBRARY)));
        std::unique_ptr<_Reports> reports = ClassRegistry::createReports(&error);
        QVERIFY2(reports, qPrintable(error));
        // The company-wise report is an empty method: no window, not even a hidden one.
        const auto topLevelBefore = QApplication::topLevelWidgets().size();
        reports->CompanyWisePurchase();
        QCoreApplication::processEvents();
        QCOMPARE(QApplication::topLevelWidgets().size(), topLevelBefore);
        reports.reset();

        QVERIFY(ClassRegistry::unregisterClass(progId));
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
        // A relative entry is ignored: the base directory stays the last absolute one.
        qputenv("XDG_CONFIG_DIRS", (dir.filePath(QStringLiteral("session")) + QLatin1Char(':')
                                    + dir.filePath(QStringLiteral("base/")) + QLatin1String(":conf:")).toLocal8Bit());
        if (overridden.isEmpty())
            qunsetenv("ORVANE_REGISTRY_FILE");
        else
            qputenv("ORVANE_REGISTRY_FILE", overrideFile.toLocal8Bit());

        QCOMPARE(ClassRegistry::libraryPath(QLatin1String(ReportsProgId)), found);
        // System-wide registration writes under the base directory, where every session reads.
        QCOMPARE(ClassRegistry::settingsFile(RegistryScope::System),
                 overridden.isEmpty() ? write(QStringLiteral("base"), QString()) : overrideFile);
    }

    void systemFileByDefault()
    {
        qunsetenv("ORVANE_REGISTRY_FILE");
        qunsetenv("XDG_CONFIG_DIRS");
        QCOMPARE(ClassRegistry::settingsFile(RegistryScope::System), QStringLiteral("/etc/xdg/Orvane/ClassRegistry.ini"));
    }
};

QTEST_MAIN(tst_ClassRegistry)
#include "tst_ClassRegistry.moc"
