// Hostile text, typed and pasted, through every box whose content reaches SQL.
// The witness is SQLite's own statement trace (read-only or not) plus a token
// shape compared with what a harmless entry runs; the file's checksum at the end.

#include "ReportTestSupport.h"

#include "MessageRecorder.h"
#include "NumberParse.h"
#include "RecordsetModel.h"
#include "RptProductWisePurchases.h"
#include "RptPurchaseLedger.h"
#include "RptPurchaseReturnRegister.h"
#include "RptPurchaseReturnSummary.h"
#include "RptReportViewer.h"
#include "SchCompany.h"
#include "SchParty.h"
#include "SchProducts.h"
#include "SchVendors.h"
#include "pmtPurchaseRegisterIW.h"
#include "pmtPurchaseReturnLedger.h"
#include "pmtPurchaseSummary.h"

#include <QClipboard>
#include <QTableView>
#include <QCryptographicHash>
#include <QSqlDriver>
#include <QTemporaryDir>
#include <QtTest>

#include <sqlite3.h>

#include <algorithm>
#include <map>
#include <set>

using namespace orvane;
using namespace orvane::test;

namespace {

struct TracedStatement { QString sql; bool readOnly = true; };

struct StatementTrace
{
    bool recording = false;
    QList<TracedStatement> all;
    QList<TracedStatement> recent;   // since the last take()

