// Times the lookup dialogs on a large database: opening a dialog until its
// first rows are painted, and one type-ahead keystroke (the list narrowed or
// searched, plus the grid's repaint). Run with QT_QPA_PLATFORM=offscreen.
//
//   bench_lookup [--parties N] [--products N] [--keep]

#include "TestDatabase.h"

#include "Connection.h"
#include "LookupDialog.h"
#include "SchCompany.h"
#include "SchParty.h"
#include "SchProducts.h"
#include "SchVendors.h"
#include "SharedState.h"
#include "MessageBox.h"
#include "Recordset.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QRandomGenerator>
#include <QSqlQuery>
#include <QTableView>
#include <QTest>
#include <QThread>

#include <algorithm>
#include <functional>
#include <cstdio>
#include <ctime>
#include <vector>

using namespace orvane;

namespace {

const char *const firstNames[] = {
    "Muhammad", "Ahmed", "Ali", "Hassan", "Bilal", "Usman", "Imran", "Tariq", "Zahid", "Sajid",
    "Rashid", "Kamran", "Faisal", "Naveed", "Asif", "Shahid", "Waqas", "Adnan", "Irfan", "Nadeem",
    "Javed", "Khalid", "Sohail", "Arif", "Anwar", "Saleem", "Iqbal", "Rafiq", "Haroon", "Yasir",
    "Émile", "Chloé", "Seán", "Conor", "Noël", "José", "Zoë", "Björn", "Ayşe", "Renée"};
const char *const surnames[] = {
    "Qureshi", "Malik", "Chaudhry", "Sheikh", "Butt", "Rana", "Mirza", "Siddiqui", "Hashmi", "Baig",
    "Khan", "Awan", "Gill", "Bhatti", "Cheema", "Janjua", "Abbasi", "Ansari", "Gondal", "Warraich",
    "O'Brien", "D'Souza", "O'Neill", "McCarthy", "Café", "Lefèvre", "Müller", "Núñez", "Åström", "Dvořák"};
const char *const trades[] = {
    "Traders", "& Sons", "Enterprises", "Agencies", "Cotton Mills", "Rice Mills", "Seed Corporation",
    "Agro Services", "Fertilizer House", "Brothers", "& Co", "Commission Shop", "Ginners", "Oil Mills",
    "Flour Mills", "Dal Mills", "Sugar Traders", "Poultry Feeds", "Goods Transport", "Steel Works"};
const char *const cities[] = {
    "Lahore", "Karachi", "Multan", "Faisalabad", "Sialkot", "Okara", "Sahiwal", "Bahawalpur",
    "Rahim Yar Khan", "Gujranwala", "Sargodha", "Jhang", "Hyderabad", "Sukkur", "Quetta", "Peshawar",
    "Mardan", "Vehari", "Khanewal", "Dera Ghazi Khan"};
const char *const goods[] = {
    "Urea", "DAP", "Potash", "Wheat Seed", "Cotton Seed", "Maize Seed", "Rice Paddy", "Jute Bag",
    "Poly Bag", "Gypsum", "Zinc Sulphate", "Boron", "Glyphosate", "Imidacloprid", "Chlorpyrifos",
    "Sunflower Seed", "Canola Seed", "Mustard Oil", "Cattle Feed", "Molasses", "Sugar", "Gram",
    "Lentil", "Sesame", "Groundnut"};
const char *const packs[] = {"50kg", "25kg", "10kg", "5kg", "1kg", "500g", "1L", "5L", "20L", "Bulk"};
const char *const grades[] = {"", " Super", " Gold", " Premium", " Export", " Local", " Fine", " Extra"};
const char *const companyWords[] = {
    "Fauji", "Engro", "Kissan", "Jaffer", "Ittehad", "Pak Arab", "Four Brothers", "Tara", "Ali Akbar",
    "Evyol", "Auriga", "Sitara", "Crescent", "Nimra", "Zarkhez", "Hilal", "Suncrop", "Bayer Agro",
    "Dawood", "Ghani"};
const char *const companyKinds[] = {"Fertilizers", "Chemicals", "Seeds", "Agro", "Industries",
                                    "Crop Sciences", "Foods", "Feeds", "Packaging", "Sugar Mills"};

template<class T, size_t N>
QString pick(QRandomGenerator &random, T (&items)[N])
{
    return QString::fromUtf8(items[random.bounded(int(N))]);
}

void fill(QSqlDatabase db, int partyCount, int productCount)
{
    QRandomGenerator random(20261206);
    test::exec(db, QStringLiteral("BEGIN"));
    QSqlQuery q(db);
    q.prepare(QStringLiteral("INSERT INTO Companies (CompanyId, CompanyName) VALUES (?, ?)"));
    int companies = 0;
    for (const char *word : companyWords) {
        for (const char *kind : companyKinds) {
            q.addBindValue(++companies);
            q.addBindValue(QString::fromUtf8(word) + QLatin1Char(' ') + QString::fromUtf8(kind));
            q.exec();
        }
    }
    q.prepare(QStringLiteral("INSERT INTO Parties (PartyId, PartyName, City, Phone, IsVendor, "
                             "IsCustomer, IsBroker) VALUES (?, ?, ?, ?, ?, ?, ?)"));
    for (int id = 1; id <= partyCount; ++id) {
        const int kind = random.bounded(10);   // 6 in 10 vendors, the rest customers or brokers
        q.addBindValue(id);
        q.addBindValue(pick(random, firstNames) + QLatin1Char(' ') + pick(random, surnames)
                       + QLatin1Char(' ') + pick(random, trades));
        q.addBindValue(pick(random, cities));
        q.addBindValue(QStringLiteral("03%1").arg(random.bounded(100000000, 999999999)));
        q.addBindValue(kind < 6 ? 1 : 0);
        q.addBindValue(kind >= 6 && kind < 9 ? 1 : 0);
        q.addBindValue(kind == 9 ? 1 : 0);
        q.exec();
    }
    q.prepare(QStringLiteral("INSERT INTO Products (ProductId, ProductName, CompanyId, IsCrop, "
                             "IsBardana, IsBroker) VALUES (?, ?, ?, ?, ?, ?)"));
    for (int id = 1; id <= productCount; ++id) {
        q.addBindValue(id);
        q.addBindValue(pick(random, goods) + pick(random, grades) + QLatin1Char(' ')
                       + pick(random, packs) + QStringLiteral(" #%1").arg(id));
        q.addBindValue(1 + random.bounded(companies));
        q.addBindValue(random.bounded(10) == 0 ? 1 : 0);
        q.addBindValue(random.bounded(20) == 0 ? 1 : 0);
        q.addBindValue(random.bounded(3) == 0 ? QVariant() : QVariant(random.bounded(30) == 0 ? 1 : 0));
        q.exec();
    }
    test::exec(db, QStringLiteral("COMMIT"));
}

/// Records when the grid has painted, so a timing ends with the rows on screen.
class PaintWatch : public QObject
{
public:
    explicit PaintWatch(QWidget *viewport) : m_viewport(viewport) { viewport->installEventFilter(this); }
    void arm() { m_painted = false; }
    bool painted() const { return m_painted; }
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched == m_viewport && event->type() == QEvent::Paint)
            m_painted = true;
        return false;
    }

