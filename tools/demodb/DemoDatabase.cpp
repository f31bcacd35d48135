#include "DemoDatabase.h"

#include "DemoRandom.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QRegularExpression>
#include <QSet>

#include <sqlite3.h>

#include <algorithm>
#include <stdexcept>
#include <vector>

static void initDemoResources()
{
    Q_INIT_RESOURCE(demodb);
}

namespace orvane::demo {

namespace {

// ---------------------------------------------------------------------------
// Vocabulary. The first parties are the names that break careless SQL and
// careless text handling; they are vendors so that they reach the reports.

const char *const specialParties[] = {
    "O'Brien Traders", "Café Ñandú", "Zoë's Mills", "Åsa Exports", "D'Souza & Sons",
};

const char *const surnames[] = {
    "Rehman", "Malik", "Qureshi", "Chaudhry", "Sheikh", "Butt", "Siddiqui", "Hashmi",
    "Ansari", "Farooqi", "Khan", "Mirza", "Baig", "Awan", "Gill", "Sandhu", "Bajwa",
    "Cheema", "Randhawa", "Virk", "Patel", "Mehta", "Shah", "Desai", "Kapoor",
    "Fernandes", "Pereira", "Gomes", "Almeida", "Costa", "Müller", "Schäfer", "Novak",
    "Kovács", "Lindqvist", "Nørgaard", "García", "Muñoz", "O'Connor", "MacLeod",
    "Okafor", "Mensah", "Haddad", "Nasser", "Yilmaz", "Öztürk", "Tanaka", "Nguyen",
    "Wong", "Lim", "Evans", "Hughes", "Brooks", "Carter", "Fischer", "Weber", "Rossi",
    "Bianchi", "Dubois", "Lefèvre",
};

const char *const partySuffixes[] = {
    "Traders", "& Sons", "Brothers", "Agencies", "Enterprises", "Trading Co.",
    "Agro Services", "Seed Corporation", "Commission Shop", "& Co.", "Corporation",
    "Industries", "Associates", "Mills", "Exports", "Supply House", "Farm Store",
    "Distributors", "Merchants", "Agri Centre",
};

// Most trade is local; a few parties abroad carry accented city names.
const char *const cities[] = {
    "Lahore", "Karachi", "Multan", "Faisalabad", "Hyderabad", "Sukkur", "Okara",
    "Sahiwal", "Rahim Yar Khan", "Bahawalpur", "Sialkot", "Gujranwala", "Peshawar",
    "Quetta", "Mirpur Khas", "D.G. Khan", "Vehari", "Khanewal", "Jhang", "Sargodha",
    "Montréal", "Zürich", "São Paulo", "Málaga", "Kraków", "Reykjavík", "Århus",
    "St. John's",
};
constexpr int localCities = 20;

const char *const streets[] = {
    "Grain Market", "Main Bazaar", "Circular Road", "Mandi Road", "G.T. Road",
    "Ghalla Mandi", "Railway Road", "Canal View", "Cotton Market", "Sabzi Mandi",
};

const char *const companyNames[] = {
    "Crescent Agro", "Green Valley Seeds", "Sunrise Fertilizers", "Evergreen Crop Care",
    "Golden Harvest Feeds", "Indus Agri Chemicals", "Blue River Pesticides",
    "Silver Oak Agro", "Harvest Moon Seeds", "Fatima's Fertilisers", "Noor Crop Sciences",
    "Al-Rehman Chemicals", "Kisan Feed Mills", "Delta Agro Industries", "Prime Bag Industries",
    "Star Jute Mills", "United Plastic Sacks", "Farmers' Cooperative Society",
    "Nature's Way Organics", "Agro Vet Pharma", "Sapphire Feeds", "Emerald Seeds",
    "Ruby Crop Protection", "Orient Agro", "Zenith Fertilizer", "Pioneer Agri Tech",
    "Apex Chemicals", "Summit Seeds", "Harmony Organics", "Valley Fresh Produce",
    "Riverbank Rice Mills", "Canal Side Cotton Ginners", "Mehran Sugar",
    "Chenab Flour Mills", "Ravi Oil Mills", "Sutlej Seeds", "Jhelum Agro",
    "Indus Basin Traders", "Five Rivers Agri", "Müller Saatgut", "Société Agricole Lefèvre",
};

enum UnitId { Kg = 1, Bag, Litre, Bottle, Packet, Maund, Ton, Each, Dozen, Carton };
const char *const unitNames[] = {
    "Kg", "Bag", "Litre", "Bottle", "Packet", "Maund", "Ton", "Each", "Dozen", "Carton",
};

enum class Kind { Fertilizer, Pesticide, Seed, Crop, Bardana, Feed };

struct ProductBase
{
    const char *name;
    Kind kind;
    int unit;
    int lowPrice;   // per unit, whole currency
    int highPrice;
};

const ProductBase productBases[] = {
    {"Urea", Kind::Fertilizer, Bag, 3800, 4600},
    {"DAP", Kind::Fertilizer, Bag, 9500, 12500},
    {"SOP", Kind::Fertilizer, Bag, 7000, 9000},
    {"MOP", Kind::Fertilizer, Bag, 5000, 6500},
    {"NP 18-18", Kind::Fertilizer, Bag, 6500, 8000},
    {"CAN", Kind::Fertilizer, Bag, 3000, 4000},
    {"SSP", Kind::Fertilizer, Bag, 1800, 2600},
    {"Zinc Sulphate", Kind::Fertilizer, Kg, 250, 450},
    {"Farmer's Choice DAP", Kind::Fertilizer, Bag, 9800, 12800},
    {"Nature's Gold Urea", Kind::Fertilizer, Bag, 3900, 4700},
    {"Imidacloprid 20 SL", Kind::Pesticide, Bottle, 450, 1400},
    {"Lambda-Cyhalothrin 2.5 EC", Kind::Pesticide, Bottle, 600, 1800},
    {"Glyphosate 41 SL", Kind::Pesticide, Litre, 900, 2200},
    {"Emamectin 1.9 EC", Kind::Pesticide, Bottle, 700, 2500},
    {"Chlorpyrifos 40 EC", Kind::Pesticide, Litre, 800, 2000},
    {"Acetamiprid 20 SP", Kind::Pesticide, Packet, 300, 900},
    {"Bifenthrin 10 EC", Kind::Pesticide, Bottle, 650, 1900},
    {"Mancozeb 80 WP", Kind::Pesticide, Kg, 700, 1300},
    {"Pendimethalin 33 EC", Kind::Pesticide, Litre, 1100, 2600},
    {"Crème Foliar Spray", Kind::Pesticide, Bottle, 500, 1500},
    {"Wheat Seed Galaxy", Kind::Seed, Bag, 5500, 7500},
    {"Cotton Seed FH-142", Kind::Seed, Kg, 350, 700},
    {"Maize Hybrid Seed", Kind::Seed, Kg, 900, 1600},
    {"Rice Seed Basmati 515", Kind::Seed, Kg, 250, 500},
    {"Canola Seed", Kind::Seed, Kg, 800, 1500},
    {"Sunflower Seed", Kind::Seed, Kg, 1200, 2400},
    {"Kisan's Pride Wheat Seed", Kind::Seed, Bag, 5600, 7600},
    {"Wheat", Kind::Crop, Maund, 3200, 4200},
    {"Paddy Basmati", Kind::Crop, Maund, 4500, 7000},
    {"Paddy IRRI-6", Kind::Crop, Maund, 2500, 3600},
    {"Cotton Phutti", Kind::Crop, Maund, 7000, 9500},
    {"Maize", Kind::Crop, Maund, 2000, 2900},
    {"Sugarcane", Kind::Crop, Ton, 8000, 12000},
    {"Mustard", Kind::Crop, Kg, 180, 260},
    {"Gram", Kind::Crop, Kg, 200, 320},
    {"Mung Bean", Kind::Crop, Kg, 250, 400},
    {"Jute Bag 100 Kg", Kind::Bardana, Each, 180, 260},
    {"PP Bag 50 Kg", Kind::Bardana, Each, 40, 75},
    {"Gunny Bag", Kind::Bardana, Dozen, 900, 1500},
    {"Laminated Bag 25 Kg", Kind::Bardana, Each, 35, 60},
    {"Cattle Feed", Kind::Feed, Bag, 2800, 3800},
    {"Poultry Feed Starter", Kind::Feed, Bag, 4200, 5600},
    {"Wanda Khal", Kind::Feed, Bag, 3000, 4100},
    {"Cotton Seed Cake", Kind::Feed, Bag, 2600, 3500},
};

QStringList variantsOf(Kind kind)
{
    switch (kind) {
    case Kind::Fertilizer: return {"50 Kg", "25 Kg", "Granular", "Coated"};
    case Kind::Pesticide: return {"100 ml", "250 ml", "500 ml", "1 Ltr", "5 Ltr"};
    case Kind::Seed: return {"1 Kg", "5 Kg", "10 Kg", "Certified", "Basic"};
    case Kind::Crop: return {"Grade A", "Grade B", "F.A.Q.", "Premium", "New Crop"};
    case Kind::Bardana: return {"Plain", "Printed", "Heavy", "Used"};
    case Kind::Feed: return {"40 Kg", "50 Kg", "Pellet", "Mash"};
    }
    return {};
}

const char *const purchaseNarrations[] = {
    "Goods received in good condition", "Rec'd via cargo, bilty attached",
    "Payment against delivery", "Farmer's lot, moisture 12%", "Rate as per contract",
    "Freight paid by vendor", "Bilty No. 4471", "Cash purchase at the mandi",
};

const char *const returnNarrations[] = {
    "Short weight", "Damaged bags", "Expired stock returned", "Quality not as per sample",
    "Excess supply", "Vendor's rate difference",
};

const char *const billPrefixes[] = {"INV-", "B-", "CM/", "SI-", ""};

// ---------------------------------------------------------------------------

struct Product
{
    int id = 0;
    Kind kind = Kind::Fertilizer;
    bool hasUnit = true;
    qint64 price = 0;   // cents
    double multiplier = 1;
};

struct Line
{
    int productId = 0;
    qint64 qty = 0;      // thousandths
    qint64 bonus = 0;    // thousandths
    qint64 price = 0;    // cents
    qint64 discRatio = 0;  // hundredths of a percent
    qint64 discValue = 0;  // cents per unit
    qint64 stRatio = 0;    // hundredths of a percent
    qint64 stValue = 0;    // cents per unit
    double multiplier = 1;
};

struct PendingReturn
{
    int purchaseId = 0;
    int vendorId = 0;
    QDate day;
    std::vector<Line> lines;
};

// Divides and rounds half away from zero.
qint64 roundedDivide(__int128 numerator, __int128 denominator)
{
    const bool negative = (numerator < 0) != (denominator < 0);
    if (numerator < 0)
        numerator = -numerator;
    if (denominator < 0)
        denominator = -denominator;
    const __int128 q = (numerator * 2 + denominator) / (denominator * 2);
    return qint64(negative ? -q : q);
}

// Line value in cents: Qty*Price - Qty*(Price*DiscRatio/100 + DiscValue), exactly,
// then rounded. Qty in thousandths, prices in cents, ratios in hundredths of a percent.
qint64 lineValue(const Line &l)
{
    const __int128 perUnit = __int128(l.price) * 10000 - __int128(l.price) * l.discRatio
        - __int128(l.discValue) * 10000;
    return roundedDivide(__int128(l.qty) * perUnit, 10000000);
}

qint64 lineSalesTax(const Line &l)
{
    const __int128 perUnit = __int128(l.price) * l.stRatio + __int128(l.stValue) * 10000;
    return roundedDivide(__int128(l.qty) * perUnit, 10000000);
}

double money(qint64 cents) { return double(cents) / 100.0; }
double quantity(qint64 thousandths) { return double(thousandths) / 1000.0; }
double ratio(qint64 hundredths) { return double(hundredths) / 100.0; }

QString isoDate(const QDate &day) { return day.toString(Qt::ISODate); }

QString moneyText(qint64 cents)
{
    return QLocale::c().toString(double(cents) / 100.0, 'f', 2);
}

// The generator talks to SQLite directly: at a million rows QtSql's driver
// layer added a third to the run time.
class SqliteFile
{
public:
    explicit SqliteFile(const QString &file)
    {
        const int rc = sqlite3_open_v2(file.toUtf8().constData(), &m_db,
                                       SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
        if (rc != SQLITE_OK) {
            const std::string message = m_db ? sqlite3_errmsg(m_db) : sqlite3_errstr(rc);
            sqlite3_close_v2(m_db);
            throw std::runtime_error(QStringLiteral("cannot open %1: ").arg(file).toStdString() + message);
        }
    }
    ~SqliteFile() { sqlite3_close_v2(m_db); }
    SqliteFile(const SqliteFile &) = delete;
    SqliteFile &operator=(const SqliteFile &) = delete;

    void run(const QString &sql)
    {
        char *error = nullptr;
        if (sqlite3_exec(m_db, sql.toUtf8().constData(), nullptr, nullptr, &error) != SQLITE_OK) {
            const std::string message = error ? error : sqlite3_errmsg(m_db);
            sqlite3_free(error);
            throw std::runtime_error(message);
        }
    }

    sqlite3 *handle() const { return m_db; }

private:
    sqlite3 *m_db = nullptr;
};

/// One prepared INSERT; values bound by 0-based position, as QSqlQuery does.
class Statement
{
public:
    Statement(SqliteFile &db, const char *sql) : m_db(db.handle())
    {
        if (sqlite3_prepare_v2(m_db, sql, -1, &m_statement, nullptr) != SQLITE_OK)
            throw std::runtime_error(sqlite3_errmsg(m_db));
    }
    ~Statement() { sqlite3_finalize(m_statement); }
    Statement(const Statement &) = delete;
    Statement &operator=(const Statement &) = delete;