    QList<TracedStatement> take() { return std::exchange(recent, {}); }
};

StatementTrace g_trace;

/// Reads past the component: the witness does not record them.
struct TraceOff
{
    const bool was = std::exchange(g_trace.recording, false);
    ~TraceOff() { g_trace.recording = was; }
};

int traceStatement(unsigned type, void *, void *p, void *)
{
    if (type != SQLITE_TRACE_STMT || !g_trace.recording)
        return 0;
    auto *stmt = static_cast<sqlite3_stmt *>(p);
    const TracedStatement s{QString::fromUtf8(sqlite3_sql(stmt)), sqlite3_stmt_readonly(stmt) != 0};
    g_trace.all.append(s);
    g_trace.recent.append(s);
    return 0;
}

sqlite3 *handleOf(const QSqlDatabase &db)
{
    const QVariant v = db.driver()->handle();
    if (!v.isValid() || qstrcmp(v.typeName(), "sqlite3*") != 0)
        return nullptr;
    return *static_cast<sqlite3 *const *>(v.constData());
}

bool isSqlBlank(QChar c)
{
    const ushort u = c.unicode();
    return u == ' ' || u == '\t' || u == '\n' || u == '\r' || u == '\f' || u == '\v';
}

/// Literals and numbers stand for their kind, words and punctuation for
/// themselves; a comment or a character SQL cannot read is its own token.
QString skeleton(const QString &sql)
{
    QStringList tokens;
    const auto isDigit = [](QChar c) { return c >= QLatin1Char('0') && c <= QLatin1Char('9'); };
    const auto isWordStart = [](QChar c) { return c.unicode() < 0x80 && (c.isLetter() || c == QLatin1Char('_')); };
    const auto isWordPart = [&](QChar c) { return isWordStart(c) || isDigit(c) || c == QLatin1Char('$'); };
    const auto signMayStart = [&]() {
        static const QStringList keywords{"between", "and", "or", "not", "where", "when", "then", "else", "select"};
        return tokens.isEmpty()
            || (tokens.last() != QLatin1String(")")
                && (!tokens.last().front().isLetter() || keywords.contains(tokens.last())));
    };
    static const QStringList pairs{"<=", ">=", "<>", "!=", "==", "||"};
    static const QHash<QString, QString> spanEnd{{"[", "]"}, {"\"", "\""}, {"--", "\n"}, {"/*", "*/"}};
    const QChar quote = QLatin1Char('\'');
    const int n = int(sql.size());
    for (int i = 0; i < n;) {
        const QChar c = sql.at(i);
        const QChar next = i + 1 < n ? sql.at(i + 1) : QChar();
        const QString two = sql.mid(i, 2);
        if (isSqlBlank(c)) {
            ++i;
        } else if (c == quote) {   // a doubled apostrophe stays inside
            int j = i + 1;
            while (j < n && !(sql.at(j) == quote && (j + 1 >= n || sql.at(j + 1) != quote)))
                j += sql.at(j) == quote ? 2 : 1;
            tokens << (j < n ? QStringLiteral("STRING") : QStringLiteral("UNCLOSED-STRING"));
            i = j + 1;
        } else if (spanEnd.contains(two) || spanEnd.contains(QString(c))) {   // a comment or a quoted name
            const QString open = spanEnd.contains(two) ? two : QString(c), end = spanEnd.value(open);
            const int j = int(sql.indexOf(end, i + open.size()));
            tokens << (open.size() == 2 ? QStringLiteral("COMMENT") : QStringLiteral("NAME"));
            i = j < 0 ? n : j + int(end.size());
        } else if (isDigit(c) || (c == QLatin1Char('.') && isDigit(next))
                   || (c == QLatin1Char('-') && isDigit(next) && signMayStart())) {
            int j = i + 1;
            while (j < n && (isDigit(sql.at(j)) || sql.at(j) == QLatin1Char('.')))
                ++j;
            tokens << QStringLiteral("NUMBER");
            i = j;
        } else if (isWordStart(c)) {
            int j = i + 1;
            while (j < n && isWordPart(sql.at(j)))
                ++j;
            tokens << sql.mid(i, j - i).toLower();
            i = j;
        } else if (c.unicode() < 0x20 || c.unicode() >= 0x80) {
            tokens << QStringLiteral("UNREADABLE");
            ++i;
        } else {
            const int len = pairs.contains(two) ? 2 : 1;
            tokens << sql.mid(i, len);
            i += len;
        }
    }
    return tokens.join(QLatin1Char(' '));
}

enum class Entry { Typed, Pasted, Set };

const char *entryName(Entry how)
{
    return how == Entry::Typed ? "typed" : how == Entry::Pasted ? "pasted" : "inserted";
}

void enterText(QLineEdit *box, const QString &text, Entry how)
{
    box->setFocus(Qt::OtherFocusReason);
    switch (how) {
    case Entry::Typed:
        for (const QChar c : text) {
            if (c.unicode() >= 0x20 && c.unicode() < 0x7f)
                QTest::keyClick(box, char(c.unicode()));
            else   // what an input method or a keyboard layout delivers
                QTest::sendKeyEvent(QTest::Click, box, Qt::Key_unknown, QString(c), Qt::NoModifier);
        }
        break;
    case Entry::Pasted:
        QGuiApplication::clipboard()->setText(text);
        QTest::keyClick(box, Qt::Key_V, Qt::ControlModifier);
        break;
    case Entry::Set:
        box->insert(text);   // as a drop or the host's own paste lands
        break;
    }
}

/// A character as the lookups compare it: case aside, and the Latin, Greek
/// and Cyrillic accents aside (Unicode's compatibility decomposition without
/// the combining diacritical marks U+0300..U+036F).
QString bare(QStringView text)
{
    QString out;
    for (const QChar c : text.toString().normalized(QString::NormalizationForm_KD)) {
        if (c.unicode() < 0x300 || c.unicode() > 0x36F)
            out += c;
    }
    return out.toCaseFolded();
}

/// SQL LIKE as the lookups promise it: % any run, _ any one character, any
/// case and any accent. `text` is bare() already.
bool likeMatches(QStringView pattern, QStringView text)
{
    if (pattern.isEmpty())
        return text.isEmpty();
    const QChar p = pattern.front();
    if (p == QLatin1Char('%')) {
        for (qsizetype k = 0; k <= text.size(); ++k)
            if (likeMatches(pattern.mid(1), text.mid(k)))
                return true;
        return false;
    }
    if (p == QLatin1Char('_'))
        return !text.isEmpty() && likeMatches(pattern.mid(1), text.mid(1));
    qsizetype run = 0;
    while (run < pattern.size() && pattern.at(run) != QLatin1Char('%') && pattern.at(run) != QLatin1Char('_'))
        ++run;
    const QString literal = bare(pattern.left(run));
    return text.startsWith(literal) && likeMatches(pattern.mid(run), text.mid(literal.size()));
}

bool likeMatchesBare(const QString &pattern, const QString &text)
{
    return likeMatches(pattern, bare(text));
}

enum WindowKind { ReturnSummary, Summary, ReturnRegister, Register, Ledger, ReturnLedger, ProductWise };

template <class W> ReportWindow *openAs() { return openReportWindow<W>(); }

struct WindowInfo
{
    const char *name;
    int codeMaxLength;
    const char *benignCode;   // names a record with rows in March 2024
    bool productCode;         // the ledgers: a code is required
    ReportWindow *(*open)();
};

const WindowInfo kWindows[] = {
    {"return summary", 10, "7", false, openAs<RptPurchaseReturnSummary>},
    {"purchase summary", 10, "7", false, openAs<pmtPurchaseSummary>},
    {"return register", 10, "7", false, openAs<RptPurchaseReturnRegister>},
    {"purchase register", 5, "7", false, openAs<pmtPurchaseRegisterIW>},
    {"ledger", 10, "5", true, openAs<RptPurchaseLedger>},
    {"return ledger", 10, "5", true, openAs<pmtPurchaseReturnLedger>},
    {"product-wise", 2, "1", false, openAs<RptProductWisePurchases>},
};

/// The statements one step of a user's action ran.
struct StepTrace
{
    QList<TracedStatement> statements;
    std::set<QString> shapes;

