#include "Document.h"
#include "EngineTestData.h"
#include "PagePainter.h"
#include "Paginator.h"
#include "Report.h"

#include <QImage>
#include <QPainter>
#include <QtTest>

using namespace orvane;

namespace {

QImage render(const Document &doc, int page, int dpi)
{
    QImage img(1, 1, QImage::Format_RGB32);
    img.setDotsPerMeterX(qRound(dpi / 0.0254));
    img.setDotsPerMeterY(qRound(dpi / 0.0254));
    img = QImage(pageSizePixels(doc, img), QImage::Format_RGB32);
    img.setDotsPerMeterX(qRound(dpi / 0.0254));
    img.setDotsPerMeterY(qRound(dpi / 0.0254));
    img.fill(Qt::white);
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
    const QByteArray json = QByteArray(R"({ "name": "t", "page": { "margins": { "left": 0, "top": 0, "right": 0, "bottom": 0 } },
      "sections": [ { "name": "R", "kind": "reportHeader", "height": 60, "objects": [
        { "name": "txt", "kind": "text", "text": "@T@", "rect": [10, 10, 190, 40], "valign": "top",
          "font": { "size": @S@ } } ] } ] })")
                                .replace("@T@", text)
                                .replace("@S@", QByteArray::number(size));
    auto content = std::make_shared<ReportContent>();
    content->layout = Layout::parse(json, QStringLiteral("t.json"));
    return Paginator(content).paginate();
}

} // namespace

class tst_PagePainter : public QObject
{
    Q_OBJECT

private slots:
    void pointIsAPoint_data();
    void pointIsAPoint();
    void moneyColumnRightAligned();
    void pageSizes();
};

void tst_PagePainter::pointIsAPoint_data()
{
    QTest::addColumn<int>("dpi");
    QTest::newRow("72 dpi") << 72;
    QTest::newRow("96 dpi screen") << 96;
    QTest::newRow("300 dpi") << 300;
}

// "H" in DejaVu Sans has a cap height of 0.729 em: at 72 pt that is 52.5 pt,
// whatever the device's resolution; the text starts 10 mm from the left edge.
void tst_PagePainter::pointIsAPoint()
{
    QFETCH(int, dpi);
    const Document doc = oneText("HHHH", 72);
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
void tst_PagePainter::moneyColumnRightAligned()
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

void tst_PagePainter::pageSizes()
{
    const Document doc = oneText("x", 9);
    QImage img(1, 1, QImage::Format_RGB32);
    img.setDotsPerMeterX(qRound(96 / 0.0254));
    img.setDotsPerMeterY(qRound(96 / 0.0254));
    QCOMPARE(pageSizePixels(doc, img), QSize(794, 1123));
    QCOMPARE(pageSizePixels(doc, img, 2.0), QSize(1587, 2245));
}

QTEST_MAIN(tst_PagePainter)
#include "tst_PagePainter.moc"
