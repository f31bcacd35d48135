// orvane-register run as a process against a temporary per-user and
// system-wide registry: what it writes to each scope, what it refuses and
// the exact words and exit status of each outcome.

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

#include <grp.h>
#include <unistd.h>

namespace {

const QString Component = QStringLiteral(ORVANE_LIBRARY);   // this build's library (SONAME link)
const QString Foreign = QStringLiteral(QT_CORE_LIBRARY);    // a library without the exports
const QString Usage = QStringLiteral(
    "usage: orvane-register [--user|--system] [--unregister] [--force] [LIBRARY] (--help tells more)\n");

QString entryOf(const QString &file)
{
    return QSettings(file, QSettings::IniFormat).value(QStringLiteral("Orvane.Reports/Library")).toString();
}

void writeEntry(const QString &file, const QString &library)
{
    if (library.isEmpty())
        return;
    QDir().mkpath(QFileInfo(file).absolutePath());
    QSettings settings(file, QSettings::IniFormat);
    settings.setValue(QStringLiteral("Orvane.Reports/Class"), QStringLiteral("Reports"));
    settings.setValue(QStringLiteral("Orvane.Reports/Library"), library);
}

} // namespace

class tst_OrvaneRegister : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_userFile;
    QString m_systemFile;
    QString m_missing;

    QString expand(QString text) const
    {
        return text.replace(QLatin1String("{lib}"), Component)
            .replace(QLatin1String("{qtcore}"), Foreign)
            .replace(QLatin1String("{missing}"), m_missing)
            .replace(QLatin1String("{user}"), m_userFile)
            .replace(QLatin1String("{system}"), m_systemFile);
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        // The unprivileged run of the permission case must reach the directories.
        QVERIFY(QFile::setPermissions(m_dir.path(), QFile::permissions(m_dir.path()) | QFile::ExeOther));
        m_userFile = m_dir.filePath(QStringLiteral("home/Orvane/ClassRegistry.ini"));
        m_systemFile = m_dir.filePath(QStringLiteral("xdg/Orvane/ClassRegistry.ini"));
        m_missing = m_dir.filePath(QStringLiteral("gone/liborvane.so.0.1"));
    }

    void run_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("userBefore");
        QTest::addColumn<QString>("systemBefore");
        QTest::addColumn<bool>("systemReadOnly");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("output"); // stdout on success, stderr otherwise
        QTest::addColumn<QString>("userAfter");
        QTest::addColumn<QString>("systemAfter");

        const QString registeredUser = QStringLiteral("Registered Orvane.Reports for this user: {lib} ({user}).\n");
        const QString registeredSystem = QStringLiteral("Registered Orvane.Reports for all users: {lib} ({system}).\n");
        const QString l = QStringLiteral("{lib}");
        const QString none;

        QTest::newRow("no argument: the library built with the tool") << QStringList{} << none << none << false
            << 0 << registeredUser << l << none;
        QTest::newRow("register for all users") << QStringList{"--system", l} << none << none << false
            << 0 << registeredSystem << none << l;
        QTest::newRow("re-register rewrites the same entry") << QStringList{"--user", l} << l << none << false
            << 0 << registeredUser << l << none;
        QTest::newRow("an entry whose library is gone is replaced") << QStringList{l} << "{missing}" << none << false
            << 0 << registeredUser + "It replaces {missing}.\n" << l << none;
        QTest::newRow("system entry under a user entry of another library")
            << QStringList{"--system", l} << "{qtcore}" << none << false << 0
            << registeredSystem + "For this user the per-user entry {qtcore} ({user}) still comes first.\n"
            << "{qtcore}" << l;
        QTest::newRow("another library's entry is refused") << QStringList{l} << "{qtcore}" << none << false
            << 4
            << "orvane-register: Orvane.Reports is registered for this user to {qtcore}, not to {lib} ({user}).\n"
               "orvane-register: Run again with --force to replace that entry.\n"
            << "{qtcore}" << none;
        QTest::newRow("another library's entry replaced with --force") << QStringList{"--force", l} << "{qtcore}"
            << none << false << 0 << registeredUser + "It replaces {qtcore}.\n" << l << none;
        QTest::newRow("unregister leaves the other scope") << QStringList{"--unregister", l} << l << l << false
            << 0 << "Unregistered Orvane.Reports for this user ({user}).\n" << none << l;
        QTest::newRow("unregister when not registered") << QStringList{"--system", "--unregister", l} << l << none
            << false << 0 << "Orvane.Reports is not registered for all users ({system}): nothing to remove.\n"
            << l << none;
        QTest::newRow("unregister another library's entry is refused")
            << QStringList{"--system", "--unregister", l} << none << "{qtcore}" << false << 4
            << "orvane-register: Orvane.Reports is registered for all users to {qtcore}, not to {lib} ({system}).\n"
               "orvane-register: Run again with --force to remove that entry.\n"
            << none << "{qtcore}";
        QTest::newRow("missing library") << QStringList{"{missing}"} << none << none << false
            << 1 << "orvane-register: {missing}: no such file.\n" << none << none;
        QTest::newRow("library without the exports") << QStringList{"--system", "{qtcore}"} << none << none << false
            << 1 << "orvane-register: {qtcore} is not a component library: it does not export DllRegisterServer.\n"
            << none << none;
        QTest::newRow("no permission for all users") << QStringList{"--system", l} << none << none << true
            << 3
            << "orvane-register: Cannot write {system}: permission denied.\n"
               "orvane-register: Registering for all users needs root: run it with sudo.\n"
            << none << none;
        QTest::newRow("both scopes at once") << QStringList{"--user", "--system", l} << none << none << false
            << 2 << "orvane-register: --user and --system exclude each other.\n" + Usage << none << none;
    }

    void run()
    {
        QFETCH(QStringList, args);
        QFETCH(QString, userBefore);
        QFETCH(QString, systemBefore);
        QFETCH(bool, systemReadOnly);
        QFETCH(int, status);
        QFETCH(QString, output);
        QFETCH(QString, userAfter);
        QFETCH(QString, systemAfter);

        QFile::remove(m_userFile);
        QFile::remove(m_systemFile);
        writeEntry(m_userFile, expand(userBefore));
        writeEntry(m_systemFile, expand(systemBefore));
        const QString systemDir = m_dir.filePath(QStringLiteral("xdg"));
        QDir().mkpath(systemDir);
        const auto writable = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadOther | QFile::ExeOther;
        QVERIFY(QFile::setPermissions(systemDir, systemReadOnly ? writable & ~QFile::WriteOwner : writable));

        QProcess tool;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove(QStringLiteral("ORVANE_REGISTRY_FILE"));
        env.remove(QStringLiteral("ORVANE_REGISTRY_SCOPE"));
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), m_dir.filePath(QStringLiteral("home")));
        env.insert(QStringLiteral("XDG_CONFIG_DIRS"), systemDir);
        tool.setProcessEnvironment(env);
        // Root writes anywhere: the permission case then runs as nobody.
        if (systemReadOnly && geteuid() == 0) {
            tool.setChildProcessModifier([] {
                if (setgroups(0, nullptr) != 0 || setgid(65534) != 0 || setuid(65534) != 0)
                    _exit(99);
            });
        }
        QStringList expandedArgs;
        for (const QString &arg : std::as_const(args))
            expandedArgs.append(expand(arg));
        tool.start(QStringLiteral(ORVANE_REGISTER_BINARY), expandedArgs);
        const bool finished = tool.waitForFinished(30000);
        QFile::setPermissions(systemDir, writable);
        // A build under a home only root may enter cannot be run as nobody.
        if (systemReadOnly && geteuid() == 0 && (tool.error() == QProcess::FailedToStart || tool.exitCode() == 99))
            QSKIP("the build folder is closed to the user 'nobody'");
        QVERIFY(finished);

        const QString out = QString::fromUtf8(tool.readAllStandardOutput());
        const QString err = QString::fromUtf8(tool.readAllStandardError());
        QCOMPARE(tool.exitCode(), status);
        QCOMPARE(status == 0 ? out : err, expand(output));
        QCOMPARE(status == 0 ? err : out, QString());
        QCOMPARE(entryOf(m_userFile), expand(userAfter));
        QCOMPARE(entryOf(m_systemFile), expand(systemAfter));
    }
};

QTEST_GUILESS_MAIN(tst_OrvaneRegister)
#include "tst_OrvaneRegister.moc"