    StepTrace &operator+=(const QList<TracedStatement> &more)
    {
        statements += more;
        for (const TracedStatement &s : more)
            shapes.insert(skeleton(s.sql));
        return *this;
    }
};

StepTrace takeStep() { return StepTrace() += g_trace.take(); }

/// Every statement read only, and shaped like one the harmless action ran.
QString shapeProblem(const StepTrace &hostile, const StepTrace &benign)
{
    for (const TracedStatement &s : hostile.statements) {
        if (!s.readOnly)
            return QStringLiteral("a statement that is not a read ran: ") + s.sql;
        const QString shape = skeleton(s.sql);
        if (!benign.shapes.count(shape))
            return QStringLiteral("statement changed shape: %1\n  hostile:  %2\n  harmless: %3")
                .arg(s.sql, shape, QStringList(benign.shapes.begin(), benign.shapes.end()).join("\n  harmless: "));
    }
    return QString();
}

bool isSqlBlank(const QString &text)
{
    return std::all_of(text.begin(), text.end(), [](QChar c) { return isSqlBlank(c); });
}

/// `text` without the blanks SQL itself skips around a number.
QString sqlTrimmed(const QString &text)
{
    qsizetype b = 0, e = text.size();
    while (b < e && isSqlBlank(text.at(b)))
        ++b;
    while (e > b && isSqlBlank(text.at(e - 1)))
        --e;
    return text.mid(b, e - b);
}

struct Payload { const char *name; QString text; bool typeable; };   // typeable: printable only

QList<Payload> hostilePayloads()
{
    return {
        {"apostrophe", QStringLiteral("'"), true},          {"double quote", QStringLiteral("\""), true},
        {"tautology", QStringLiteral("' OR '1'='1"), true}, {"drop table", QStringLiteral("'; DROP TABLE Parties; --"), true},
        {"line comment", QStringLiteral("'--"), true},      {"block comment", QStringLiteral("/* */'"), true},
        {"semicolon", QStringLiteral(";"), true},           {"percent", QStringLiteral("%"), true},
        {"underscore", QStringLiteral("_"), true},          {"tab", QStringLiteral("\t"), false},
        {"CR LF", QStringLiteral("\r\n"), false},           {"NUL", QString(QChar(0)), false},
        {"escape", QStringLiteral("\x1b"), false},          {"no-break space", QString(QChar(0xA0)), false},
        {"ideographic space", QString(QChar(0x3000)), false}, {"RTL override", QChar(0x202E) + QString("1'"), false},
        {"Arabic", QString::fromUtf8("\u0645\u062D\u0645\u062F'"), true},
        {"Hebrew", QString::fromUtf8("\u05E9\u05DC\u05D5\u05DD'"), true}, {"combining acute", QString::fromUtf8("e\u0301'"), true},
        // Half of a surrogate pair: a UTF-16 reader that takes the next unit
        // as its other half would swallow the doubled apostrophe.
        {"lone surrogate", QString(QChar(0xD83D)) + QStringLiteral("'OR 1--"), false},
    };
}

void resetWindow(ReportWindow *w)
{
    w->fromDate()->setFocus(Qt::OtherFocusReason);
    w->codeBox()->clear();
    w->fromDate()->setDate(kMarchFirst);
    w->toDate()->setDate(kMarchLast);
    if (auto *range = qobject_cast<InvoiceRangeWindow *>(w)) {
        range->fromInvoiceBox()->setText(QStringLiteral("1"));
        range->toInvoiceBox()->clear();
    }
    g_trace.take();
}

void enterCode(ReportWindow *w, int kind)
{
    w->codeBox()->setFocus(Qt::OtherFocusReason);
    w->codeBox()->selectAll();
    QTest::keyClicks(w->codeBox(), QString::fromLatin1(kWindows[kind].benignCode));
    QTest::keyClick(w->codeBox(), Qt::Key_Return);
}

/// The window kept its dates and buttons, and a harmless code then previews
/// rows without a message.
void checkStillWorks(ReportWindow *w, int kind)
{
    QCOMPARE(w->fromDate()->date(), kMarchFirst);
    QCOMPARE(w->toDate()->date(), kMarchLast);
    QVERIFY(w->isEnabled() && w->isVisible());
    for (QPushButton *b : {w->previewButton(), w->printButton(), w->closeButton(), w->lookupButton()})
        QVERIFY(b->isEnabled());
    QVERIFY(w->focusWidget() && w->focusWidget()->window() == w);
    deleteWindows<RptReportViewer, RptReportViewer>();

    MessageRecorder boxes;
    ModalDriver<LookupDialog> noLookup;
    ModalDriver<RptReportViewer> viewerCloser;
    enterCode(w, kind);
    QTest::mouseClick(w->previewButton(), Qt::LeftButton);
    QCOMPARE(boxes.texts(), QString());
    QCOMPARE(noLookup.shown, 0);
    if (kind == ProductWise)
        QCOMPARE(viewerCloser.shown, 1);
    else
        QVERIFY(w->lastViewer() && w->lastViewer()->isVisible());
}

enum LookupKind { Vendors, Parties, Products, Companies };

template <class D> LookupDialog *openLookup() { return SharedState::current().window<D>(); }
template <class D, QString D::*Out> QString handBackOf(LookupDialog *d) { return static_cast<D *>(d)->*Out; }

struct LookupInfo
{
    const char *name;
    const char *namesSql;     // the list's names by code, read past the component
    const char *benignName;   // typed after the hostile text; Enter must choose it
    const char *benignCode;
    LookupDialog *(*open)();
    QString (*handBack)(LookupDialog *);
};

const LookupInfo kLookups[] = {
    {"vendors", "SELECT PartyId, PartyName FROM Parties WHERE IsVendor = 1", "Vendor Sev", "7",
     openLookup<SchVendors>, handBackOf<SchVendors, &SchVendors::ParaOutVendorID>},
    {"parties", "SELECT PartyId, PartyName FROM Parties", "Vendor Sev", "7", openLookup<SchParty>,
     handBackOf<SchParty, &SchParty::ParaOutPartyID>},
    {"products", "SELECT ProductId, ProductName FROM Products JOIN Companies USING (CompanyId) WHERE IsCrop = 0",
     "Panad", "5", openLookup<SchProducts>, handBackOf<SchProducts, &SchProducts::ParaOutProductID>},
    {"companies", "SELECT CompanyId, CompanyName FROM Companies", "Acme", "1", openLookup<SchCompany>,
     handBackOf<SchCompany, &SchCompany::ParaOutCompanyID>},
};

QMap<QString, QString> listNames(QSqlDatabase db, int kind)
{
    const TraceOff off;
    QMap<QString, QString> names;
    QSqlQuery q(db);
    q.exec(QString::fromLatin1(kLookups[kind].namesSql));
    while (q.next())
        names.insert(q.value(0).toString(), q.value(1).toString());
    return names;
}

} // namespace

