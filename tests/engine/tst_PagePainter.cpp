#include "Document.h"
#include "EngineTestData.h"
#include "PagePainter.h"
#include "PageTexts.h"
#include "Report.h"

#include <QImage>
#include <QPainter>
#include <QtTest>

using namespace orvane;

namespace {

QImage deviceAt(int dpi, QSize size = QSize(1, 1))
{
    QImage img(size, QImage::Format_RGB32);
    img.setDotsPerMeterX(qRound(dpi / 0.0254));
    img.setDotsPerMeterY(qRound(dpi / 0.0254));
    img.fill(Qt::white);
    return img;
}

QImage render(const Document &doc, int page, int dpi)
{
    QImage img = deviceAt(dpi, pageSizePixels(doc, deviceAt(dpi)));
    QPainter p(&img);
    paintPage(p, doc, page);
    return img;
}

QRect ink(const QImage &img, const QRect &area)
{
    QRect box;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        const QRgb *line = reinterpret_cast<const QRgb *>(img.constScanLine(y));
        for (int x = area.left(); x <= area.right(); ++x) {
            if (qGray(line[x]) < 128)
                box |= QRect(x, y, 1, 1);
        }
    }
    return box;
}

Document oneText(const char *text, double size)
{
    return test::layOut(QByteArray(R"({ "name": "t", "page": { "margins": { "left": 0, "top": 0, "right": 0, "bottom": 0 } },
      "sections": [ { "name": "R", "kind": "reportHeader", "height": 60, "objects": [
        { "name": "txt", "kind": "text", "text": "@T@", "rect": [10, 10, 190, 40], "valign": "top",
          "font": { "size": @S@ } } ] } ] })").replace("@T@", text).replace("@S@", QByteArray::number(size)), nullptr);
}

// One band: a name, two amounts, a code, a note (objects 0 to 4); margins 0.
std::vector<PlacedText> drawLine(const QVariantList &values, Document &doc, bool grow = false)
{
    const QByteArray json = QByteArray(R"({ "name": "t", "page": { "margins": { "left": 0, "top": 0, "right": 0, "bottom": 0 } },
      "sections": [ { "name": "D", "kind": "detail", "height": 6, "objects": [
        { "name": "name", "kind": "field", "field": "name", "rect": [0, 0, 40, 6], "font": { "size": 8 } @G@ },
        { "name": "amt", "kind": "field", "field": "amount", "format": "money", "rect": [40, 0, 20, 6], "@R@ },
        { "name": "amt2", "kind": "field", "field": "amount2", "format": "money", "rect": [62, 0, 20, 6], "@R@ },
        { "name": "code", "kind": "field", "field": "code", "rect": [100, 0, 15, 6], "font": { "size": 8 } },
        { "name": "note", "kind": "field", "field": "note", "rect": [116, 0, 40, 6], "font": { "size": 8 } } ] } ] })")
                                .replace("\"@R@", "\"align\": \"right\", \"font\": { \"size\": 8 }")
                                .replace("@G@", grow ? ", \"canGrow\": true" : "");
    doc = test::layOut(json, test::tableOf({QStringLiteral("name"), QStringLiteral("amount"), QStringLiteral("amount2"),
                                            QStringLiteral("code"), QStringLiteral("note")}, {values}));
    PageRenderer renderer(doc);
    return test::pageTexts(renderer, 0);
}

} // namespace

