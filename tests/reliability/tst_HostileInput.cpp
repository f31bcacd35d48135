// Hostile text against every builder of a statement (the report queries, the
// code lookups, the lookup filters), payload by payload; then what the boxes of
// the windows do to such text. The witness is SQLite's own
// statement trace: nothing but reads, each shaped like one a harmless entry
// runs; the file's checksum at the end.

#include "ReportTestSupport.h"

#include "CaughtError.h"
#include "CriteriaParser.h"
#include "MessageRecorder.h"
#include "NumberParse.h"
#include "RecordsetModel.h"
#include "SchCompany.h"

#include <QClipboard>
#include <QCryptographicHash>
#include <QRegularExpression>
#include <QSqlDriver>
#include <QTemporaryDir>
#include <QtTest>

#include <sqlite3.h>

#include <set>

using namespace orvane;
using namespace orvane::test;

namespace {

struct Traced
{
    QString sql;
    bool readOnly = true;
};

/// What SQLite ran since the last take(), and everything it ran while recording.
struct StatementTrace
{
    bool recording = false;
    QList<Traced> all;
    QList<Traced> recent;
    QList<Traced> take() { return std::exchange(recent, {}); }
} g_trace;

int traceStatement(unsigned type, void *, void *p, void *)
{
    if (type == SQLITE_TRACE_STMT && g_trace.recording) {
        auto *stmt = static_cast<sqlite3_stmt *>(p);
        const Traced s{QString::fromUtf8(sqlite3_sql(stmt)), sqlite3_stmt_readonly(stmt) != 0};
        g_trace.all << s;
        g_trace.recent << s;
    }
    return 0;
}

sqlite3 *handleOf(const QSqlDatabase &db)
{
    const QVariant v = db.driver()->handle();
    return v.isValid() && qstrcmp(v.typeName(), "sqlite3*") == 0 ? *static_cast<sqlite3 *const *>(v.constData())
                                                                  : nullptr;
}

/// The statement with each literal standing for its kind: every harmless
/// entry gives the same shape, text that leaves its quotes or adds a comment
/// or a clause does not (an undoubled apostrophe in a builder fails lookupFilters).
QString skeleton(const QString &sql)
{
    static const QRegularExpression literal(QStringLiteral("'(?:[^']|'')*'"));
    static const QRegularExpression number(QStringLiteral("(?<![\\w.])\\d+(?:\\.\\d+)?(?![\\w.])"));
    QString shape = sql;
    shape.replace(literal, QStringLiteral("STRING")).replace(number, QStringLiteral("NUMBER"));
    return shape.simplified();
}

/// The shapes of what ran since the last take().
std::set<QString> shapesTaken()
{
    std::set<QString> shapes;
    for (const Traced &s : g_trace.take())
        shapes.insert(s.readOnly ? skeleton(s.sql) : QStringLiteral("NOT A READ: ") + s.sql);
    return shapes;
}

/// The shapes of `hostile` that no harmless entry gave ("" when there is none).
QString strangeShapes(const std::set<QString> &hostile, const std::set<QString> &harmless)
{
    QStringList strange;
    for (const QString &shape : hostile) {
        if (!harmless.count(shape))
            strange << shape;
    }
    return strange.join(QLatin1Char('\n'));
}

/// The payloads, each added to an entry that names a record.
const QList<QPair<const char *, QString>> &payloads()
{
    static const QList<QPair<const char *, QString>> list = {
        {"apostrophe", "'"}, {"double quote", "\""}, {"tautology", "' OR '1'='1"},
        {"drop table", "'; DROP TABLE Parties; --"}, {"line comment", "'--"}, {"block comment", "/* */'"},
        {"semicolon", ";"}, {"percent", "%"}, {"underscore", "_"}, {"tab", "\t"}, {"CR LF", "\r\n"},
        {"NUL", QString(QChar(0))}, {"escape", "\x1b"}, {"no-break space", QString(QChar(0xA0))},
        {"ideographic space", QString(QChar(0x3000))}, {"RTL override", QChar(0x202E) + QString("1'")},
        {"Arabic", QString::fromUtf8("\u0645\u062D\u0645\u062F'")}, {"combining acute", QString::fromUtf8("e\u0301'")},
        // Half of a surrogate pair: a UTF-16 reader that takes the next unit
        // as its other half would swallow the doubled apostrophe.
        {"lone surrogate", QString(QChar(0xD83D)) + QStringLiteral("'OR 1--")},
    };
    return list;
}

/// The text as it stands between the quotes of a criteria: NUL and half a
/// surrogate pair can only be U+FFFD there.
QString literalOf(const QString &payload)
{
    QString text = payload;
    for (QChar &c : text) {
        if (c.isNull() || c.isSurrogate())
            c = QChar(QChar::ReplacementCharacter);
    }
    return text;
}

/// The entry of `p` that box "code", "fromNo" or "toNo" fills.
QString &entryOf(ReportParameters &p, const QString &box)
{
    return box == QLatin1String("code") ? p.code : box == QLatin1String("fromNo") ? p.fromNo : p.toNo;
}

/// Puts `input` into `edit` as typed keys, a paste or an insert (a drop, the host's own paste).
void enterText(QLineEdit *edit, const QString &how, const QString &input)
{
    edit->setFocus();
    if (how == QLatin1String("typed")) {
        QTest::keyClicks(edit, input);
    } else if (how == QLatin1String("pasted")) {
        QGuiApplication::clipboard()->setText(input);
        QTest::keyClick(edit, Qt::Key_V, Qt::ControlModifier);
    } else {
        edit->insert(input);
    }
}

} // namespace

