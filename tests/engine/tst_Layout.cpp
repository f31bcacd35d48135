#include "CaughtError.h"
#include "Layout.h"

#include <QtTest>

using namespace orvane;
using orvane::test::errorOf;

namespace {

// A valid layout with one placeholder, @OBJ@, replaced by each case.
const char *kTemplate = R"({
  "name": "crpX",
  "parameters": ["One"],
  "groups": [ { "field": "purchaseid", "header": "GH", "footer": "GF" } ],
  "sections": [
    { "name": "PH", "kind": "pageHeader", "height": 10, "objects": [
      { "name": "txtA", "kind": "text", "text": "A", "rect": [0, 0, 50, 5] } ] },
    { "name": "GH", "kind": "groupHeader", "height": 5 },
    { "name": "D", "kind": "detail", "height": 5, "objects": [
      { "name": "fldB", "kind": "field", "field": "qty", "format": "integer", "rect": [0, 0, 20, 5] },
      @OBJ@ ] },
    { "name": "GF", "kind": "groupFooter", "height": 5 }
  ]
})";

QByteArray withObject(const char *object)
{
    return QByteArray(kTemplate).replace("@OBJ@", object);
}

} // namespace

class tst_Layout : public QObject
{
    Q_OBJECT

private slots:
    void validObjects_data()
    {
        QTest::addColumn<QByteArray>("object");
        QTest::addColumn<int>("kind");
        QTest::newRow("money summary") << QByteArray(R"({ "name": "s", "kind": "summary", "field": "NetValue", "format": "money", "rect": [0,0,1,1] })")
                                       << int(ObjectKind::Summary);
        QTest::newRow("parameter") << QByteArray(R"({ "name": "p", "kind": "special", "special": "parameter", "position": 1, "rect": [0,0,1,1] })")
                                   << int(ObjectKind::Special);
        QTest::newRow("box with fill") << QByteArray("{ \"name\": \"b\", \"kind\": \"box\", \"fillColor\": \"#FFFFFF\", \"rect\": [0,0,1,1] }")
                                       << int(ObjectKind::Box);
        QTest::newRow("picture") << QByteArray(R"({ "name": "i", "kind": "picture", "source": ":/x.png", "rect": [0,0,1,1] })")
                                 << int(ObjectKind::Picture);
    }

    void validObjects()
    {
        QFETCH(QByteArray, object);
        QFETCH(int, kind);
        const Layout l = Layout::parse(withObject(object.constData()), QStringLiteral("crpX.json"));
        QCOMPARE(int(l.sections.size()), 4);
        QCOMPARE(int(l.sections[2].objects[1].kind), kind);
        QCOMPARE(l.groups[0].headerSection, 1);
        QCOMPARE(l.groups[0].footerSection, 3);
        QCOMPARE(l.sections[3].group, 0);
    }