class tst_HostileInput : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void cleanup();
    void witnessSeesWrites();
    void codeBox_data();
    void codeBox();
    void invoiceBox_data();
    void invoiceBox();
    void lookupFilter_data();
    void lookupFilter();
    void databaseUnchanged();   // last: after the whole matrix

private:
    struct Baseline { StepTrace leave, preview; };
    const Baseline &codeBaseline(int kind);
    const Baseline &invoiceBaseline(int kind, bool toBox);
    QMap<QString, QString> databaseState();

    QTemporaryDir m_dir;
    QString m_file;
    QSqlDatabase m_db;
    QMap<QString, QString> m_before;
    std::map<int, Baseline> m_baselines;   // by window, then by number box
};

void tst_HostileInput::initTestCase()
{
    QVERIFY(m_dir.isValid());
    m_file = m_dir.filePath(QStringLiteral("hostile.sqlite"));
    m_db = createTestDatabase(m_file);
    fillReportRows(m_db);
    // Names with the characters the filters meet: pattern signs, quotes,
    // both forms of é, right-to-left scripts.
    const char *const rows[] = {
        "INSERT INTO Parties (PartyId,PartyName,City,IsVendor,IsCustomer) VALUES"
        " (20,'50% Traders','Lahore',1,0),(21,'A_B Supplies','Quetta',1,0),"
        " (22,'Quote \"Q\" Co','Multan',1,0),(23,'Caf\xc3\xa9 Rouge','Sukkur',1,0),"
        " (24,'Cafe\xcc\x81 Noir','Sukkur',1,0),(25,'\xd9\x85\xd8\xad\xd9\x85\xd8\xaf Brothers','Karachi',1,0),"
        " (26,'\xd7\xa9\xd7\x9c\xd7\x95\xd7\x9d Trade','Haifa',0,1),(27,'Semi;Colon -- Ltd','Lahore',1,0)",
        "INSERT INTO Companies VALUES (40,'5% Co'),(41,'Under_Score Co'),(42,'\xd9\x85\xd9\x8a\xd8\xb2\xd8\xa7\xd9\x86')",
        "INSERT INTO Products (ProductId,ProductName,CompanyId,UnitID,IsCrop) VALUES"
        " (30,'50% Rice',40,1,0),(31,'Tea_Bags',41,1,0),(32,'Doctor''s Choice',1,1,0),(33,'Wheat Crop',1,1,1)",
    };
    for (const char *sql : rows)
        exec(m_db, QString::fromUtf8(sql));
    auto connection = Connection::create(m_db);
    connection->setCursorLocation(Connection::adUseClient);
    SharedState::current().SharedConnection = connection;
    sqlite3 *handle = handleOf(m_db);
    QVERIFY(handle);
    QCOMPARE(sqlite3_trace_v2(handle, SQLITE_TRACE_STMT, traceStatement, nullptr), SQLITE_OK);
    m_before = databaseState();
    g_trace.recording = true;
}

void tst_HostileInput::cleanupTestCase()
{
    g_trace.recording = false;
    if (sqlite3 *handle = handleOf(m_db))
        sqlite3_trace_v2(handle, 0, nullptr, nullptr);
    SharedState::current().deleteWindows();
    SharedState::current().SharedConnection.reset();
}

void tst_HostileInput::cleanup()
{
    setPrintHandler({});
    deleteWindows<RptReportViewer, RptReportViewer>();
}

/// Row counts of every table and the file's checksum, read with the trace off.
QMap<QString, QString> tst_HostileInput::databaseState()
{
    const TraceOff off;
    QMap<QString, QString> state;
    for (const QString &table : m_db.tables()) {
        QSqlQuery q(m_db);
        if (q.exec(QStringLiteral("SELECT COUNT(*) FROM \"%1\"").arg(table)) && q.next())
            state.insert(table, q.value(0).toString());
    }
    QFile file(m_file);
    if (file.open(QIODevice::ReadOnly))
        state.insert(QStringLiteral("(file sha-256)"),
                     QString::fromLatin1(QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256).toHex()));
    return state;
}

void tst_HostileInput::witnessSeesWrites()
{
    // Both witnesses must be able to fail: a write that changes nothing is
    // still not read-only, and an undoubled apostrophe changes the shape.
    const QString sql = QStringLiteral("select a from t where v.partyid='%1' and n between 1 and 9");
    QCOMPARE(skeleton(sql.arg("7'' OR ''1''=''1")), skeleton(sql.arg("7")));
    QVERIFY(skeleton(sql.arg("7' OR '1'='1")) != skeleton(sql.arg("7")));
    g_trace.take();
    QSqlQuery q(m_db);
    QVERIFY(q.exec(QStringLiteral("UPDATE Parties SET City = City WHERE 0")));
    QVERIFY(q.exec(QStringLiteral("SELECT 1")));
    const QList<TracedStatement> seen = g_trace.take();
    g_trace.all.removeIf([](const TracedStatement &s) { return s.sql.startsWith(QLatin1String("UPDATE Parties")); });
    QCOMPARE(seen.size(), 2);
    QVERIFY(!seen.at(0).readOnly);
    QVERIFY(seen.at(1).readOnly);
}