private:
    QWidget *m_viewport;
    bool m_painted = false;
};

/// Runs pending events until the grid has painted (or 2 s have passed).
void untilPainted(const PaintWatch &watch)
{
    QElapsedTimer limit;
    limit.start();
    while (!watch.painted() && limit.elapsed() < 2000)
        QCoreApplication::processEvents();
}

/// Wall-clock and this thread's CPU time: on a shared machine the wall
/// clock also counts the time other processes held the CPU.
class Stopwatch
{
public:
    void start()
    {
        m_wall.start();
        m_cpu = cpuNow();
    }
    qint64 wallNs() const { return m_wall.nsecsElapsed(); }
    qint64 cpuNs() const { return cpuNow() - m_cpu; }

private:
    static qint64 cpuNow()
    {
        timespec t{};
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
        return qint64(t.tv_sec) * 1000000000 + t.tv_nsec;
    }
    QElapsedTimer m_wall;
    qint64 m_cpu = 0;
};

struct Series
{
    std::vector<double> ms;
    double median() const
    {
        std::vector<double> s = ms;
        std::sort(s.begin(), s.end());
        return s.empty() ? 0 : s[s.size() / 2];
    }
    double max() const { return ms.empty() ? 0 : *std::max_element(ms.begin(), ms.end()); }
};

