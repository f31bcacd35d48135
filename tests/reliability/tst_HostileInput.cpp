// Hostile text through every box whose content reaches SQL: the code boxes of
// the seven report windows, the number boxes of the two registers and the
// filter box of the four lookups, typed and pasted.
//
// The witness is SQLite itself, not the component's guard: a statement trace on
// the connection's handle records every statement that runs and whether SQLite
// calls it read-only, and a small tokenizer compares each statement's shape
// with the one the same action gives for a harmless code. The database file's
// checksum and row counts are compared at the end.

#include "ReportFixture.h"

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

// --- The witness ------------------------------------------------------------

struct TracedStatement
{
    QString sql;
    bool readOnly = true;
};

struct StatementTrace
{
    bool recording = false;
    QList<TracedStatement> all;      // everything since the trace was installed
    QList<TracedStatement> recent;   // since the last take()

    QList<TracedStatement> take() { return std::exchange(recent, {}); }
};

StatementTrace g_trace;

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

/// The statement's shape: string literals and numbers stand for their kind,
/// words for themselves (lower case), punctuation for itself; a comment, a
/// statement break or a character SQL cannot read shows as its own token.
QStringList skeleton(const QString &sql)
{
    QStringList tokens;
    // SQL reads only ASCII digits as a number; any other character outside a
    // literal or a bracketed name is one it cannot read.
    const auto isDigit = [](QChar c) { return c >= QLatin1Char('0') && c <= QLatin1Char('9'); };
    const auto isWordStart = [](QChar c) { return c.unicode() < 0x80 && (c.isLetter() || c == QLatin1Char('_')); };
    const auto isWordPart = [&](QChar c) { return isWordStart(c) || isDigit(c) || c == QLatin1Char('$'); };
    const auto signMayStart = [&]() {
        if (tokens.isEmpty())
            return true;
        const QString &last = tokens.last();
        if (last == QLatin1String("NUMBER") || last == QLatin1String("STRING") || last == QLatin1String(")")
            || last == QLatin1String("NAME"))
            return false;
        static const QStringList keywords{"between", "and", "or", "not", "where", "when", "then", "else", "select"};
        return !last.front().isLetter() || keywords.contains(last);
    };
    int i = 0;
    const int n = int(sql.size());
    while (i < n) {
        const QChar c = sql.at(i);
        const ushort u = c.unicode();
        if (u == ' ' || u == '\t' || u == '\n' || u == '\r' || u == '\f' || u == '\v') {
            ++i;
        } else if (c == QLatin1Char('\'')) {
            int j = i + 1;
            bool closed = false;
            while (j < n) {
                if (sql.at(j) == QLatin1Char('\'')) {
                    if (j + 1 < n && sql.at(j + 1) == QLatin1Char('\'')) {
                        j += 2;
                        continue;
                    }
                    closed = true;
                    break;
                }
                ++j;
            }
            tokens << (closed ? QStringLiteral("STRING") : QStringLiteral("UNCLOSED-STRING"));
            i = j + 1;
        } else if (c == QLatin1Char('[') || c == QLatin1Char('"')) {
            const QChar close = c == QLatin1Char('[') ? QLatin1Char(']') : QLatin1Char('"');
            const int j = int(sql.indexOf(close, i + 1));
            tokens << QStringLiteral("NAME");
            i = j < 0 ? n : j + 1;
        } else if (c == QLatin1Char('-') && i + 1 < n && sql.at(i + 1) == QLatin1Char('-')) {
            tokens << QStringLiteral("COMMENT");
            const int j = int(sql.indexOf(QLatin1Char('\n'), i));
            i = j < 0 ? n : j + 1;
        } else if (c == QLatin1Char('/') && i + 1 < n && sql.at(i + 1) == QLatin1Char('*')) {
            tokens << QStringLiteral("COMMENT");
            const int j = int(sql.indexOf(QLatin1String("*/"), i + 2));
            i = j < 0 ? n : j + 2;
        } else if (isDigit(c) || (c == QLatin1Char('.') && i + 1 < n && isDigit(sql.at(i + 1)))
                   || (c == QLatin1Char('-') && i + 1 < n && isDigit(sql.at(i + 1)) && signMayStart())) {
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
        } else if (u < 0x20 || u >= 0x80) {
            tokens << QStringLiteral("UNREADABLE");
            ++i;
        } else {
            static const QStringList pairs{"<=", ">=", "<>", "!=", "==", "||"};
            const QString two = sql.mid(i, 2);
            if (pairs.contains(two)) {
                tokens << two;
                i += 2;
            } else {
                tokens << QString(c);
                ++i;
            }
        }
    }
    return tokens;
}

QString shapeText(const QStringList &tokens)
{
    return tokens.join(QLatin1Char(' '));
}