    void bindValue(int position, const QVariant &value)
    {
        const int index = position + 1;
        int rc = SQLITE_OK;
        if (value.isNull()) {
            rc = sqlite3_bind_null(m_statement, index);
        } else {
            switch (value.typeId()) {
            case QMetaType::Int:
            case QMetaType::LongLong:
            case QMetaType::Bool:
                rc = sqlite3_bind_int64(m_statement, index, value.toLongLong());
                break;
            case QMetaType::Double:
                rc = sqlite3_bind_double(m_statement, index, value.toDouble());
                break;
            default: {
                const QByteArray text = value.toString().toUtf8();
                rc = sqlite3_bind_text(m_statement, index, text.constData(), int(text.size()), SQLITE_TRANSIENT);
                break;
            }
            }
        }
        if (rc != SQLITE_OK)
            throw std::runtime_error(sqlite3_errmsg(m_db));
    }

    void exec()
    {
        const int rc = sqlite3_step(m_statement);
        sqlite3_reset(m_statement);
        if (rc != SQLITE_DONE)
            throw std::runtime_error(sqlite3_errmsg(m_db));
    }

private:
    sqlite3 *m_db;
    sqlite3_stmt *m_statement = nullptr;
};

QStringList schemaStatements(const QString &script)
{
    QString withoutComments;
    for (const QString &line : script.split(QLatin1Char('\n'))) {
        if (!line.trimmed().startsWith(QLatin1String("--")))
            withoutComments += line + QLatin1Char('\n');
    }
    QStringList statements;
    for (const QString &s : withoutComments.split(QLatin1Char(';'))) {
        if (!s.trimmed().isEmpty())
            statements << s.trimmed();
    }
    return statements;
}

// ---------------------------------------------------------------------------

class Generator
{
public:
    Generator(SqliteFile &db, const DemoOptions &options, DemoSummary &summary)
        : m_db(db), m_options(options), m_summary(summary), m_random(options.seed)
    {
    }