struct Figures
{
    Series wall;
    Series cpu;
    void add(const Stopwatch &watch)
    {
        wall.ms.push_back(watch.wallNs() / 1e6);
        cpu.ms.push_back(watch.cpuNs() / 1e6);
    }
};

/// Within limits when the median and the worst case are; both on the wall clock.
bool report(const char *what, const Figures &f, double medianLimit, double maxLimit)
{
    const bool wallOk = f.wall.median() <= medianLimit && f.wall.max() <= maxLimit;
    const bool cpuOk = f.cpu.median() <= medianLimit && f.cpu.max() <= maxLimit;
    std::printf("  %-28s wall median %7.2f max %7.2f %s | cpu median %7.2f max %7.2f %s"
                "  (ms, n=%zu, limits %.0f / %.0f)\n",
                what, f.wall.median(), f.wall.max(), wallOk ? "ok  " : "OVER", f.cpu.median(),
                f.cpu.max(), cpuOk ? "ok  " : "OVER", f.wall.ms.size(), medianLimit, maxLimit);
    return wallOk;
}

template<class Dialog>
bool benchDialog(const char *name, const QString &keys, int openings)
{
    Dialog *dialog = SharedState::current().window<Dialog>();
    PaintWatch watch(dialog->grid()->viewport());
    Stopwatch timer;

    Figures open;
    int rows = 0;
    for (int i = 0; i < openings; ++i) {
        watch.arm();
        timer.start();
        dialog->show();   // Load: query, bind, first row current
        untilPainted(watch);
        open.add(timer);
        rows = dialog->grid()->model()->rowCount();
        if (i + 1 < openings)
            dialog->hide();
    }

    Figures typing;
    dialog->grid()->setFocus();
    for (int round = 0; round < 3; ++round) {
        for (const QChar c : keys) {
            const Qt::Key key = c == QLatin1Char('<') ? Qt::Key_Backspace : Qt::Key(c.unicode());
            watch.arm();
            timer.start();
            QTest::keyClick(dialog->grid(), key);
            untilPainted(watch);
            typing.add(timer);
        }
        while (!dialog->filterBox()->text().isEmpty())
            QTest::keyClick(dialog->grid(), Qt::Key_Backspace);
    }
    dialog->hide();

    std::printf("%s (%d rows listed when opened)\n", name, rows);
    bool ok = report("open to first rows painted", open, 150, 150);
    ok = report("type-ahead keystroke", typing, 30, 50) && ok;
    return ok;
}