const tst_HostileInput::Baseline &tst_HostileInput::codeBaseline(int kind)
{
    auto [it, fresh] = m_baselines.try_emplace(kind);
    Baseline &b = it->second;
    if (!fresh)
        return b;
    MessageRecorder boxes;
    ModalDriver<RptReportViewer> viewerCloser;
    ReportWindow *w = kWindows[kind].open();
    resetWindow(w);
    enterCode(w, kind);
    b.leave = takeStep();
    QTest::mouseClick(w->previewButton(), Qt::LeftButton);
    b.preview = takeStep();
    {
        // A code that names nothing opens the lookup, whose list is read then.
        ModalDriver<LookupDialog> cancel;
        QTest::mouseClick(w->lookupButton(), Qt::LeftButton);
        b.leave += g_trace.take();
    }
    if (!boxes.boxes.isEmpty() || b.leave.statements.isEmpty() || b.preview.statements.isEmpty())
        qWarning("harmless baseline of the %s window is not clean: %s", kWindows[kind].name, qPrintable(boxes.texts()));
    // An emptied code box previews every vendor or company: no code filter.
    w->codeBox()->clear();
    w->fromDate()->setFocus(Qt::OtherFocusReason);
    g_trace.take();
    QTest::mouseClick(w->previewButton(), Qt::LeftButton);
    b.preview += g_trace.take();
    deleteWindows<RptReportViewer, RptReportViewer>();
    return b;
}

void tst_HostileInput::codeBox_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("how");
    QTest::addColumn<QString>("input");
    QTest::addColumn<bool>("print");   // Print instead of Preview
    static const QStringList printed{"tautology", "drop table", "tab", "NUL", "lone surrogate"};
    for (int kind = ReturnSummary; kind <= ProductWise; ++kind) {
        const WindowInfo &info = kWindows[kind];
        const QString code = QString::fromLatin1(info.benignCode);
        auto add = [&](const QString &what, Entry how, const QString &input, bool print = false) {
            QTest::addRow("%s: %s, %s%s", info.name, qPrintable(what), entryName(how), print ? ", Print" : "")
                << kind << int(how) << input << print;
        };
        // After a code that names a record the text passes the lookup and
        // reaches the report query; alone it meets the lookup dialog.
        for (const Payload &p : hostilePayloads()) {
            const QString what = code + QStringLiteral(" + ") + QString::fromLatin1(p.name);
            if (p.typeable)
                add(what, Entry::Typed, code + p.text);
            add(what, Entry::Pasted, code + p.text);
            if (printed.contains(QLatin1String(p.name)))
                add(what, Entry::Pasted, code + p.text, true);
        }
        add(QStringLiteral("bare tautology"), Entry::Pasted, QStringLiteral("' OR '1'='1"));
        add(QStringLiteral("bare drop table"), Entry::Typed, QStringLiteral("'; DROP TABLE Parties; --"));
        // Closing with apostrophes so a cut at the maximum never leaves half an escape.
        const int max = info.codeMaxLength;
        add(QStringLiteral("apostrophes at maximum"), Entry::Pasted, code + QString(max - 1, QLatin1Char('\'')));
        add(QStringLiteral("apostrophes over maximum"), Entry::Set, code + QString(max + 5, QLatin1Char('\'')));
        if (max > 2)   // a character outside the basic plane cut in half by the limit
            add(QStringLiteral("emoji cut by maximum"), Entry::Pasted,
                code + QString(max - 2, QLatin1Char('x')) + QString::fromUtf8("\xF0\x9F\x98\x80"));
    }
}