    void run()
    {
        writeRegistry();
        writeCompanies();
        writeUnits();
        writeParties();
        writeProducts();
        writePurchases();
        writeReturns();
    }

private:
    void writeRegistry()
    {
        Statement project(m_db, "INSERT INTO Project_registry (registrykey, Value) VALUES (?, ?)");
        Statement registry(m_db, "INSERT INTO registry (registrykey, registryvalue) VALUES (?, ?)");
        const QList<QPair<QString, QString>> keys = {
            {"companyname", m_options.companyName},
            {"companyaddress", "Plot 14, Grain Market, Multan"},
            {"companyphone", "061-4512345"},
            {"currency", "Rs."},
        };
        for (const auto &key : keys) {
            project.bindValue(0, key.first);
            project.bindValue(1, key.second);
            project.exec();
            registry.bindValue(0, key.first);
            registry.bindValue(1, key.second);
            registry.exec();
        }
    }

    void writeCompanies()
    {
        Statement q(m_db, "INSERT INTO Companies (CompanyId, CompanyName) VALUES (?, ?)");
        const int count = qBound(1, m_options.companies, 99);
        constexpr int named = int(std::size(companyNames));
        for (int id = 1; id <= count; ++id) {
            q.bindValue(0, id);
            q.bindValue(1, id <= named ? QString::fromUtf8(companyNames[id - 1])
                                       : QStringLiteral("Agro Company %1").arg(id));
            q.exec();
        }
        m_summary.companies = count;
    }