class tst_PagePainter : public QObject
{
    Q_OBJECT

private slots:
    void figureDrawnWhole_data()
    {
        QTest::addColumn<QVariantList>("values");   // name, amount, amount2, code, note
        QTest::addColumn<int>("object");
        QTest::addColumn<double>("minSize");        // points
        QTest::addColumn<double>("maxSize");
        QTest::addColumn<bool>("beside");           // reaches past its box
        const double big = -999999999999.99;
        QTest::newRow("fits at full size") << QVariantList{"Net", 1234.56, 1.0, "", ""} << 1 << 8.0 << 8.0 << false;
        QTest::newRow("smaller within its box") << QVariantList{"Net", 12345678.9, 1.0, "", ""} << 1 << 6.05 << 7.95 << false;
        QTest::newRow("at 6 pt into the blank beside it") << QVariantList{"Net", big, 1.0, "", ""} << 1 << 6.0 << 6.0 << true;
        QTest::newRow("up to the gap after a figure") << QVariantList{"Net", 1.0, big, "", ""} << 2 << 3.0 << 5.95 << true;
        QTest::newRow("below 6 pt only when hemmed in")
            << QVariantList{"Vendor with a name that fills the column", big, 1.0, "", ""} << 1 << 3.0 << 5.95 << false;
        QTest::newRow("left aligned spills rightwards") << QVariantList{"", 0.0, 0.0, 123456789012345LL, ""} << 3 << 6.0 << 6.0 << true;
        QTest::newRow("number in a text field, never cut")
            << QVariantList{"", 0.0, 0.0, 123456789012345LL, "O'Neil & Co"} << 3 << 3.0 << 5.95 << false;
    }

    // A figure too wide for its box is drawn whole: smaller down to 6 pt, then
    // beside its box, never within 1.5 mm of the text next to it.
    void figureDrawnWhole()
    {
        QFETCH(QVariantList, values);
        QFETCH(int, object);
        QFETCH(double, minSize);
        QFETCH(double, maxSize);
        QFETCH(bool, beside);
        Document doc;
        const std::vector<PlacedText> texts = drawLine(values, doc);
        auto t = std::find_if(texts.begin(), texts.end(), [&](const PlacedText &x) { return x.object == object; });
        QVERIFY(t != texts.end());
        QCOMPARE(t->text, objectText(doc, 0, doc.placements[0], object));
        QVERIFY2(t->size >= minSize && t->size <= maxSize, qPrintable(QString::number(t->size)));
        const QRectF box = doc.layout().sections[0].objects[size_t(object)].rect;
        QCOMPARE(t->box().left() < box.left() * kPtPerMm - 0.01 || t->box().right() > box.right() * kPtPerMm + 0.01, beside);
        for (const PlacedText &other : texts) {
            const double apart = std::max(other.box().left() - t->box().right(), t->box().left() - other.box().right());
            QVERIFY2(&other == &*t || apart >= (beside ? kFigureGapMm * kPtPerMm - 0.01 : 0.0),
                     qPrintable(QStringLiteral("%1 comes within %2 pt of '%3'").arg(t->text).arg(apart).arg(other.text)));
        }
    }