// --- Typing and pasting -----------------------------------------------------

enum class Entry { Typed, Pasted, Set };

void typeText(QWidget *box, const QString &text)
{
    for (const QChar c : text) {
        if (c.unicode() >= 0x20 && c.unicode() < 0x7f)
            QTest::keyClick(box, char(c.unicode()));
        else   // what an input method or a keyboard layout delivers
            QTest::sendKeyEvent(QTest::Click, box, Qt::Key_unknown, QString(c), Qt::NoModifier);
    }
}

void enterText(QLineEdit *box, const QString &text, Entry how)
{
    box->setFocus(Qt::OtherFocusReason);
    switch (how) {
    case Entry::Typed:
        typeText(box, text);
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

/// What the box must hold after `text` went in: all of it up to the box's
/// maximum length (typed text only ever holds printable characters).
QString expectedEntry(const QString &text, int maxLength)
{
    return text.left(maxLength);
}

// --- Names the lookups narrow -----------------------------------------------

/// SQL LIKE as the lookups promise it: % any run, _ any one character,
/// letters compared without regard to case.
bool likeMatches(QStringView pattern, QStringView text)
{
    if (pattern.isEmpty())
        return text.isEmpty();
    const QChar p = pattern.front();
    if (p == QLatin1Char('%')) {
        for (qsizetype k = 0; k <= text.size(); ++k) {
            if (likeMatches(pattern.mid(1), text.mid(k)))
                return true;
        }
        return false;
    }
    if (text.isEmpty())
        return false;
    if (p != QLatin1Char('_') && QString(p).toCaseFolded() != QString(text.front()).toCaseFolded())
        return false;
    return likeMatches(pattern.mid(1), text.mid(1));
}

// --- The report windows -----------------------------------------------------

enum WindowKind { ReturnSummary, Summary, ReturnRegister, Register, Ledger, ReturnLedger, ProductWise };

struct WindowInfo
{
    const char *name;
    int codeMaxLength;
    const char *benignCode;   // names a record with rows in March 2024
    bool productCode;         // the ledgers: a code is required
};

const WindowInfo kWindows[] = {
    {"return summary", 10, "7", false},  {"purchase summary", 10, "7", false},
    {"return register", 10, "7", false}, {"purchase register", 5, "7", false},
    {"ledger", 10, "5", true},           {"return ledger", 10, "5", true},
    {"product-wise", 2, "1", false},
};

ReportWindow *openWindow(int kind)
{
    switch (kind) {
    case ReturnSummary: return openReportWindow<RptPurchaseReturnSummary>();
    case Summary: return openReportWindow<pmtPurchaseSummary>();
    case ReturnRegister: return openReportWindow<RptPurchaseReturnRegister>();
    case Register: return openReportWindow<pmtPurchaseRegisterIW>();
    case Ledger: return openReportWindow<RptPurchaseLedger>();
    case ReturnLedger: return openReportWindow<pmtPurchaseReturnLedger>();
    case ProductWise: return openReportWindow<RptProductWisePurchases>();
    }
    return nullptr;
}

/// The statements one step of a user's action ran.
struct StepTrace
{
    QList<TracedStatement> statements;
    std::set<QString> shapes;
};

StepTrace takeStep()
{
    StepTrace step;
    step.statements = g_trace.take();
    for (const TracedStatement &s : step.statements)
        step.shapes.insert(shapeText(skeleton(s.sql)));
    return step;
}

/// Every statement read only, and shaped like one the harmless action ran.
QString shapeProblem(const StepTrace &hostile, const StepTrace &benign)
{
    for (const TracedStatement &s : hostile.statements) {
        if (!s.readOnly)
            return QStringLiteral("a statement that is not a read ran: ") + s.sql;
        const QString shape = shapeText(skeleton(s.sql));
        if (!benign.shapes.count(shape)) {
            QString known;
            for (const QString &k : benign.shapes)
                known += QStringLiteral("\n  harmless: ") + k;
            return QStringLiteral("statement changed shape: ") + s.sql + QStringLiteral("\n  hostile:  ") + shape
                + known;
        }
    }
    return QString();
}

bool isSqlBlank(const QString &text)
{
    for (const QChar c : text) {
        const ushort u = c.unicode();
        if (!(u == ' ' || u == '\t' || u == '\n' || u == '\r' || u == '\f' || u == '\v'))
            return false;
    }
    return true;
}

/// `text` without the blanks SQL itself skips around a number.
QString sqlTrimmed(const QString &text)
{
    qsizetype b = 0, e = text.size();
    while (b < e && isSqlBlank(QString(text.at(b))))
        ++b;
    while (e > b && isSqlBlank(QString(text.at(e - 1))))
        --e;
    return text.mid(b, e - b);
}

struct Payload
{
    const char *name;
    QString text;
    bool typeable;   // printable characters only, so a keyboard can type it
};

QList<Payload> hostilePayloads()
{
    return {
        {"apostrophe", QStringLiteral("'"), true},
        {"double quote", QStringLiteral("\""), true},
        {"tautology", QStringLiteral("' OR '1'='1"), true},
        {"drop table", QStringLiteral("'; DROP TABLE Parties; --"), true},
        {"line comment", QStringLiteral("'--"), true},
        {"block comment", QStringLiteral("/* */'"), true},
        {"semicolon", QStringLiteral(";"), true},
        {"percent", QStringLiteral("%"), true},
        {"underscore", QStringLiteral("_"), true},
        {"tab", QStringLiteral("\t"), false},
        {"CR LF", QStringLiteral("\r\n"), false},
        {"NUL", QString(QChar(0)), false},
        {"escape", QStringLiteral("\x1b"), false},
        {"no-break space", QString(QChar(0xA0)), false},
        {"ideographic space", QString(QChar(0x3000)), false},
        {"RTL override", QString(QChar(0x202E)) + QStringLiteral("1'"), false},
        {"Arabic", QString::fromUtf8("\u0645\u062D\u0645\u062F'"), true},
        {"Hebrew", QString::fromUtf8("\u05E9\u05DC\u05D5\u05DD'"), true},
        {"combining acute", QString::fromUtf8("e\u0301'"), true},
        // Half of a surrogate pair: a UTF-16 reader that takes the next unit
        // as its other half would swallow the doubled apostrophe.
        {"lone surrogate", QString(QChar(0xD83D)) + QStringLiteral("'OR 1--"), false},
    };
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
    void tokenizerShowsStructure_data();
    void tokenizerShowsStructure();

    void codeBox_data();
    void codeBox();
    void invoiceBox_data();
    void invoiceBox();
    void lookupFilter_data();
    void lookupFilter();

    void databaseUnchanged();   // last: after the whole matrix

private:
    struct Baseline
    {
        StepTrace leave;
        StepTrace preview;
    };
    const Baseline &codeBaseline(int kind);
    const StepTrace &invoiceBaseline(int kind, bool toBox);
    void resetWindow(ReportWindow *w);
    bool benignPreviewWorks(ReportWindow *w, int kind, QString *why);
    QMap<QString, QString> databaseState();

    QTemporaryDir m_dir;
    QString m_file;
    QSqlDatabase m_db;
    QMap<QString, QString> m_before;
    std::map<int, Baseline> m_codeBaselines;
    std::map<int, StepTrace> m_invoiceBaselines;
};

// --- Set-up -----------------------------------------------------------------

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
    const bool was = g_trace.recording;
    g_trace.recording = false;
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
    g_trace.recording = was;
    return state;
}

// --- The witness itself -----------------------------------------------------

void tst_HostileInput::witnessSeesWrites()
{
    // The trace must be able to fail: a write that changes nothing still
    // shows as a statement that is not read-only.
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

void tst_HostileInput::tokenizerShowsStructure_data()
{
    QTest::addColumn<QString>("benign");
    QTest::addColumn<QString>("other");
    QTest::addColumn<bool>("same");
    const QString base = QStringLiteral("select a from t where v.partyid='%1' and n between %2 and 99999");
    QTest::newRow("doubled apostrophe stays one literal") << base.arg("7", "1") << base.arg("7'' OR ''1''=''1", "007")
                                                         << true;
    QTest::newRow("negative number is one number") << base.arg("7", "1") << base.arg("7", "-3") << true;
    QTest::newRow("bare apostrophe closes the literal") << base.arg("7", "1") << base.arg("7' OR '1'='1", "1")
                                                        << false;
    QTest::newRow("comment shows") << base.arg("7", "1") << base.arg("7", "1 --") << false;
    QTest::newRow("second statement shows") << base.arg("7", "1") << base.arg("7", "1; DROP TABLE t") << false;
    QTest::newRow("unreadable character shows") << base.arg("7", "1") << base.arg("7", QStringLiteral("1\u00A0"))
                                                << false;
}

void tst_HostileInput::tokenizerShowsStructure()
{
    QFETCH(QString, benign);
    QFETCH(QString, other);
    QFETCH(bool, same);
    QCOMPARE(skeleton(other) == skeleton(benign), same);
}

// --- Code boxes of the report windows ----------------------------------------

void tst_HostileInput::resetWindow(ReportWindow *w)
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

/// A harmless code typed and confirmed, then Preview: rows, no message.
bool tst_HostileInput::benignPreviewWorks(ReportWindow *w, int kind, QString *why)
{
    MessageRecorder boxes;
    ModalCloser<LookupDialog> noLookup;
    ModalCloser<RptReportViewer> viewerCloser;
    w->codeBox()->setFocus(Qt::OtherFocusReason);
    w->codeBox()->selectAll();
    QTest::keyClicks(w->codeBox(), QString::fromLatin1(kWindows[kind].benignCode));
    QTest::keyClick(w->codeBox(), Qt::Key_Return);
    QTest::mouseClick(w->previewButton(), Qt::LeftButton);
    bool shown = false;
    if (kind == ProductWise) {
        shown = viewerCloser.shown == 1;
    } else {
        shown = w->lastViewer() && w->lastViewer()->isVisible();
    }
    if (!boxes.boxes.isEmpty() || noLookup.shown || !shown) {
        *why = QStringLiteral("next harmless Preview: messages \"%1\", lookups %2, viewer shown %3")
                   .arg(boxes.texts()).arg(noLookup.shown).arg(shown);
        return false;
    }
    return true;
}

const tst_HostileInput::Baseline &tst_HostileInput::codeBaseline(int kind)
{
    auto it = m_codeBaselines.find(kind);
    if (it != m_codeBaselines.end())
        return it->second;
    Baseline b;
    MessageRecorder boxes;
    ModalCloser<RptReportViewer> viewerCloser;
    ReportWindow *w = openWindow(kind);
    resetWindow(w);
    w->codeBox()->setFocus(Qt::OtherFocusReason);
    QTest::keyClicks(w->codeBox(), QString::fromLatin1(kWindows[kind].benignCode));
    QTest::keyClick(w->codeBox(), Qt::Key_Return);
    b.leave = takeStep();
    QTest::mouseClick(w->previewButton(), Qt::LeftButton);
    b.preview = takeStep();
    {
        // A code that names nothing opens the lookup, whose list is read then.
        ModalCloser<LookupDialog> cancel;
        QTest::mouseClick(w->lookupButton(), Qt::LeftButton);
        const StepTrace lookup = takeStep();
        b.leave.statements += lookup.statements;
        b.leave.shapes.insert(lookup.shapes.begin(), lookup.shapes.end());
    }
    if (!boxes.boxes.isEmpty() || b.leave.statements.isEmpty() || b.preview.statements.isEmpty())
        qWarning("harmless baseline of the %s window is not clean: %s", kWindows[kind].name, qPrintable(boxes.texts()));
    // An emptied code box previews every vendor or company: no code filter.
    w->codeBox()->clear();
    w->fromDate()->setFocus(Qt::OtherFocusReason);
    g_trace.take();
    QTest::mouseClick(w->previewButton(), Qt::LeftButton);
    const StepTrace all = takeStep();
    b.preview.statements += all.statements;
    b.preview.shapes.insert(all.shapes.begin(), all.shapes.end());
    deleteWindows<RptReportViewer, RptReportViewer>();
    return m_codeBaselines.emplace(kind, b).first->second;
}

void tst_HostileInput::codeBox_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("how");
    QTest::addColumn<QString>("input");
    QTest::addColumn<bool>("print");   // Print instead of Preview

    for (int kind = ReturnSummary; kind <= ProductWise; ++kind) {
        const WindowInfo &info = kWindows[kind];
        const QString code = QString::fromLatin1(info.benignCode);
        auto add = [&](const QString &what, Entry how, const QString &input, bool print = false) {
            const char *mode = how == Entry::Typed ? "typed" : how == Entry::Pasted ? "pasted" : "inserted";
            QTest::addRow("%s: %s, %s%s", info.name, qPrintable(what), mode, print ? ", Print" : "")
                << kind << int(how) << input << print;
        };
        for (const Payload &p : hostilePayloads()) {
            // After a code that names a record the text passes the lookup and
            // reaches the report query; alone it meets the lookup dialog.
            if (p.typeable)
                add(code + QStringLiteral(" + ") + QString::fromLatin1(p.name), Entry::Typed, code + p.text);
            add(code + QStringLiteral(" + ") + QString::fromLatin1(p.name), Entry::Pasted, code + p.text);
        }
        for (const Payload &p : hostilePayloads()) {
            static const QStringList printed{"tautology", "drop table", "tab", "NUL", "lone surrogate"};
            if (printed.contains(QLatin1String(p.name)))
                add(code + QStringLiteral(" + ") + QString::fromLatin1(p.name), Entry::Pasted, code + p.text, true);
        }
        add(QStringLiteral("bare tautology"), Entry::Pasted, QStringLiteral("' OR '1'='1"));
        add(QStringLiteral("bare drop table"), Entry::Typed, QStringLiteral("'; DROP TABLE Parties; --"));
        // At, and one over, the box's maximum length, closing with apostrophes
        // so a cut never leaves half an escape.
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
    const Baseline &baseline = codeBaseline(kind);

    int printed = 0;
    setPrintHandler([&](const Document &, const PrintJob &) { ++printed; });
    MessageRecorder boxes;
    auto lookups = std::make_unique<ModalCloser<LookupDialog>>();   // cancels each lookup
    auto viewerCloser = std::make_unique<ModalCloser<RptReportViewer>>();
    ReportWindow *w = openWindow(kind);
    resetWindow(w);
    auto *range = qobject_cast<InvoiceRangeWindow *>(w);

    enterText(w->codeBox(), input, Entry(how));
    const QString entry = w->codeBox()->text();
    QCOMPARE(entry, expectedEntry(input, info.codeMaxLength));
    QCOMPARE(g_trace.take().size(), 0);   // typing alone queries nothing

    // Leaving the box: the lookup reads the code's leading number.
    QTest::keyClick(w->codeBox(), Qt::Key_Return);
    const StepTrace leave = takeStep();
    QVERIFY2(shapeProblem(leave, baseline.leave).isEmpty(), qPrintable(shapeProblem(leave, baseline.leave)));
    QCOMPARE(boxes.texts(), QString());
    const bool named = LeadingNumberText(entry) == QString::fromLatin1(info.benignCode);
    if (named) {
        QCOMPARE(lookups->shown, 0);
        QVERIFY(!w->nameBox()->text().isEmpty());
        QCOMPARE(w->codeBox()->text(), entry);
        QVERIFY(w->focusWidget() != w->codeBox());
    } else {
        // The code names nothing: the lookup opens, and its Cancel empties
        // the code box and keeps the focus there.
        QCOMPARE(lookups->shown, 1);
        QCOMPARE(w->codeBox()->text(), QString());
        QCOMPARE(w->focusWidget(), w->codeBox());
    }
    const QString code = w->codeBox()->text();

    QTest::mouseClick(print ? w->printButton() : w->previewButton(), Qt::LeftButton);
    const StepTrace preview = takeStep();
    QVERIFY2(shapeProblem(preview, baseline.preview).isEmpty(), qPrintable(shapeProblem(preview, baseline.preview)));

    // What the user saw. A code that only adds blanks SQL reads as blanks
    // still names the record; any other added text names nothing.
    const QString tail = code.mid(QString::fromLatin1(info.benignCode).size());
    const bool rows = code.isEmpty() ? !info.productCode : isSqlBlank(tail);
    QString codeAfter = code;
    if (code.isEmpty() && info.productCode) {
        QCOMPARE(boxes.texts(), QStringLiteral("Enter Product Code."));
        QCOMPARE(boxes.boxes.at(0).style, 48);
        QCOMPARE(boxes.boxes.at(0).title, w->caption());
        QCOMPARE(w->focusWidget(), w->codeBox());
    } else if (rows) {
        QCOMPARE(boxes.texts(), QString());
        if (print)
            QCOMPARE(printed, 1);
        else if (kind == ProductWise)
            QCOMPARE(viewerCloser->shown, 1);
        else
            QVERIFY(w->lastViewer() && w->lastViewer()->isVisible());
    } else if (print) {
        // Nothing printed; the frame says both of its no-row messages, the
        // product-wise window only its own and keeps the code.
        QCOMPARE(printed, 0);
        const QString noneFound = QStringLiteral("No record found");
        QCOMPARE(boxes.texts(), kind == ProductWise ? noneFound : QStringLiteral("No record exists. | ") + noneFound);
        QCOMPARE(boxes.boxes.last().style, 64);
        QCOMPARE(boxes.boxes.last().title, QStringLiteral("Information"));
    } else if (kind == ProductWise) {
        QCOMPARE(boxes.texts(), QStringLiteral("No record found"));
        QCOMPARE(boxes.boxes.at(0).style, 64);
        QCOMPARE(boxes.boxes.at(0).title, QStringLiteral("Information"));
        codeAfter.clear();   // this window's Preview empties the code on no rows
        QCOMPARE(w->nameBox()->text(), QStringLiteral("All Companies"));
    } else {
        QCOMPARE(boxes.texts(), QStringLiteral("No record exists."));
        QCOMPARE(boxes.boxes.at(0).style, 64);
        QCOMPARE(boxes.boxes.at(0).title, w->caption());
    }

    // Everything the user entered is still there, and the window still works.
    QCOMPARE(w->codeBox()->text(), codeAfter);
    QCOMPARE(w->fromDate()->date(), kMarchFirst);
    QCOMPARE(w->toDate()->date(), kMarchLast);
    if (range) {
        QCOMPARE(range->fromInvoiceBox()->text(), QStringLiteral("1"));
        QCOMPARE(range->toInvoiceBox()->text(), QString());
    }
    QVERIFY(w->isEnabled() && w->isVisible());
    for (QPushButton *b : {w->previewButton(), w->printButton(), w->closeButton(), w->lookupButton()})
        QVERIFY(b->isEnabled());
    QVERIFY(w->focusWidget() && w->focusWidget()->window() == w);
    deleteWindows<RptReportViewer, RptReportViewer>();
    lookups.reset();
    viewerCloser.reset();
    setPrintHandler({});
    QString why;
    QVERIFY2(benignPreviewWorks(w, kind, &why), qPrintable(why));
}

// --- Number boxes of the two registers ----------------------------------------

const StepTrace &tst_HostileInput::invoiceBaseline(int kind, bool toBox)
{
    const int key = kind * 2 + (toBox ? 1 : 0);
    auto it = m_invoiceBaselines.find(key);
    if (it != m_invoiceBaselines.end())
        return it->second;
    ReportWindow *w = openWindow(kind);
    resetWindow(w);
    auto *range = static_cast<InvoiceRangeWindow *>(w);
    QLineEdit *box = toBox ? range->toInvoiceBox() : range->fromInvoiceBox();
    box->setText(QStringLiteral("7"));
    QTest::mouseClick(w->previewButton(), Qt::LeftButton);
    StepTrace step = takeStep();
    deleteWindows<RptReportViewer, RptReportViewer>();
    return m_invoiceBaselines.emplace(key, step).first->second;
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

    const QString fromRefused = QStringLiteral("From Invoice No must be a whole number.");
    const QString toRefused = QStringLiteral("To Invoice No must be a whole number.");
    const QString none = QStringLiteral("No record exists.");
    struct Case
    {
        const char *name;
        QString input;
    };
    const QList<Case> cases = {
        {"tautology", QStringLiteral("1 OR 1=1")},
        {"apostrophe", QStringLiteral("7'")},
        {"drop table", QStringLiteral("1; DROP TABLE Parties")},
        {"comment", QStringLiteral("1--")},
        {"block comment", QStringLiteral("1/**/")},
        {"percent", QStringLiteral("7%")},
        {"tab", QStringLiteral("7\t")},
        {"CR LF", QStringLiteral("7\r\n")},
        {"NUL", QStringLiteral("7") + QChar(0)},
        {"no-break space", QStringLiteral("7") + QChar(0xA0)},
        {"ideographic space", QStringLiteral("7") + QChar(0x3000)},
        {"RTL override", QString(QChar(0x202E)) + QStringLiteral("7")},
        {"Arabic digits", QString::fromUtf8("\u0667")},
        {"over maximum", QStringLiteral("123456789")},
    };
    // Purchase register: typed keys other than digits are swallowed; pasted
    // text must be a whole number, else the window says so (critical, 16).
    // With a From box of 1 (or the To box's 99999) the range holds March's
    // purchases unless the typed end shuts them out.
    for (bool toBox : {false, true}) {
        const char *side = toBox ? "To" : "From";
        for (const Case &c : cases) {
            QString digits;
            for (QChar ch : c.input)
                if (ch >= QLatin1Char('0') && ch <= QLatin1Char('9'))
                    digits += ch;
            digits = digits.left(5);
            const QString pasted = c.input.left(5);
            const QString bare = sqlTrimmed(pasted);
            const bool whole = !bare.isEmpty()
                && std::all_of(bare.begin(), bare.end(), [](QChar ch) { return ch >= QLatin1Char('0') && ch <= QLatin1Char('9'); });
            // From 1..12345 finds purchases 7, 120, 130 only when it stays <= 130;
            // a To end below 7 finds none.
            const auto rowsFor = [&](const QString &number) {
                if (sqlTrimmed(number).isEmpty())
                    return true;
                const qlonglong n = sqlTrimmed(number).toLongLong();
                return toBox ? n >= 7 : n <= 130;
            };
            QTest::addRow("purchase register %s: %s, typed", side, c.name)
                << int(Register) << toBox << int(Entry::Typed) << c.input << digits
                << (rowsFor(digits) ? QString() : none) << (rowsFor(digits) ? 0 : 64);
            QTest::addRow("purchase register %s: %s, pasted", side, c.name)
                << int(Register) << toBox << int(Entry::Pasted) << c.input << pasted
                << (whole ? (rowsFor(pasted) ? QString() : none) : (toBox ? toRefused : fromRefused))
                << (whole ? (rowsFor(pasted) ? 0 : 64) : 16);
        }
    }
    // Return register: any text goes in; the SQL takes its leading number
    // (none gives 0). Returns 7, 15 and 40 lie in March.
    for (bool toBox : {false, true}) {
        const char *side = toBox ? "To" : "From";
        for (const Case &c : cases) {
            const QString pasted = c.input.left(5);
            const double n = LeadingNumber(pasted);
            const bool rows = toBox ? n >= 7 : n <= 40;
            QTest::addRow("return register %s: %s, pasted", side, c.name)
                << int(ReturnRegister) << toBox << int(Entry::Pasted) << c.input << pasted
                << (rows ? QString() : none) << (rows ? 0 : 64);
            // No key filter here: typed text lands as pasted text does.
            if (std::all_of(c.input.begin(), c.input.end(), [](QChar ch) { return ch.isPrint(); }))
                QTest::addRow("return register %s: %s, typed", side, c.name)
                    << int(ReturnRegister) << toBox << int(Entry::Typed) << c.input << pasted
                    << (rows ? QString() : none) << (rows ? 0 : 64);
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
    const StepTrace &baseline = invoiceBaseline(kind, toBox);

    MessageRecorder boxes;
    auto lookups = std::make_unique<ModalCloser<LookupDialog>>();
    auto *w = static_cast<InvoiceRangeWindow *>(openWindow(kind));
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
        QCOMPARE(boxes.boxes.at(0).title, w->caption());
    } else {
        QVERIFY(w->lastViewer() && w->lastViewer()->isVisible());
    }
    if (style == 16)
        QCOMPARE(preview.statements.size(), 0);   // refused before any statement

    QCOMPARE(box->text(), entry);
    QCOMPARE(other->text(), otherText);
    QCOMPARE(w->codeBox()->text(), QString());
    QCOMPARE(w->fromDate()->date(), kMarchFirst);
    QCOMPARE(w->toDate()->date(), kMarchLast);
    QVERIFY(w->previewButton()->isEnabled() && w->printButton()->isEnabled());
    deleteWindows<RptReportViewer, RptReportViewer>();
    lookups.reset();
    box->setText(toBox ? QStringLiteral("200") : QStringLiteral("7"));
    QString why;
    QVERIFY2(benignPreviewWorks(w, kind, &why), qPrintable(why));
}

// --- Filter boxes of the lookups ----------------------------------------------

namespace {

enum LookupKind { Vendors, Parties, Products, Companies };

LookupDialog *lookupDialog(int kind)
{
    SharedState &state = SharedState::current();
    switch (kind) {
    case Vendors: return state.window<SchVendors>();
    case Parties: return state.window<SchParty>();
    case Products: return state.window<SchProducts>();
    case Companies: return state.window<SchCompany>();
    }
    return nullptr;
}

const char *const kLookupNames[] = {"vendors", "parties", "products", "companies"};

// The names each list holds, by code, read past the component.
QMap<QString, QString> listNames(QSqlDatabase db, int kind)
{
    const bool was = g_trace.recording;
    g_trace.recording = false;
    QString sql;
    switch (kind) {
    case Vendors: sql = QStringLiteral("SELECT PartyId, PartyName FROM Parties WHERE IsVendor = 1"); break;
    case Parties: sql = QStringLiteral("SELECT PartyId, PartyName FROM Parties"); break;
    case Products:
        sql = QStringLiteral("SELECT ProductId, ProductName FROM Products JOIN Companies USING (CompanyId) "
                             "WHERE IsCrop = 0");
        break;
    case Companies: sql = QStringLiteral("SELECT CompanyId, CompanyName FROM Companies"); break;
    }
    QMap<QString, QString> names;
    QSqlQuery q(db);
    q.exec(sql);
    while (q.next())
        names.insert(q.value(0).toString(), q.value(1).toString());
    g_trace.recording = was;
    return names;
}

QStringList gridCodes(LookupDialog *d)
{
    QStringList codes;
    const int id = d->gridColumn(QStringLiteral("ID"));
    for (int r = 0; r < d->gridModel()->rowCount(); ++r)
        codes << d->gridModel()->index(r, id).data().toString();
    return codes;
}

struct FilterOutcome
{
    QString filterText;
    QList<TracedStatement> statements;   // while the text went in
    QStringList grid;                    // codes in the grid after it
    int currentRow = -1;
    bool focusInFilter = false;
    bool selectEnabled = false;
    QString handBack = QStringLiteral("unset");
    QString messages;
    // The next harmless narrowing and Enter.
    QString chosen;
    int result = -1;
};

QString handBackOf(LookupDialog *d, int kind)
{
    switch (kind) {
    case Vendors: return static_cast<SchVendors *>(d)->ParaOutVendorID;
    case Parties: return static_cast<SchParty *>(d)->ParaOutPartyID;
    case Products: return static_cast<SchProducts *>(d)->ParaOutProductID;
    case Companies: return static_cast<SchCompany *>(d)->ParaOutCompanyID;
    }
    return QString();
}

} // namespace

void tst_HostileInput::lookupFilter_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("how");
    QTest::addColumn<QString>("input");
    QTest::addColumn<QString>("benignName");   // typed afterwards; Enter must choose it
    QTest::addColumn<QString>("benignCode");

    const QStringList benign{"Vendor Sev", "Vendor Sev", "Panad", "Acme"};
    const QStringList codes{"7", "7", "5", "1"};
    for (int kind = Vendors; kind <= Companies; ++kind) {
        auto add = [&](const char *what, Entry how, const QString &input) {
            const char *mode = how == Entry::Typed ? "typed" : how == Entry::Pasted ? "pasted" : "inserted";
            QTest::addRow("%s: %s, %s", kLookupNames[kind], what, mode)
                << kind << int(how) << input << benign.at(kind) << codes.at(kind);
        };
        add("harmless", Entry::Typed, QStringLiteral("a"));
        for (const Payload &p : hostilePayloads()) {
            if (p.typeable)
                add(p.name, Entry::Typed, p.text);
            add(p.name, Entry::Pasted, p.text);
        }
        add("apostrophe inside a name", Entry::Typed, QStringLiteral("O'B"));
        add("quoted word", Entry::Pasted, QStringLiteral("\"Q\""));
        add("comment inside a name", Entry::Typed, QStringLiteral(";Colon --"));
        add("pattern signs", Entry::Pasted, QStringLiteral("5_%"));
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
    QFETCH(QString, benignName);
    QFETCH(QString, benignCode);

    const QMap<QString, QString> names = listNames(m_db, kind);
    LookupDialog *d = lookupDialog(kind);
    MessageRecorder boxes;
    FilterOutcome out;
    StepTrace benignStep;
    QTimer::singleShot(0, d, [&] {
        g_trace.take();
        enterText(d->filterBox(), input, Entry(how));
        out.statements = g_trace.take();
        out.filterText = d->filterBox()->text();
        out.grid = gridCodes(d);
        out.currentRow = d->grid()->currentIndex().row();
        out.focusInFilter = d->focusWidget() == d->filterBox();
        out.selectEnabled = d->selectButton()->isEnabled();
        out.handBack = handBackOf(d, kind);
        out.messages = boxes.texts();
        // The same box then takes a harmless name, and Enter chooses it.
        d->filterBox()->selectAll();
        QTest::keyClicks(d->filterBox(), benignName);
        benignStep = takeStep();
        QTest::keyClick(d->filterBox(), Qt::Key_Return);
        if (d->isVisible())
            d->reject();
    });
    out.result = d->showModal(nullptr);
    out.chosen = handBackOf(d, kind);

    // The text went in whole, up to the box's 30 characters.
    QCOMPARE(out.filterText, expectedEntry(input, 30));
    QCOMPARE(out.messages, QString());
    const QString pattern = out.filterText;

    if (kind == Companies) {
        // The list is searched where it stands; nothing is asked of the database.
        QCOMPARE(out.statements.size(), 0);
        QCOMPARE(out.grid.size(), names.size());
        int expectedRow = out.grid.size() - 1;   // nothing begins so: the last row
        if (pattern.trimmed().isEmpty()) {
            expectedRow = 0;
        } else {
            for (int r = 0; r < out.grid.size(); ++r) {
                if (likeMatches(QString(pattern + QLatin1Char('%')), names.value(out.grid.at(r)))) {
                    expectedRow = r;
                    break;
                }
            }
        }
        QCOMPARE(out.currentRow, expectedRow);
    } else {
        // One statement per change of the text, each a read of the same shape
        // as for a plain letter; the grid holds the names that contain the
        // text, % and _ taken as patterns.
        QVERIFY(!out.statements.isEmpty());
        QVERIFY(!benignStep.statements.isEmpty());
        StepTrace hostile;
        hostile.statements = out.statements;
        QVERIFY2(shapeProblem(hostile, benignStep).isEmpty(), qPrintable(shapeProblem(hostile, benignStep)));
        QStringList expected;
        for (auto it = names.begin(); it != names.end(); ++it) {
            if (likeMatches(QString(QLatin1Char('%') + pattern + QLatin1Char('%')), it.value()))
                expected << it.key();
        }
        QStringList got = out.grid;
        got.sort();
        expected.sort();
        QCOMPARE(got, expected);
        QCOMPARE(out.handBack, QString());
    }
    QVERIFY(out.focusInFilter);
    QVERIFY(out.selectEnabled);
    QCOMPARE(out.result, int(QDialog::Accepted));
    QCOMPARE(out.chosen, benignCode);
}

// --- The end ------------------------------------------------------------------

void tst_HostileInput::databaseUnchanged()
{
    QCOMPARE(databaseState(), m_before);
    int reads = 0;
    for (const TracedStatement &s : g_trace.all) {
        QVERIFY2(s.readOnly, qPrintable(s.sql));
        ++reads;
    }
    QVERIFY2(reads > 500, qPrintable(QString::number(reads)));   // the witness saw the matrix
}

QTEST_MAIN(tst_HostileInput)
#include "tst_HostileInput.moc"