void tst_HostileInput::codeBox()
{
    QFETCH(int, kind);
    QFETCH(int, how);
    QFETCH(QString, input);
    QFETCH(bool, print);
    const WindowInfo &info = kWindows[kind];
    const QString benignCode = QString::fromLatin1(info.benignCode);
    const Baseline &baseline = codeBaseline(kind);
    int printed = 0;
    setPrintHandler([&](const Document &, const PrintJob &) { ++printed; });
    MessageRecorder boxes;
    auto lookups = std::make_unique<ModalDriver<LookupDialog>>();   // cancels each lookup
    auto viewerCloser = std::make_unique<ModalDriver<RptReportViewer>>();
    ReportWindow *w = kWindows[kind].open();
    resetWindow(w);
    enterText(w->codeBox(), input, Entry(how));
    const QString entry = w->codeBox()->text();
    // Typed keys other than digits are not taken; pasted text stays whole.
    QString digits;
    std::copy_if(input.begin(), input.end(), std::back_inserter(digits),
                 [](QChar c) { return c >= QLatin1Char('0') && c <= QLatin1Char('9'); });
    QCOMPARE(entry, (Entry(how) == Entry::Typed ? digits : input).left(info.codeMaxLength));
    QCOMPARE(g_trace.take().size(), 0);   // typing alone queries nothing

    // Leaving the box: the lookup reads the code's leading number.
    QTest::keyClick(w->codeBox(), Qt::Key_Return);
    const StepTrace leave = takeStep();
    QVERIFY2(shapeProblem(leave, baseline.leave).isEmpty(), qPrintable(shapeProblem(leave, baseline.leave)));
    const QString bare = sqlTrimmed(entry);
    if (!entry.trimmed().isEmpty() && !std::all_of(bare.begin(), bare.end(), [](QChar c) {
            return c >= QLatin1Char('0') && c <= QLatin1Char('9'); })) {
        // Not digits between blanks: refused where it stands, before any
        // statement, on leaving and again on the button; the text stays.
        const QString refusal = QLatin1String(info.productCode ? "Product" : kind == ProductWise ? "Company" : "Vendor")
            + QStringLiteral(" code must be a whole number: digits only.");
        QCOMPARE(leave.statements.size(), 0);
        QCOMPARE(boxes.texts(), refusal);
        QCOMPARE(boxes.boxes.at(0).style, 48);
        QCOMPARE(lookups->shown, 0);
        QCOMPARE(w->focusWidget(), w->codeBox());
        QTest::mouseClick(print ? w->printButton() : w->previewButton(), Qt::LeftButton);
        QCOMPARE(takeStep().statements.size(), 0);
        QCOMPARE(boxes.texts(), refusal + QStringLiteral(" | ") + refusal);
        QCOMPARE(printed, 0);
        QCOMPARE(viewerCloser->shown, 0);
        QCOMPARE(w->codeBox()->text(), entry);
        lookups.reset();
        viewerCloser.reset();
        setPrintHandler({});
        checkStillWorks(w, kind);
        return;
    }
    QCOMPARE(boxes.texts(), QString());
    // A code naming nothing opens the lookup, whose Cancel empties the code
    // and keeps the focus there; an empty one means all and moves on.
    const bool named = entry.isEmpty() || LeadingNumberText(entry) == benignCode;
    QCOMPARE(lookups->shown, named ? 0 : 1);
    QCOMPARE(w->codeBox()->text(), named ? entry : QString());
    QCOMPARE(w->focusWidget() == w->codeBox(), !named);
    if (named && !entry.isEmpty())
        QVERIFY(!w->nameBox()->text().isEmpty());
    const QString code = w->codeBox()->text();
    QTest::mouseClick(print ? w->printButton() : w->previewButton(), Qt::LeftButton);
    const StepTrace preview = takeStep();
    QVERIFY2(shapeProblem(preview, baseline.preview).isEmpty(), qPrintable(shapeProblem(preview, baseline.preview)));

    // A code that only adds blanks SQL reads as blanks still names the record.
    const bool needsCode = code.isEmpty() && info.productCode;
    const bool rows = code.isEmpty() ? !info.productCode : isSqlBlank(code.mid(benignCode.size()));
    // With no rows the product-wise window says only its own message (and its
    // Preview empties the code); the frame's Print says both of its own.
    const bool information = print || kind == ProductWise;
    const QString none = kind == ProductWise ? QStringLiteral("No record found")
        : print ? QStringLiteral("No record exists. | No record found") : QStringLiteral("No record exists.");
    const QString message = needsCode ? QStringLiteral("Enter Product Code.") : rows ? QString() : none;
    const QString title = !needsCode && information ? QStringLiteral("Information") : w->caption();
    const QString codeAfter = !rows && !needsCode && kind == ProductWise && !print ? QString() : code;
    QCOMPARE(boxes.texts(), message);
    if (!message.isEmpty()) {
        QCOMPARE(boxes.boxes.last().style, needsCode ? 48 : 64);
        QCOMPARE(boxes.boxes.last().title, title);
    }
    if (needsCode)
        QCOMPARE(w->focusWidget(), w->codeBox());
    else if (print)
        QCOMPARE(printed, rows ? 1 : 0);
    else if (rows && kind == ProductWise)
        QCOMPARE(viewerCloser->shown, 1);
    else if (rows)
        QVERIFY(w->lastViewer() && w->lastViewer()->isVisible());
    else if (kind == ProductWise)
        QCOMPARE(w->nameBox()->text(), QStringLiteral("All Companies"));

    // Everything the user entered is still there, and the window still works.
    QCOMPARE(w->codeBox()->text(), codeAfter);
    if (auto *range = qobject_cast<InvoiceRangeWindow *>(w)) {
        QCOMPARE(range->fromInvoiceBox()->text(), QStringLiteral("1"));
        QCOMPARE(range->toInvoiceBox()->text(), QString());
    }
    lookups.reset();
    viewerCloser.reset();
    setPrintHandler({});
    checkStillWorks(w, kind);
}

const tst_HostileInput::Baseline &tst_HostileInput::invoiceBaseline(int kind, bool toBox)
{
    auto [it, fresh] = m_baselines.try_emplace(100 + kind * 2 + int(toBox));
    if (!fresh)
        return it->second;
    auto *w = static_cast<InvoiceRangeWindow *>(kWindows[kind].open());
    resetWindow(w);
    (toBox ? w->toInvoiceBox() : w->fromInvoiceBox())->setText(QStringLiteral("7"));
    QTest::mouseClick(w->previewButton(), Qt::LeftButton);
    it->second.preview = takeStep();
    // A blank box bounds nothing at its end: that statement is harmless too.
    deleteWindows<RptReportViewer, RptReportViewer>();
    (toBox ? w->toInvoiceBox() : w->fromInvoiceBox())->clear();
    QTest::mouseClick(w->previewButton(), Qt::LeftButton);
    it->second.preview += g_trace.take();
    deleteWindows<RptReportViewer, RptReportViewer>();
    return it->second;
}