    void writeUnits()
    {
        Statement q(m_db, "INSERT INTO Units (UnitID, UnitName) VALUES (?, ?)");
        for (int id = 1; id <= int(std::size(unitNames)); ++id) {
            q.bindValue(0, id);
            q.bindValue(1, QString::fromUtf8(unitNames[id - 1]));
            q.exec();
        }
        m_summary.units = int(std::size(unitNames));
    }

    QString partyName(int index, QSet<QString> &used)
    {
        if (index < int(std::size(specialParties)))
            return QString::fromUtf8(specialParties[index]);
        for (int attempt = 0; attempt < 20; ++attempt) {
            const QString surname = QString::fromUtf8(m_random.pick(surnames));
            QString name = surname + QLatin1Char(' ') + QString::fromUtf8(m_random.pick(partySuffixes));
            // Initials widen the pool once the plain names run short.
            if (used.size() > 600 || m_random.chance(0.2))
                name.prepend(QChar(char('A' + m_random.between(0, 25))) + QLatin1String(". "));
            if (!used.contains(name))
                return name;
        }
        return QStringLiteral("%1 Traders No. %2").arg(QString::fromUtf8(m_random.pick(surnames))).arg(index);
    }

    void writeParties()
    {
        Statement q(m_db,
            "INSERT INTO Parties (PartyId, PartyName, City, Address, Phone, IsVendor, IsCustomer, IsBroker)"
            " VALUES (?, ?, ?, ?, ?, ?, ?, ?)");
        const int count = qMax(int(std::size(specialParties)), m_options.parties);
        QSet<QString> used;
        for (int i = 0; i < count; ++i) {
            const int id = i + 1;
            const QString name = partyName(i, used);
            used.insert(name);
            bool vendor = false, customer = false, broker = false;
            if (i < int(std::size(specialParties))) {
                vendor = true;
                customer = (i == 1);
            } else {
                const double r = m_random.unit();
                vendor = r < 0.52;                 // vendors, some also customers
                customer = r >= 0.40 && r < 0.82;
                broker = r >= 0.82 && r < 0.92;    // the rest: neither (staff, banks)
            }
            QVariant city;
            if (!m_random.chance(0.02)) {
                city = QString::fromUtf8(m_random.chance(0.93)
                        ? cities[m_random.between(0, localCities - 1)]
                        : cities[m_random.between(localCities, int(std::size(cities)) - 1)]);
            } else {
                city = QVariant(QMetaType(QMetaType::QString));
            }
            q.bindValue(0, id);
            q.bindValue(1, name);
            q.bindValue(2, city);
            q.bindValue(3, QStringLiteral("Shop No. %1, %2").arg(m_random.between(1, 250))
                               .arg(QString::fromUtf8(m_random.pick(streets))));
            q.bindValue(4, QStringLiteral("0%1-%2").arg(m_random.between(300, 999))
                               .arg(m_random.between(1000000, 9999999)));
            q.bindValue(5, vendor ? 1 : 0);
            q.bindValue(6, customer ? 1 : 0);
            q.bindValue(7, broker ? 1 : 0);
            q.exec();
            if (vendor)
                m_vendors.push_back(id);
            m_summary.vendors += vendor;
            m_summary.customers += customer;
            m_summary.brokers += broker;
        }
        m_summary.parties = count;
    }

