#include <QFile>
#include <QMap>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QXmlStreamReader>

#include "Error.h"
#include "ExportTestUtil.h"
#include "XlsxExport.h"

using namespace orvane;

namespace {

struct Cell
{
    QString type;    // the t attribute; "" means number
    int style = 0;   // the s attribute
    QString value;   // <v> or the inline string
};

/// One part of the workbook, read with the system's unzip.
QByteArray part(const QString &xlsx, const QString &name)
{
    QProcess unzip;
    unzip.start(QStringLiteral("unzip"), {QStringLiteral("-p"), xlsx, name});
    if (!unzip.waitForFinished(30000) || unzip.exitCode() != 0)
        return QByteArray();
    return unzip.readAllStandardOutput();
}

QMap<QString, Cell> cells(const QByteArray &sheetXml, const QStringList &sharedStrings)
{
    QMap<QString, Cell> result;
    QXmlStreamReader xml(sheetXml);
    QString ref;
    Cell cell;
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement() && xml.name() == QLatin1String("c")) {
            ref = xml.attributes().value(QLatin1String("r")).toString();
            cell = Cell();
            cell.type = xml.attributes().value(QLatin1String("t")).toString();
            cell.style = xml.attributes().value(QLatin1String("s")).toInt();
        } else if (xml.isStartElement()
                   && (xml.name() == QLatin1String("v") || xml.name() == QLatin1String("t"))) {
            cell.value = xml.readElementText();
        } else if (xml.isEndElement() && xml.name() == QLatin1String("c")) {
            if (cell.type == QLatin1String("s"))
                cell.value = sharedStrings.value(cell.value.toInt());
            result.insert(ref, cell);
        }
    }
    return result;
}

QStringList sharedStrings(const QByteArray &xml)
{
    QStringList strings;
    QXmlStreamReader r(xml);
    while (!r.atEnd()) {
        r.readNext();
        if (r.isStartElement() && r.name() == QLatin1String("t"))
            strings << r.readElementText();
    }
    return strings;
}

/// Per cell style index: its number format code and whether its font is bold.
struct Styles
{
    QStringList formatCode;
    QList<bool> bold;
};

Styles styles(const QByteArray &xml)
{
    QMap<int, QString> numFmts = {{0, QStringLiteral("General")}, {14, QStringLiteral("m/d/yyyy")}};
    QList<bool> boldFonts;
    Styles s;
    QXmlStreamReader r(xml);
    QString inside;
    while (!r.atEnd()) {
        r.readNext();
        if (r.isStartElement()) {
            const QStringView n = r.name();
            if (n == QLatin1String("numFmt")) {
                numFmts.insert(r.attributes().value(QLatin1String("numFmtId")).toInt(),
                               r.attributes().value(QLatin1String("formatCode")).toString());
            } else if (n == QLatin1String("fonts") || n == QLatin1String("cellXfs")
                       || n == QLatin1String("cellStyleXfs")) {
                inside = n.toString();
            } else if (n == QLatin1String("font") && inside == QLatin1String("fonts")) {
                boldFonts << false;
            } else if (n == QLatin1String("b") && inside == QLatin1String("fonts")) {
                boldFonts.last() = true;
            } else if (n == QLatin1String("xf") && inside == QLatin1String("cellXfs")) {
                s.formatCode << numFmts.value(r.attributes().value(QLatin1String("numFmtId")).toInt());
                s.bold << boldFonts.value(r.attributes().value(QLatin1String("fontId")).toInt());
            }
        } else if (r.isEndElement()
                   && (r.name() == QLatin1String("fonts") || r.name() == QLatin1String("cellXfs"))) {
            inside.clear();
        }
    }
    return s;
}

} // namespace

class tst_XlsxExport : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cellsHoldTypedValues_data();
    void cellsHoldTypedValues();
    void headerRowIsBold();
    void cancelKeepsExistingFile();
    void failureLeavesNoFile();
    void readOnlyDirectoryKeepsExistingFile();

private:
    QTemporaryDir m_dir;
    QString m_file;
    QMap<QString, Cell> m_cells;
    Styles m_styles;
};

void tst_XlsxExport::initTestCase()
{
    if (QStandardPaths::findExecutable(QStringLiteral("unzip")).isEmpty())
        QSKIP("the unzip program is needed to read the workbook back");
    m_file = m_dir.filePath(QStringLiteral("purchases.xlsx"));
    QVERIFY(exportXlsx(*test::purchaseRows(), {2, 0, 1}, m_file, {}, QStringLiteral("Purchase Summary")));
    QCOMPARE(test::strayFiles(m_dir.path(), {QStringLiteral("purchases.xlsx")}), QStringList());
    const QByteArray sheet = part(m_file, QStringLiteral("xl/worksheets/sheet1.xml"));
    QVERIFY(!sheet.isEmpty());
    m_cells = cells(sheet, sharedStrings(part(m_file, QStringLiteral("xl/sharedStrings.xml"))));
    m_styles = styles(part(m_file, QStringLiteral("xl/styles.xml")));
    QVERIFY(part(m_file, QStringLiteral("xl/workbook.xml")).contains("name=\"Purchase Summary\""));
}