    void namesWrap_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("lines");    // -1: more than a page holds
        QTest::newRow("fits its line") << "Karachi Traders" << 1;
        QTest::newRow("three lines at spaces") << "Muhammad Abdul-Rahman Al-Qureshi & Brothers Trading" << 3;
        QTest::newRow("word wider than the column") << "Pneumonoultramicroscopicsilicovolcanoconiosis Ltd" << 2;
        QTest::newRow("line feed") << "Ali & Sons\nKarachi" << 2;
        QTest::newRow("accents and right-to-left")
            << QString::fromUtf8("Şükrü Öztürk Gıda Pazarlama ve Ticaret — شركة الأسمدة الوطنية المحدودة") << 4;
        QTest::newRow("more than a page holds") << QStringLiteral("Fertiliser Traders ").repeated(400) << -1;
    }

    // A long name goes on over further lines of its grown band, nothing lost, the
    // amount on its first line; one longer than a page holds ends in "…".
    void namesWrap()
    {
        QFETCH(QString, name);
        QFETCH(int, lines);
        Document doc;
        const std::vector<PlacedText> texts = drawLine({name, 1234.5, 0.0, "", ""}, doc, true);
        QCOMPARE(doc.pageCount(), 1);
        std::vector<PlacedText> shown;
        std::copy_if(texts.begin(), texts.end(), std::back_inserter(shown), [](const PlacedText &t) { return t.object == 0; });
        QString joined;
        for (size_t k = 0; k < shown.size(); ++k) {
            QVERIFY2(shown[k].width <= 40 * kPtPerMm + 0.01, qPrintable(shown[k].text));
            if (k > 0)
                QCOMPARE(shown[k].box().top(), shown[k - 1].box().bottom());
            joined += shown[k].text + QLatin1Char('|');
        }
        QCOMPARE(doc.placements[0].grow > 0, shown.size() > 1);
        const auto amount = std::find_if(texts.begin(), texts.end(), [](const PlacedText &t) { return t.object == 1; });
        QCOMPARE(amount->origin.y(), shown[0].origin.y());
        if (lines < 0) {
            QVERIFY(shown.back().text.endsWith(QChar(0x2026)));
            QVERIFY(doc.bandHeight(doc.placements[0]) <= doc.layout().bodyRectMm().height());
            return;
        }
        QVERIFY2(int(shown.size()) == lines, qPrintable(joined));
        // Every character is there, in order; only the spaces at the breaks go.
        QCOMPARE(joined.remove(QLatin1Char('|')).remove(QLatin1Char(' ')), name.remove(QLatin1Char(' ')).remove(QLatin1Char('\n')));
    }

    void pointIsAPoint_data()
    {
        QTest::addColumn<int>("dpi");
        QTest::addColumn<QSize>("page");      // A4 in whole pixels
        QTest::addColumn<QSize>("zoomed");    // at scale 2, rounded once
        QTest::newRow("96 dpi screen") << 96 << QSize(794, 1123) << QSize(1587, 2245);
        QTest::newRow("300 dpi") << 300 << QSize(2480, 3508) << QSize(4961, 7016);
    }

    // "H" in DejaVu Sans has a cap height of 0.729 em: at 72 pt that is 52.5 pt,
    // whatever the device's resolution; the text starts 10 mm from the left edge.
    void pointIsAPoint()
    {
        QFETCH(int, dpi);
        QFETCH(QSize, page);
        QFETCH(QSize, zoomed);
        const Document doc = oneText("HHHH", 72);
        QCOMPARE(pageSizePixels(doc, deviceAt(dpi)), page);
        QCOMPARE(pageSizePixels(doc, deviceAt(dpi), 2.0), zoomed);
        const QImage img = render(doc, 0, dpi);
        const QRect box = ink(img, img.rect());
        QVERIFY(!box.isEmpty());
        const double capPt = box.height() * 72.0 / dpi;
        QVERIFY2(qAbs(capPt - 52.5) < 2.0, qPrintable(QString::number(capPt)));
        const double leftMm = box.left() * 25.4 / dpi;
        QVERIFY2(leftMm > 10.0 && leftMm < 13.0, qPrintable(QString::number(leftMm)));
        // Four H's, each 0.752 em wide: the same width in points on every device.
        const double widthPt = box.width() * 72.0 / dpi;
        QVERIFY2(widthPt > 180 && widthPt < 215, qPrintable(QString::number(widthPt)));
    }

    // Amounts of different lengths end at the same right edge.
    void moneyColumnRightAligned()
    {
        Report report(test::layoutPath("register.json"));
        report.setRows(test::registerRows({25}).table);
        const Document doc = report.paginate();
        const int dpi = 200;
        const QImage img = render(doc, 0, dpi);
        auto px = [dpi](double mm) { return qRound(mm / 25.4 * dpi); };
        // Body starts at 10 mm; report header 20, page header 10, group header 6, rows 5 mm.
        int right = -1;
        QSet<int> widths;
        for (int row = 0; row < 20; ++row) {
            const double top = 10 + 36 + row * 5.0;
            const QRect area(px(160), px(top) + 1, px(40) - 1, px(5) - 2);
            const QRect box = ink(img, area);
            QVERIFY2(!box.isEmpty(), qPrintable(QStringLiteral("row %1 has no amount").arg(row)));
            if (right < 0)
                right = box.right();
            QVERIFY2(qAbs(box.right() - right) <= 1, qPrintable(QStringLiteral("row %1 ends at %2, not %3").arg(row).arg(box.right()).arg(right)));
            widths.insert(box.width() / 4);
        }
        QVERIFY(widths.size() > 1);   // the amounts really differ in length
        QVERIFY(qAbs(right - px(200)) <= px(1.5));
    }
};

QTEST_MAIN(tst_PagePainter)
#include "tst_PagePainter.moc"