/// The data layer's share, without a dialog: reading a list as a dialog's
/// Load does, and narrowing a list already read as each keystroke does.
void benchDataLayer(const char *what, const QString &sql,
                    const std::function<QString(const QString &)> &criteria, const QStringList &filters)
{
    const std::shared_ptr<Connection> connection = SharedState::current().SharedConnection;
    Figures reading, narrowing;
    int rows = 0;
    for (int round = 0; round < 3; ++round) {
        Recordset list;
        Stopwatch timer;
        timer.start();
        list.Open(sql, connection);
        reading.add(timer);
        rows = list.RecordCount();
        for (const QString &filter : filters) {
            timer.start();
            list.setFilter(criteria(filter));
            narrowing.add(timer);
        }
    }
    std::printf("  %-28s wall median %7.2f max %7.2f      | cpu median %7.2f max %7.2f"
                "       (ms, n=%zu, %d rows)\n",
                qPrintable(QStringLiteral("%1, read").arg(QLatin1String(what))), reading.wall.median(),
                reading.wall.max(), reading.cpu.median(), reading.cpu.max(), reading.wall.ms.size(), rows);
    std::printf("  %-28s wall median %7.2f max %7.2f      | cpu median %7.2f max %7.2f"
                "       (ms, n=%zu)\n",
                qPrintable(QStringLiteral("%1, narrowed").arg(QLatin1String(what))), narrowing.wall.median(),
                narrowing.wall.max(), narrowing.cpu.median(), narrowing.cpu.max(), narrowing.wall.ms.size());
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    int parties = 20000;
    int products = 5000;
    bool keep = false;
    const QStringList args = app.arguments();
    for (int i = 1; i < args.size(); ++i) {
        if (args.at(i) == QLatin1String("--parties") && i + 1 < args.size())
            parties = args.at(++i).toInt();
        else if (args.at(i) == QLatin1String("--products") && i + 1 < args.size())
            products = args.at(++i).toInt();
        else if (args.at(i) == QLatin1String("--keep"))
            keep = true;
    }

    // Errors would otherwise wait on a box nobody can click.
    bool failed = false;
    setMessageBoxHandler([&failed](const QString &text, int, const QString &title) {
        std::fprintf(stderr, "error box: %s: %s\n", qPrintable(title), qPrintable(text));
        failed = true;
        return 1;
    });

    const QString file = QDir::temp().filePath(QStringLiteral("orvane-bench-lookup.sqlite"));
    QFile::remove(file);
    QElapsedTimer timer;
    timer.start();
    QSqlDatabase db = test::createTestDatabase(file, QStringLiteral("bench-lookup"));
    fill(db, parties, products);
    // Figures taken on a busy machine are not comparable; say how busy it was.
    QFile loadavg(QStringLiteral("/proc/loadavg"));
    if (loadavg.open(QIODevice::ReadOnly))
        std::printf("load average %s on %d cores\n", loadavg.readLine().trimmed().constData(),
                    QThread::idealThreadCount());
    std::printf("database %s: %d parties, %d products, 200 companies (made in %lld ms)\n",
                qPrintable(file), parties, products, timer.elapsed());
    SharedState::current().SharedConnection = Connection::create(db);

    // Keys typed in the grid; '<' is Backspace.
    bool ok = benchDialog<SchVendors>("SchVendors", QStringLiteral("AL<<KH<<M12<<<S "), 5);
    ok = benchDialog<SchParty>("SchParty", QStringLiteral("AL<<KH<<M12<<<S "), 5) && ok;
    ok = benchDialog<SchProducts>("SchProducts", QStringLiteral("UR<<SE<<5K<<P"), 5) && ok;
    ok = benchDialog<SchCompany>("SchCompany", QStringLiteral("CR<<FAU<<<Z"), 5) && ok;

    std::printf("Recordset alone (data layer, no dialog)\n");
    const QStringList filters = {QStringLiteral("A"), QStringLiteral("AL"), QStringLiteral("KH"),
                                 QString::fromUtf8("zo\u00eb"), QStringLiteral("CAFE")};
    benchDataLayer("vendors", SchVendors::listSql(), &SchVendors::filterSql, filters);
    benchDataLayer("parties", SchParty::listSql(), &SchParty::filterSql, filters);
    benchDataLayer("products", SchProducts::listSql(false, false, false),
                   [](const QString &f) { return SchProducts::filterSql(f, false); }, filters);

    setMessageBoxHandler({});
    if (!keep)
        QFile::remove(file);
    std::printf("%s\n", ok && !failed ? "all within limits" : "SOME FIGURES OVER THE LIMITS");
    return ok && !failed ? 0 : 1;
}