void tst_XlsxExport::cellsHoldTypedValues_data()
{
    QTest::addColumn<QString>("ref");
    QTest::addColumn<QString>("kind");   // number, date, text, empty
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("format");

    // Row 2 is table row 2 (the order given), row 3 table row 0, row 4 table row 1.
    QTest::newRow("integer id") << "A3" << "number" << "101" << "General";
    QTest::newRow("date is serial day 45383") << "B3" << "date" << "45383" << "dd/mm/yyyy";
    QTest::newRow("last day of year") << "B2" << "date" << "45747" << "dd/mm/yyyy";
    QTest::newRow("text with comma, quote and apostrophe")
        << "C4" << "text" << "Ali, \"Bhai\" O'Neil" << "";
    QTest::newRow("money exact") << "D3" << "number" << "1234.5" << "#,##0.00";
    QTest::newRow("negative fraction") << "D4" << "number" << "-0.75" << "#,##0.00";
    QTest::newRow("large amount") << "D2" << "number" << "12345678.9" << "#,##0.00";
    QTest::newRow("NULL text is an empty cell") << "C2" << "empty" << "" << "";
    QTest::newRow("NULL number is an empty cell") << "E2" << "empty" << "" << "";
}

void tst_XlsxExport::cellsHoldTypedValues()
{
    QFETCH(QString, ref);
    QFETCH(QString, kind);
    QFETCH(QString, value);
    QFETCH(QString, format);

    if (kind == QLatin1String("empty")) {
        QVERIFY2(!m_cells.contains(ref) || m_cells[ref].value.isEmpty(), qPrintable(ref));
        return;
    }
    QVERIFY2(m_cells.contains(ref), qPrintable(ref));
    const Cell c = m_cells.value(ref);
    if (kind == QLatin1String("text")) {
        QVERIFY2(c.type == QLatin1String("s") || c.type == QLatin1String("inlineStr")
                     || c.type == QLatin1String("str"),
                 qPrintable(c.type));
        QCOMPARE(c.value, value);
        return;
    }
    QVERIFY2(c.type.isEmpty() || c.type == QLatin1String("n"), qPrintable(c.type));
    QCOMPARE(c.value.toDouble(), value.toDouble());
    QCOMPARE(m_styles.formatCode.value(c.style, QStringLiteral("General")), format);
}

void tst_XlsxExport::headerRowIsBold()
{
    const QStringList headers = {QStringLiteral("purchaseid"), QStringLiteral("purchasedate"),
                                 QStringLiteral("vendorname"), QStringLiteral("NetValue"),
                                 QStringLiteral("Qty")};
    for (int c = 0; c < headers.size(); ++c) {
        const QString ref = QChar(QLatin1Char('A' + c)) + QStringLiteral("1");
        QCOMPARE(m_cells.value(ref).value, headers[c]);
        QVERIFY2(m_styles.bold.value(m_cells.value(ref).style), qPrintable(ref));
    }
    QVERIFY(!m_styles.bold.value(m_cells.value(QStringLiteral("A3")).style));
}

void tst_XlsxExport::cancelKeepsExistingFile()
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("kept.xlsx"));
    {
        QFile old(file);
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write("old contents");
    }
    const bool finished = exportXlsx(*test::purchaseRows(), {0, 1, 2}, file,
                                     [](int, int) { return false; });
    QVERIFY(!finished);
    QFile f(file);
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.readAll(), QByteArray("old contents"));
    QCOMPARE(test::strayFiles(dir.path(), {QStringLiteral("kept.xlsx")}), QStringList());
}

void tst_XlsxExport::failureLeavesNoFile()
{
    const QString file = QStringLiteral("/proc/orvane-export.xlsx");
    try {
        exportXlsx(*test::purchaseRows(), {0}, file);
        QFAIL("the export should have failed");
    } catch (const Error &e) {
        QVERIFY2(e.description().contains(file), qPrintable(e.description()));
    }
    QVERIFY(!QFile::exists(file));
}

void tst_XlsxExport::readOnlyDirectoryKeepsExistingFile()
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("r.xlsx"));
    {
        QFile old(file);
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write("old");
    }
    if (!test::makeReadOnly(dir.path()))
        QSKIP("directory permissions do not bind this user (root)");
    bool threw = false;
    try {
        exportXlsx(*test::purchaseRows(), {0}, file);
    } catch (const Error &) {
        threw = true;
    }
    test::makeWritable(dir.path());
    QVERIFY(threw);
    QFile f(file);
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.readAll(), QByteArray("old"));
}

QTEST_GUILESS_MAIN(tst_XlsxExport)
#include "tst_XlsxExport.moc"