void tst_HostileInput::invoiceBox_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<bool>("toBox");
    QTest::addColumn<int>("how");
    QTest::addColumn<QString>("input");
    QTest::addColumn<QString>("entry");     // what the box holds
    QTest::addColumn<QString>("message");   // "" = rows shown
    QTest::addColumn<int>("style");
    QTest::addColumn<QString>("title");     // "" = the window's caption
    const QList<QPair<const char *, QString>> cases = {
        {"tautology", "1 OR 1=1"}, {"apostrophe", "7'"}, {"drop table", "1; DROP TABLE Parties"}, {"comment", "1--"},
        {"block comment", "1/**/"}, {"percent", "7%"}, {"tab", "7\t"}, {"CR LF", "7\r\n"}, {"NUL", QString("7") + QChar(0)},
        {"no-break space", QString("7") + QChar(0xA0)}, {"ideographic space", QString("7") + QChar(0x3000)},
        {"RTL override", QChar(0x202E) + QString("7")}, {"Arabic digits", QString::fromUtf8("\u0667")},
        {"over maximum", "1234567890123"},
    };
    const auto isDigit = [](QChar ch) { return ch >= QLatin1Char('0') && ch <= QLatin1Char('9'); };
    for (bool toBox : {false, true}) {
        const char *side = toBox ? "To" : "From";
        const QString refused = QString::fromLatin1(side) + QStringLiteral(" Invoice No must be a whole number.");
        // From 1 stands in the other box while To is entered.
        const QString reversed = QStringLiteral("From Invoice No must be less than or equal to To Invoice No");
        auto add = [&](int kind, const char *name, Entry how, const QString &input, const QString &entry, bool rows,
                       bool whole = true, bool below = false) {
            QTest::addRow("%s %s: %s, %s", kWindows[kind].name, side, name, entryName(how))
                << kind << toBox << int(how) << input << entry
                << (!whole ? refused : below ? reversed : rows ? QString() : QStringLiteral("No record exists."))
                << (!whole ? 16 : below ? 48 : rows ? 0 : 64) << (below ? QStringLiteral("Alert") : QString());
        };
        for (const auto &[name, input] : cases) {
            // Purchase register: typed keys other than digits are swallowed; pasted
            // text must be a whole number. From 1 / To open find purchases 7, 120,
            // 130 and 100001: a From end over 100001 or a To end below 7 finds none.
            QString digits;
            std::copy_if(input.begin(), input.end(), std::back_inserter(digits), isDigit);
            digits = digits.left(9);
            const QString pasted = input.left(9);
            const QString bare = sqlTrimmed(pasted);
            const bool whole = !bare.isEmpty() && std::all_of(bare.begin(), bare.end(), isDigit);
            const auto rowsFor = [&](const QString &number) {
                const QString n = sqlTrimmed(number);
                return n.isEmpty() || (toBox ? n.toLongLong() >= 7 : n.toLongLong() <= 100001);
            };
            const auto belowFrom = [&](const QString &number) {
                return toBox && !sqlTrimmed(number).isEmpty() && sqlTrimmed(number).toLongLong() < 1;
            };
            add(Register, name, Entry::Typed, input, digits, rowsFor(digits), true, belowFrom(digits));
            add(Register, name, Entry::Pasted, input, pasted, rowsFor(pasted), whole, whole && belowFrom(pasted));
            // Return register: no key filter, the SQL takes the leading number
            // (none gives 0, below the From 1 of a To row). Returns 0, 7, 15 and 40 lie in March.
            const double n = LeadingNumber(pasted);
            const bool rows = toBox ? n >= 7 : n <= 40;
            const bool below = toBox && !isSqlBlank(pasted) && !pasted.trimmed().isEmpty() && n < 1;
            add(ReturnRegister, name, Entry::Pasted, input, pasted, rows, true, below);
            if (std::all_of(input.begin(), input.end(), [](QChar ch) { return ch.isPrint(); }))
                add(ReturnRegister, name, Entry::Typed, input, pasted, rows, true, below);
        }
    }
}

void tst_HostileInput::invoiceBox()
{
    QFETCH(int, kind);
    QFETCH(bool, toBox);
    QFETCH(int, how);
    QFETCH(QString, input);
    QFETCH(QString, entry);
    QFETCH(QString, message);
    QFETCH(int, style);
    QFETCH(QString, title);
    const StepTrace &baseline = invoiceBaseline(kind, toBox).preview;
    MessageRecorder boxes;
    auto lookups = std::make_unique<ModalDriver<LookupDialog>>();
    auto *w = static_cast<InvoiceRangeWindow *>(kWindows[kind].open());
    resetWindow(w);
    QLineEdit *box = toBox ? w->toInvoiceBox() : w->fromInvoiceBox();
    QLineEdit *other = toBox ? w->fromInvoiceBox() : w->toInvoiceBox();
    const QString otherText = other->text();
    box->clear();
    enterText(box, input, Entry(how));
    QCOMPARE(box->text(), entry);
    QTest::mouseClick(w->previewButton(), Qt::LeftButton);
    const StepTrace preview = takeStep();
    QVERIFY2(shapeProblem(preview, baseline).isEmpty(), qPrintable(shapeProblem(preview, baseline)));
    QCOMPARE(lookups->shown, 0);
    QCOMPARE(boxes.texts(), message);
    if (!message.isEmpty()) {
        QCOMPARE(boxes.boxes.at(0).style, style);
        QCOMPARE(boxes.boxes.at(0).title, title.isEmpty() ? w->caption() : title);
    } else {
        QVERIFY(w->lastViewer() && w->lastViewer()->isVisible());
    }
    if (style == 16 || style == 48)
        QCOMPARE(preview.statements.size(), 0);   // refused before any statement
    QCOMPARE(box->text(), entry);
    QCOMPARE(other->text(), otherText);
    QCOMPARE(w->codeBox()->text(), QString());
    lookups.reset();
    box->setText(toBox ? QStringLiteral("200") : QStringLiteral("7"));
    checkStillWorks(w, kind);
}