    void malformed_data()
    {
        QTest::addColumn<QByteArray>("json");
        QTest::addColumn<QString>("message");

        QTest::newRow("misspelt kind") << withObject(R"({ "name": "x", "kind": "txet", "rect": [0,0,1,1] })")
            << "sections[2].objects[1]: unknown kind 'txet'";
        QTest::newRow("object without name") << withObject(R"({ "kind": "text", "rect": [0,0,1,1] })")
            << "sections[2].objects[1]: 'name' missing";
        QTest::newRow("rect with three numbers") << withObject(R"({ "name": "x", "kind": "text", "rect": [0,0,1] })")
            << "sections[2].objects[1].rect: [x, y, width, height] in mm expected";
        QTest::newRow("colour without hash") << withObject(R"({ "name": "x", "kind": "text", "rect": [0,0,1,1], "backColor": "FF0000" })")
            << "sections[2].objects[1].backColor: colour must be \"#RRGGBB\" or \"none\"";
        QTest::newRow("unknown key") << withObject("{ \"name\": \"x\", \"kind\": \"text\", \"rect\": [0,0,1,1], \"colour\": \"#000000\" }")
            << "sections[2].objects[1]: unknown key 'colour'";
        QTest::newRow("field without column") << withObject(R"({ "name": "x", "kind": "field", "rect": [0,0,1,1] })")
            << "sections[2].objects[1]: 'field' missing";
        QTest::newRow("unknown format") << withObject(R"({ "name": "x", "kind": "field", "field": "a", "format": "currency", "rect": [0,0,1,1] })")
            << "sections[2].objects[1]: unknown format 'currency'";
        QTest::newRow("duplicate object name") << withObject(R"({ "name": "txtA", "kind": "text", "rect": [0,0,1,1] })")
            << "sections[2].objects[1]: object name 'txtA' used twice";
        QTest::newRow("undeclared parameter") << withObject(R"({ "name": "x", "kind": "special", "special": "parameter", "position": 2, "rect": [0,0,1,1] })")
            << "sections[2].objects[1]: parameter 2 is not declared";
        QTest::newRow("font too small") << withObject(R"({ "name": "x", "kind": "text", "rect": [0,0,1,1], "font": { "size": 0.5 } })")
            << "sections[2].objects[1].font.size: size 0.5 is not between 1 and 200 points";
        QTest::newRow("bad border side") << withObject(R"({ "name": "x", "kind": "text", "rect": [0,0,1,1], "border": { "sides": "LX" } })")
            << "sections[2].objects[1].border.sides: unknown side 'X'";
        QTest::newRow("link on a text") << withObject(R"({ "name": "x", "kind": "text", "rect": [0,0,1,1], "link": { "target": "r" } })")
            << "sections[2].objects[1].link: only a field can be a link";
        QTest::newRow("link without target") << withObject(R"({ "name": "x", "kind": "field", "field": "a", "rect": [0,0,1,1], "link": { "field": "b" } })")
            << "sections[2].objects[1].link: 'target' missing";
        QTest::newRow("broken JSON") << QByteArray("{\n \"name\": \"crpX\",\n \"sections\": [ }\n")
            << "line 3: ";
        QTest::newRow("group names missing section") << QByteArray(kTemplate).replace("@OBJ@", R"({ "name": "y", "kind": "line", "rect": [0,0,1,0] })").replace("\"footer\": \"GF\"", "\"footer\": \"GF9\"")
            << "groups[0].footer: no section named 'GF9'";
        QTest::newRow("group footer is a detail") << QByteArray(kTemplate).replace("@OBJ@", R"({ "name": "y", "kind": "line", "rect": [0,0,1,0] })").replace("\"footer\": \"GF\"", "\"footer\": \"D\"")
            << "groups[0].footer: section 'D' is not a groupFooter";
        QTest::newRow("zero height") << QByteArray(R"({ "name": "crpX", "sections": [ { "name": "D", "kind": "detail", "height": 0 } ] })")
            << "sections[0].height: height must be above 0 mm";
        QTest::newRow("unknown section kind") << QByteArray(R"({ "name": "crpX", "sections": [ { "name": "D", "kind": "body", "height": 5 } ] })")
            << "sections[0]: unknown kind 'body'";
        QTest::newRow("orphan group header") << QByteArray(R"({ "name": "crpX", "sections": [ { "name": "G", "kind": "groupHeader", "height": 5 } ] })")
            << "sections[0]: section 'G' belongs to no group";
        QTest::newRow("no sections") << QByteArray(R"({ "name": "crpX" })")
            << "sections: list of sections expected";
        QTest::newRow("unknown paper") << QByteArray(R"({ "name": "crpX", "page": { "size": "B5" }, "sections": [] })")
            << "page: unknown size 'B5'";
        QTest::newRow("missing file") << QByteArray() << "cannot open the layout";
    }

    void malformed()
    {
        QFETCH(QByteArray, json);
        QFETCH(QString, message);
        const QString error = errorOf([&] {
            json.isNull() ? Layout::load(QStringLiteral("/nonexistent/crpX.json")) : Layout::parse(json, QStringLiteral(":/layouts/crpX.json"));
        });
        QVERIFY2(error.startsWith(QStringLiteral("Report engine: crpX.json: ") + message), qPrintable(error));
    }

    void colours_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("value");
        QTest::newRow("red") << "#FF0000" << 0x0000FF;
        QTest::newRow("orange") << "#FF8000" << 0x0080FF;
        QTest::newRow("white") << "#FFFFFF" << 0xFFFFFF;
        QTest::newRow("none") << "none" << -1;
    }

    void colours()
    {
        QFETCH(QString, text);
        QFETCH(int, value);
        bool ok = false;
        QCOMPARE(parseColor(text, &ok), value);
        QVERIFY(ok);
        QCOMPARE(colorText(value), text);
    }
};

QTEST_GUILESS_MAIN(tst_Layout)
#include "tst_Layout.moc"