    void writeProducts()
    {
        Statement q(m_db,
            "INSERT INTO Products (ProductId, ProductName, CompanyId, UnitID, IsCrop, IsBardana, IsBroker)"
            " VALUES (?, ?, ?, ?, ?, ?, ?)");
        const int count = qMax(10, m_options.products);
        constexpr int bases = int(std::size(productBases));
        QSet<QString> used;
        for (int i = 0; i < count; ++i) {
            const int id = i + 1;
            // Walk every base once before repeating, so small runs still hold every kind.
            const ProductBase &base = productBases[i < bases ? i : m_random.between(0, bases - 1)];
            const QStringList variants = variantsOf(base.kind);
            const int companyId = int(m_random.between(1, m_summary.companies));
            QString name = QString::fromUtf8(base.name) + QLatin1Char(' ')
                + variants.at(int(m_random.between(0, variants.size() - 1)));
            if (used.contains(name)) {
                name += QStringLiteral(" (%1)").arg(companyId <= int(std::size(companyNames))
                        ? QString::fromUtf8(companyNames[companyId - 1])
                        : QStringLiteral("Agro Company %1").arg(companyId));
            }
            if (used.contains(name))
                name += QStringLiteral(" No. %1").arg(id);
            used.insert(name);

            Product p;
            p.id = id;
            p.kind = base.kind;
            // Every 37th product has no unit row: the inner joins on Units drop it.
            p.hasUnit = (id % 37) != 5;
            p.price = m_random.between(qint64(base.lowPrice) * 100, qint64(base.highPrice) * 100);
            if (base.unit == Bag && base.kind == Kind::Fertilizer)
                p.multiplier = 50;
            else if (base.unit == Dozen)
                p.multiplier = 12;

            QVariant isBroker;
            const double r = m_random.unit();
            if (r < 0.35)
                isBroker = QVariant(QMetaType(QMetaType::Int));
            else
                isBroker = r < 0.9 ? 0 : 1;

            q.bindValue(0, id);
            q.bindValue(1, name);
            q.bindValue(2, companyId);
            q.bindValue(3, p.hasUnit ? QVariant(base.unit) : QVariant(QMetaType(QMetaType::Int)));
            q.bindValue(4, base.kind == Kind::Crop ? 1 : 0);
            q.bindValue(5, base.kind == Kind::Bardana ? 1 : 0);
            q.bindValue(6, isBroker);
            q.exec();
            m_products.push_back(p);
            m_summary.productsWithoutUnit += !p.hasUnit;
            m_summary.cropProducts += base.kind == Kind::Crop;
        }
        m_summary.products = count;
        // Popular products first, in a seed-dependent order.
        m_popularity.resize(m_products.size());
        for (size_t i = 0; i < m_popularity.size(); ++i)
            m_popularity[i] = int(i);
        for (size_t i = m_popularity.size() - 1; i > 0; --i)
            std::swap(m_popularity[i], m_popularity[size_t(m_random.between(0, qint64(i)))]);
    }