class tst_HostileInput : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_file;
    QSqlDatabase m_db;
    std::shared_ptr<Connection> m_connection;
    QMap<QString, QString> m_before;

    /// Row counts of every table and the file's checksum, read with the trace off.
    QMap<QString, QString> databaseState()
    {
        const bool was = std::exchange(g_trace.recording, false);
        QMap<QString, QString> state;
        for (const QString &table : m_db.tables())
            state.insert(table, QString::number(m_connection->readTable(QStringLiteral("SELECT * FROM ") + table)->rowCount()));
        QFile file(m_file);
        if (file.open(QIODevice::ReadOnly))
            state.insert(QStringLiteral("(file sha-256)"),
                         QString::fromLatin1(QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256).toHex()));
        g_trace.recording = was;
        return state;
    }

    /// Runs the report query of `p`; its rows as lines, a refusal or an error as its text.
    QStringList reportRows(ReportKind kind, const ReportParameters &p)
    {
        QStringList lines;
        const QString error = errorOf([&] { lines = rowLines(*m_connection->Execute(reportSql(kind, p, *m_connection)),
                                                             QStringLiteral("NetValue")); });
        return error == QLatin1String("<no error>") ? lines : QStringList{error};
    }

    /// The name the code lookup of `kind` finds for `typed`; "<none>", or an error as its text.
    QString lookupText(ReportKind kind, const QString &typed)
    {
        std::optional<QString> name;
        const QString error = errorOf([&] { name = lookupName(kind, typed, m_connection); });
        return error == QLatin1String("<no error>") ? name.value_or(QStringLiteral("<none>")) : error;
    }

    static const char *harmlessCode(ReportKind kind)
    {
        return reportDefinition(kind).codeKind == CodeKind::Product ? "5"
            : reportDefinition(kind).codeKind == CodeKind::Company  ? "12" : "7";
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        m_file = m_dir.filePath(QStringLiteral("hostile.sqlite"));
        m_db = createTestDatabase(m_file);
        fillReportRows(m_db);
        m_connection = Connection::create(m_db);
        m_connection->setCursorLocation(Connection::adUseClient);
        SharedState::current().SharedConnection = m_connection;
        sqlite3 *handle = handleOf(m_db);
        QVERIFY(handle);
        QCOMPARE(sqlite3_trace_v2(handle, SQLITE_TRACE_STMT, traceStatement, nullptr), SQLITE_OK);
        m_before = databaseState();
        g_trace.recording = true;
    }

    void cleanupTestCase()
    {
        g_trace.recording = false;
        if (sqlite3 *handle = handleOf(m_db))
            sqlite3_trace_v2(handle, 0, nullptr, nullptr);
        SharedState::current().deleteWindows();
        SharedState::current().SharedConnection.reset();
    }

    void cleanup() { deleteWindows<RptReportViewer>(); }

    void reportQueries_data()
    {
        QTest::addColumn<ReportKind>("kind");
        QTest::addColumn<QString>("box");   // code, fromNo or toNo
        QTest::addColumn<QString>("payload");
        for (const ReportKind kind : kAllKinds) {
            QStringList boxes{QStringLiteral("code")};
            if (kind == ReportKind::PurchaseRegisterInvoiceWise || kind == ReportKind::PurchaseReturnRegister)
                boxes << QStringLiteral("fromNo") << QStringLiteral("toNo");
            for (const QString &box : std::as_const(boxes)) {
                for (const auto &[name, text] : payloads())
                    QTest::addRow("%s, %s: %s", kindName(kind).constData(), qPrintable(box), name) << kind << box << text;
            }
        }
    }

    // A text the checks refuse builds no statement and gets the check's own
    // words. One they let through reads only the number it starts with: the
    // rows of that number, by a statement shaped like the harmless one's.
    void reportQueries()
    {
        QFETCH(ReportKind, kind);
        QFETCH(QString, box);
        QFETCH(QString, payload);
        const QString harmless = box == QLatin1String("code") ? QString::fromLatin1(harmlessCode(kind))
                                                             : QStringLiteral("7");
        ReportParameters hostile = march(reportDefinition(kind).codeRequired ? QStringLiteral("5") : QString());
        ReportParameters plain = hostile;
        QString &entry = entryOf(hostile, box), &plainEntry = entryOf(plain, box);
        plainEntry = harmless;
        const QStringList plainRows = reportRows(kind, plain);
        const std::set<QString> harmlessShapes = shapesTaken();
        QVERIFY(!plainRows.isEmpty());

        entry = harmless + payload;
        if (box == QLatin1String("code")) {
            // The code's lookup, run as the box is left, reads the leading number of any text.
            const QString name = lookupText(kind, LeadingNumberText(entry));
            const std::set<QString> plainLookup = shapesTaken();
            QCOMPARE(lookupText(kind, entry), name);
            QCOMPARE(strangeShapes(shapesTaken(), plainLookup), QString());
        }
        const QStringList rows = reportRows(kind, hostile);
        const std::set<QString> shapes = shapesTaken();
        if (const std::optional<ParameterRefusal> refusal = checkReportParameters(kind, hostile)) {
            QCOMPARE(rows, QStringList{refusal->title + QStringLiteral(": ") + refusal->message});
            QCOMPARE(shapes.size(), size_t(0));
            return;
        }
        QCOMPARE(strangeShapes(shapes, harmlessShapes), QString());
        plainEntry = LeadingNumberText(entry);
        QCOMPARE(rows, reportRows(kind, plain));
        g_trace.take();
    }

    void lookupFilters_data()
    {
        QTest::addColumn<QString>("payload");
        for (const auto &[name, text] : payloads())
            QTest::newRow(name) << text;
        QTest::newRow("apostrophes only") << QString(40, QLatin1Char('\''));
    }

    // A lookup's filter text becomes one LIKE of one column, whatever it holds,
    // and narrows the list read at load without asking the database.
    void lookupFilters()
    {
        QFETCH(QString, payload);
        const QString name = QStringLiteral("Vendor Sev") + payload;
        const QList<QPair<QString, QString>> criteria = {
            {LookupDialog::containsCriteria(QStringLiteral("PartyName"), name), QLatin1Char('%') + literalOf(name) + QLatin1Char('%')},
            {SchCompany::findCriteria(name), literalOf(name) + QLatin1Char('%')},
        };
        for (const auto &[text, pattern] : criteria) {
            std::unique_ptr<CriteriaParser::Node> root;
            QCOMPARE(errorOf([&, text = text] { root = CriteriaParser::parse(text); }), QStringLiteral("<no error>"));
            QCOMPARE(int(root->kind), int(CriteriaParser::Node::Kind::Compare));
            QCOMPARE(int(root->op), int(CriteriaParser::Node::Op::Like));
            QCOMPARE(root->literal.toString(), pattern);
        }
        Recordset vendors;
        vendors.Open(QStringLiteral("select * from Parties"), m_connection);
        g_trace.take();
        vendors.setFilter(criteria.first().first);
        vendors.setFilter(LookupDialog::containsCriteria(QStringLiteral("PartyName"), QStringLiteral("Vendor Sev")));
        QCOMPARE(vendors.RecordCount(), 1);
        QCOMPARE(g_trace.take().size(), 0);
    }

    void windowBoxes_data()
    {
        QTest::addColumn<ReportKind>("kind");
        QTest::addColumn<QString>("box");   // code, fromNo or toNo
        QTest::addColumn<QString>("how");   // typed, pasted or inserted (a drop, the host's own paste)
        QTest::addColumn<QString>("input");
        QTest::addColumn<QString>("entry");   // what the box then holds
        const ReportKind frame = ReportKind::PurchaseReturnSummary, reg = ReportKind::PurchaseRegisterInvoiceWise;
        const auto add = [](const char *name, ReportKind kind, const char *box, const char *how, const QString &input,
                            const QString &entry) { QTest::newRow(name) << kind << box << how << input << entry; };
        // Typed keys other than digits are not taken; pasted text stays whole
        // up to the box's maximum.
        add("code, typed letters and an apostrophe", frame, "code", "typed", "a7b'", "7");
        add("code, pasted apostrophe", frame, "code", "pasted", "7'", "7'");
        add("code, pasted digits between blanks", frame, "code", "pasted", " 8 ", " 8 ");
        add("code, apostrophes inserted over the maximum", frame, "code", "inserted", "7" + QString(15, '\''),
            "7" + QString(9, '\''));
        add("ledger code, pasted tautology cut at the maximum", ReportKind::ProductPurchaseLedger, "code", "pasted",
            "5' OR '1'='1", "5' OR '1'=");
        // Two characters: half of an emoji stays in the box.
        add("product-wise code, an emoji cut by the maximum", ReportKind::ProductWisePurchases, "code", "pasted",
            QString::fromUtf8("1\xF0\x9F\x98\x80"), QString::fromUtf8("1\xF0\x9F\x98\x80").left(2));
        add("register From, typed point, letters, past nine digits", reg, "fromNo", "typed", "1.a23456789012",
            "123456789");
        add("register To, pasted statement", reg, "toNo", "pasted", "1; DROP TABLE Parties", "1; DROP T");
        add("return register From, pasted apostrophe", ReportKind::PurchaseReturnRegister, "fromNo", "pasted", "7'",
            "7'");
        add("return register To, right-to-left override", ReportKind::PurchaseReturnRegister, "toNo", "pasted",
            QChar(0x202E) + QString("40"), QChar(0x202E) + QString("40"));
    }

    // Leaving the box with a click on Preview: a text the checks refuse is
    // refused there, before any statement, and stays for the user to correct;
    // any other reaches the statement builders as the box holds it.
    void windowBoxes()
    {
        QFETCH(ReportKind, kind);
        QFETCH(QString, box);
        QFETCH(QString, how);
        QFETCH(QString, input);
        QFETCH(QString, entry);
        MessageRecorder boxes;
        ModalDriver<LookupDialog> lookups;
        ModalDriver<RptReportViewer> modal;
        ReportWindow *w = openWindow(kind);
        auto *range = qobject_cast<InvoiceRangeWindow *>(w);
        QLineEdit *edit = box == QLatin1String("code") ? w->codeBox()
            : box == QLatin1String("fromNo")           ? range->fromInvoiceBox() : range->toInvoiceBox();
        w->codeBox()->clear();
        if (range) {
            range->fromInvoiceBox()->clear();
            range->toInvoiceBox()->clear();
        }
        if (reportDefinition(kind).codeRequired && edit != w->codeBox())
            typeCode(w, QStringLiteral("5"));
        g_trace.take();
        enterText(edit, how, input);
        QCOMPARE(edit->text(), entry);
        QCOMPARE(g_trace.take().size(), 0);   // typing alone queries nothing
        QTest::mouseClick(w->previewButton(), Qt::LeftButton);
        QStringList ran;
        for (const Traced &s : g_trace.take())
            ran << s.sql;

        ReportParameters p = march(w->codeBox()->text());
        if (box != QLatin1String("code"))
            entryOf(p, box) = entry;
        if (const std::optional<ParameterRefusal> refusal = checkReportParameters(kind, p)) {
            QCOMPARE(boxes.shown(), MessageRecorder::describe(refusal->style, refusal->title, refusal->message));
            QCOMPARE(ran, QStringList());
            QCOMPARE(w->focusWidget(), edit);
        } else {
            const QString report = m_connection->nativeSql(reportSql(kind, p, *m_connection));
            QVERIFY2(ran.contains(report), qPrintable(ran.join(QLatin1Char('\n'))));
        }
        QCOMPARE(lookups.shown, 0);
        QCOMPARE(edit->text(), entry);
    }

    void databaseUnchanged()   // last: after everything above
    {
        QCOMPARE(databaseState(), m_before);
        for (const Traced &s : std::as_const(g_trace.all))
            QVERIFY2(s.readOnly, qPrintable(s.sql));
        // The witness saw the matrix.
        QVERIFY2(g_trace.all.size() > 300, qPrintable(QString::number(g_trace.all.size())));
    }
};

QTEST_MAIN(tst_HostileInput)
#include "tst_HostileInput.moc"