void tst_HostileInput::lookupFilter_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("how");
    QTest::addColumn<QString>("input");
    for (int kind = Vendors; kind <= Companies; ++kind) {
        auto add = [&](const char *what, Entry how, const QString &input) {
            QTest::addRow("%s: %s, %s", kLookups[kind].name, what, entryName(how)) << kind << int(how) << input;
        };
        add("harmless", Entry::Typed, QStringLiteral("a"));
        for (const Payload &p : hostilePayloads()) {
            if (p.typeable)
                add(p.name, Entry::Typed, p.text);
            add(p.name, Entry::Pasted, p.text);
        }
        // Names the list holds, and the box's 30-character limit.
        add("apostrophe inside a name", Entry::Typed, "O'B"); add("quoted word", Entry::Pasted, "\"Q\"");
        add("comment inside a name", Entry::Typed, ";Colon --"); add("pattern signs", Entry::Pasted, "5_%");
        add("decomposed e acute", Entry::Pasted, QString::fromUtf8("Cafe\u0301"));
        add("Arabic name", Entry::Typed, QString::fromUtf8("\u0645\u062D\u0645\u062F"));
        add("Hebrew name", Entry::Pasted, QString::fromUtf8("\u05E9\u05DC\u05D5\u05DD"));
        add("apostrophes at maximum", Entry::Pasted, QString(30, QLatin1Char('\'')));
        add("apostrophes over maximum", Entry::Set, QString(40, QLatin1Char('\'')));
        add("emoji cut by maximum", Entry::Pasted, QString(29, QLatin1Char('a')) + QString::fromUtf8("\xF0\x9F\x98\x80"));
    }
}

void tst_HostileInput::lookupFilter()
{
    QFETCH(int, kind);
    QFETCH(int, how);
    QFETCH(QString, input);
    const QMap<QString, QString> names = listNames(m_db, kind);
    LookupDialog *d = kLookups[kind].open();
    MessageRecorder boxes;
    // What the dialog showed after the hostile text, read while it is open.
    QString filterText, handBack = QStringLiteral("unset"), messages;
    QStringList grid;
    int currentRow = -1;
    bool usable = false;   // focus still in the filter, Select enabled
    StepTrace hostile, benign;
    QTimer::singleShot(0, d, [&] {
        g_trace.take();
        enterText(d->filterBox(), input, Entry(how));
        hostile = takeStep();
        filterText = d->filterBox()->text();
        const int id = d->gridColumn(QStringLiteral("ID"));
        for (int r = 0; r < d->gridModel()->rowCount(); ++r)
            grid << d->gridModel()->index(r, id).data().toString();
        currentRow = d->grid()->currentIndex().row();
        usable = d->focusWidget() == d->filterBox() && d->selectButton()->isEnabled();
        handBack = kLookups[kind].handBack(d);
        messages = boxes.texts();
        d->filterBox()->selectAll();
        QTest::keyClicks(d->filterBox(), QString::fromLatin1(kLookups[kind].benignName));
        benign = takeStep();
        QTest::keyClick(d->filterBox(), Qt::Key_Return);
        if (d->isVisible())
            d->reject();
    });
    const int result = d->showModal(nullptr);
    QCOMPARE(filterText, input.left(30));   // whole, up to the box's 30 characters
    QCOMPARE(messages, QString());
    // The list was read when the dialog opened; whatever is typed is matched
    // where it stands, and nothing is asked of the database.
    QCOMPARE(hostile.statements.size(), 0);
    QCOMPARE(benign.statements.size(), 0);
    if (kind == Companies) {
        QCOMPARE(grid.size(), names.size());
        const auto begins = std::find_if(grid.cbegin(), grid.cend(), [&](const QString &code) {
            return likeMatchesBare(QString(filterText + QLatin1Char('%')), names.value(code));
        });
        // Nothing begins so: no row.
        const int found = begins == grid.cend() ? -1 : int(begins - grid.cbegin());
        QCOMPARE(currentRow, filterText.trimmed().isEmpty() ? 0 : found);
    } else {
        // The grid holds the names containing the text, % and _ as patterns.
        QStringList expected;
        for (auto it = names.begin(); it != names.end(); ++it) {
            if (likeMatchesBare(QString(QLatin1Char('%') + filterText + QLatin1Char('%')), it.value()))
                expected << it.key();
        }
        grid.sort();
        expected.sort();
        QCOMPARE(grid, expected);
        QCOMPARE(handBack, QString());
    }
    QVERIFY(usable);
    QCOMPARE(result, int(QDialog::Accepted));
    QCOMPARE(kLookups[kind].handBack(d), QString::fromLatin1(kLookups[kind].benignCode));
}

void tst_HostileInput::databaseUnchanged()
{
    QCOMPARE(databaseState(), m_before);
    for (const TracedStatement &s : g_trace.all)
        QVERIFY2(s.readOnly, qPrintable(s.sql));
    // The witness saw the matrix.
    QVERIFY2(g_trace.all.size() > 500, qPrintable(QString::number(g_trace.all.size())));
}

QTEST_MAIN(tst_HostileInput)
#include "tst_HostileInput.moc"