    Line makeLine(const Product &p)
    {
        Line l;
        l.productId = p.id;
        const bool weighed = p.kind == Kind::Crop;
        if (weighed) {
            l.qty = m_random.between(5000, 300000);   // 5.000 to 300.000, three decimals
        } else {
            l.qty = m_random.between(1, m_random.chance(0.8) ? 60 : 500) * 1000;
            if (m_random.chance(0.18))
                l.bonus = qMax<qint64>(1, l.qty / 1000 / 10) * 1000;
        }
        // Prices move by up to 8% around the product's list price.
        l.price = p.price + roundedDivide(__int128(p.price) * m_random.between(-800, 800), 10000);
        if (m_random.chance(0.45)) {
            static const qint64 usual[] = {50, 100, 150, 200, 250, 300, 500, 750, 1000};
            l.discRatio = m_random.chance(0.8) ? m_random.pick(usual) : m_random.between(1, 1200);
        }
        if (m_random.chance(0.15))
            l.discValue = qMax<qint64>(1, roundedDivide(__int128(l.price) * m_random.between(10, 500), 10000));
        if (!weighed && m_random.chance(0.55)) {
            static const qint64 rates[] = {500, 1000, 1600, 1700, 1700, 1700, 1800};
            l.stRatio = m_random.pick(rates);
        }
        if (m_random.chance(0.05))
            l.stValue = m_random.between(1, 2500);
        l.multiplier = p.multiplier;
        return l;
    }

    void bindLine(Statement &q, int id, int lineNo, const Line &l, qint64 value, qint64 tax)
    {
        q.bindValue(0, id);
        q.bindValue(1, lineNo);
        q.bindValue(2, l.productId);
        q.bindValue(3, quantity(l.qty));
        q.bindValue(4, quantity(l.bonus));
        q.bindValue(5, money(l.price));
        q.bindValue(6, ratio(l.discRatio));
        q.bindValue(7, money(l.discValue));
        q.bindValue(8, ratio(l.stRatio));
        q.bindValue(9, money(l.stValue));
        q.bindValue(10, l.multiplier);
        q.bindValue(11, money(value));
        q.bindValue(12, money(tax));
    }

    void writePurchases()
    {
        Statement head(m_db,
            "INSERT INTO purchase (PurchaseId, PurchaseDate, VendorId, BillNo, PaidAmount, Narration)"
            " VALUES (?, ?, ?, ?, ?, ?)");
        Statement body(m_db,
            "INSERT INTO purchasebody (PurchaseId, LineNo, ProductId, Qty, Bonus, Price, DiscRatio,"
            " DiscValue, STRatio, STValue, Multiplier, TTLValue, TTLSalesTax)"
            " VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)");

        const int count = m_options.purchases > 0 ? m_options.purchases : 2000 * qMax(1, m_options.scale);
        const int days = int(m_summary.firstDay.daysTo(m_summary.lastDay)) + 1;
        std::vector<int> dayOffsets;
        dayOffsets.reserve(size_t(count));
        while (int(dayOffsets.size()) < count) {
            const int offset = int(m_random.between(0, days - 1));
            // The mandi is mostly shut on Sundays.
            if (m_summary.firstDay.addDays(offset).dayOfWeek() == Qt::Sunday && m_random.chance(0.8))
                continue;
            dayOffsets.push_back(offset);
        }
        std::sort(dayOffsets.begin(), dayOffsets.end());

        const QVariant nullText{QMetaType(QMetaType::QString)};
        std::vector<int> chosen;
        for (int i = 0; i < count; ++i) {
            const int id = i + 1;
            const QDate day = m_summary.firstDay.addDays(dayOffsets[size_t(i)]);
            const int vendorId = m_vendors[size_t(m_random.skewed(int(m_vendors.size()), 1.8))];
            const int lineCount = int(m_random.between(1, 8));

            chosen.clear();
            std::vector<Line> lines;
            qint64 total = 0;
            for (int n = 1; n <= lineCount; ++n) {
                int index;
                do {
                    index = m_popularity[size_t(m_random.skewed(int(m_products.size()), 1.6))];
                } while (std::find(chosen.begin(), chosen.end(), index) != chosen.end());
                chosen.push_back(index);
                const Line l = makeLine(m_products[size_t(index)]);
                const qint64 value = lineValue(l);
                const qint64 tax = lineSalesTax(l);
                bindLine(body, id, n, l, value, tax);
                body.exec();
                total += value + tax;
                m_summary.purchaseValue += value;
                m_summary.purchaseSalesTax += tax;
                lines.push_back(l);
            }
            m_summary.purchaseLines += lineCount;

            qint64 paid = 0;
            const double r = m_random.unit();
            if (r < 0.5)
                paid = total;
            else if (r < 0.8)
                paid = qMin(total, roundedDivide(__int128(total) * m_random.between(10, 90), 100 * 10000) * 10000);

            head.bindValue(0, id);
            head.bindValue(1, isoDate(day));
            head.bindValue(2, vendorId);
            QVariant billNo = nullText;
            if (!m_random.chance(0.04)) {
                const QString prefix = QString::fromUtf8(m_random.pick(billPrefixes));
                billNo = prefix + QString::number(m_random.between(100, 99999));
            }
            head.bindValue(3, billNo);
            head.bindValue(4, money(paid));
            head.bindValue(5, m_random.chance(0.6) ? nullText
                    : QVariant(QString::fromUtf8(m_random.pick(purchaseNarrations))));
            head.exec();
            m_summary.paidAmount += paid;
            if (i == 0)
                m_summary.firstPurchase = day;
            m_summary.lastPurchase = day;

            if (m_random.chance(0.07))
                planReturn(id, vendorId, day, lines);
        }
        m_summary.purchases = count;
    }

    // A return takes back part of some lines of its purchase, at the purchase's
    // prices, within a month and inside the two years.
    void planReturn(int purchaseId, int vendorId, const QDate &day, const std::vector<Line> &lines)
    {
        PendingReturn r;
        r.purchaseId = purchaseId;
        r.vendorId = vendorId;
        r.day = day.addDays(m_random.between(1, 30));
        if (r.day > m_summary.lastDay)
            return;
        const int take = int(m_random.between(1, qMin<qint64>(3, qint64(lines.size()))));
        std::vector<size_t> order(lines.size());
        for (size_t i = 0; i < order.size(); ++i)
            order[i] = i;
        for (size_t i = order.size() - 1; i > 0; --i)
            std::swap(order[i], order[size_t(m_random.between(0, qint64(i)))]);
        std::sort(order.begin(), order.begin() + take);
        for (int n = 0; n < take; ++n) {
            Line l = lines[order[size_t(n)]];
            if (l.qty % 1000 == 0)
                l.qty = m_random.between(1, l.qty / 1000) * 1000;
            else
                l.qty = m_random.between(1, l.qty);
            l.bonus = m_random.chance(0.3) ? qMin(l.bonus, l.qty) : 0;
            r.lines.push_back(l);
        }
        m_returns.push_back(std::move(r));
    }

    void writeReturns()
    {
        Statement head(m_db,
            "INSERT INTO purreturns (PurReturnId, PurReturnDate, PurchaseId, VendorId, Narration,"
            " ExpPlus, ExpMinus, ComRatio, ReceivedAmount) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?)");
        Statement body(m_db,
            "INSERT INTO purreturnsbody (PurReturnId, LineNo, ProductId, Qty, Bonus, Price, DiscRatio,"
            " DiscValue, STRatio, STValue, Multiplier, TTLValue, TTLSalesTax)"
            " VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)");
        // Return numbers run in date order, as a clerk would issue them.
        std::stable_sort(m_returns.begin(), m_returns.end(),
                         [](const PendingReturn &a, const PendingReturn &b) { return a.day < b.day; });
        const QVariant nullText{QMetaType(QMetaType::QString)};
        int id = 0;
        for (const PendingReturn &r : m_returns) {
            ++id;
            qint64 total = 0;
            int lineNo = 0;
            for (const Line &l : r.lines) {
                const qint64 value = lineValue(l);
                const qint64 tax = lineSalesTax(l);
                bindLine(body, id, ++lineNo, l, value, tax);
                body.exec();
                total += value + tax;
                m_summary.returnValue += value;
                m_summary.returnSalesTax += tax;
            }
            m_summary.returnLines += lineNo;

            qint64 received = 0;
            const double x = m_random.unit();
            if (x < 0.4)
                received = total;
            else if (x < 0.7)
                received = roundedDivide(__int128(total) * m_random.between(10, 90), 100);
            static const qint64 commissions[] = {50, 100, 150, 200};
            head.bindValue(0, id);
            head.bindValue(1, isoDate(r.day));
            head.bindValue(2, r.purchaseId);
            head.bindValue(3, r.vendorId);
            head.bindValue(4, m_random.chance(0.3) ? nullText
                    : QVariant(QString::fromUtf8(m_random.pick(returnNarrations))));
            head.bindValue(5, money(m_random.chance(0.2) ? m_random.between(50, 2000) * 100 : 0));
            head.bindValue(6, money(m_random.chance(0.1) ? m_random.between(20, 800) * 100 : 0));
            head.bindValue(7, ratio(m_random.chance(0.15) ? m_random.pick(commissions) : 0));
            head.bindValue(8, money(received));
            head.exec();
        }
        m_summary.returns = id;
    }

    SqliteFile &m_db;
    const DemoOptions &m_options;
    DemoSummary &m_summary;
    DemoRandom m_random;
    std::vector<int> m_vendors;
    std::vector<Product> m_products;
    std::vector<int> m_popularity;
    std::vector<PendingReturn> m_returns;
};

} // namespace

QString DemoSummary::text() const
{
    const QLocale c = QLocale::c();
    QString s;
    s += QStringLiteral("companies %1, units %2, products %3 (%4 crops, %5 without a unit)\n")
             .arg(companies).arg(units).arg(products).arg(cropProducts).arg(productsWithoutUnit);
    s += QStringLiteral("parties %1 (%2 vendors, %3 customers, %4 brokers)\n")
             .arg(parties).arg(vendors).arg(customers).arg(brokers);
    s += QStringLiteral("purchases %1 with %2 lines, %3 to %4\n")
             .arg(purchases).arg(purchaseLines).arg(isoDate(firstPurchase), isoDate(lastPurchase));
    s += QStringLiteral("returns %1 with %2 lines\n").arg(returns).arg(returnLines);
    s += QStringLiteral("financial years %1 to %2\n").arg(isoDate(firstDay), isoDate(lastDay));
    s += QStringLiteral("purchase value %1, sales tax %2, paid %3\n")
             .arg(moneyText(purchaseValue), moneyText(purchaseSalesTax), moneyText(paidAmount));
    s += QStringLiteral("return value %1, sales tax %2\n").arg(moneyText(returnValue), moneyText(returnSalesTax));
    const double lines = double(purchaseLines + returnLines);
    s += QStringLiteral("written in %1 s (%2 lines/s)\n")
             .arg(c.toString(seconds, 'f', 2))
             .arg(seconds > 0 ? c.toString(lines / seconds, 'f', 0) : QStringLiteral("-"));
    return s;
}

QString DemoDatabase::defaultOutputPath()
{
    const QString overridden = qEnvironmentVariable("ORVANE_DEMO_DB");
    return overridden.isEmpty() ? QStringLiteral("demo/orvane-demo.sqlite") : overridden;
}

int DemoDatabase::defaultFromYear(const QDate &today)
{
    // The year running now started on 1 April of this year or the last;
    // the two full years before it are the demo's.
    const int runningStart = today.month() >= 4 ? today.year() : today.year() - 1;
    return runningStart - 2;
}

QString DemoDatabase::schema()
{
    initDemoResources();
    QFile file(QStringLiteral(":/orvane-demodb/schema.sql"));
    if (!file.open(QIODevice::ReadOnly))
        throw std::runtime_error("the compiled-in schema is missing");
    return QString::fromUtf8(file.readAll());
}

QString DemoDatabase::sqlServerSchema()
{
    QString text = schema();
    text.remove(QRegularExpression(QStringLiteral("[ \\t]+COLLATE[ \\t]+NOCASE\\b"),
                                   QRegularExpression::CaseInsensitiveOption));
    text.replace(QRegularExpression(QStringLiteral("(?<![\\[\\w])LineNo\\b")), QStringLiteral("[LineNo]"));
    text.replace(QRegularExpression(QStringLiteral("\\bREAL[ \\t]+DECIMAL\\(")), QStringLiteral("DECIMAL("));
    return text;
}

DemoSummary DemoDatabase::generate(const QString &file, const DemoOptions &options, bool overwrite)
{
    if (file.isEmpty())
        throw std::runtime_error("no output file given");
    const QFileInfo target(file);
    if (target.exists() && !overwrite)
        throw std::runtime_error(QStringLiteral("%1 exists; use --force to replace it")
                                     .arg(target.filePath()).toStdString());
    if (!QDir().mkpath(target.absolutePath()))
        throw std::runtime_error(QStringLiteral("cannot create the folder %1")
                                     .arg(target.absolutePath()).toStdString());

    const QString partial = target.absoluteFilePath() + QStringLiteral(".part");
    QFile::remove(partial);

    QElapsedTimer timer;
    timer.start();
    DemoSummary summary;
    const int fromYear = options.fromYear > 0 ? options.fromYear
                                              : defaultFromYear(QDate::currentDate());
    summary.firstDay = QDate(fromYear, 4, 1);
    summary.lastDay = QDate(fromYear + 2, 3, 31);
    try {
        SqliteFile db(partial);
        db.run("PRAGMA journal_mode=OFF");
        db.run("PRAGMA synchronous=OFF");
        db.run("PRAGMA cache_size=-65536");

        // Indexes after the rows: building them once is cheaper than keeping them up.
        QStringList indexes;
        for (const QString &statement : schemaStatements(schema())) {
            if (statement.startsWith(QLatin1String("CREATE INDEX"), Qt::CaseInsensitive))
                indexes << statement;
            else
                db.run(statement);
        }
        db.run("BEGIN");
        Generator(db, options, summary).run();
        for (const QString &statement : std::as_const(indexes))
            db.run(statement);
        db.run("COMMIT");
        db.run("ANALYZE");
    } catch (...) {
        QFile::remove(partial);
        throw;
    }

    if (target.exists() && !QFile::remove(target.absoluteFilePath())) {
        QFile::remove(partial);
        throw std::runtime_error(QStringLiteral("cannot replace %1").arg(target.filePath()).toStdString());
    }
    if (!QFile::rename(partial, target.absoluteFilePath())) {
        QFile::remove(partial);
        throw std::runtime_error(QStringLiteral("cannot write %1").arg(target.filePath()).toStdString());
    }
    summary.seconds = double(timer.nsecsElapsed()) / 1e9;
    return summary;
}

} // namespace orvane::demo
