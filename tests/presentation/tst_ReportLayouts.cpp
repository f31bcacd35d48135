// The seven report layouts: each prints with no rows at all, and every figure
// prints whole and legible under the largest amounts and longest names.

#include <QMap>
#include <QPdfWriter>
#include <QTemporaryDir>
#include <QTest>

#include "Document.h"
#include "Error.h"
#include "Layout.h"
#include "PageTexts.h"
#include "Printing.h"
#include "Report.h"
#include "ReportLayouts.h"
#include "Table.h"

using namespace orvane;

namespace {

constexpr double kLargest = 999999999999.99;   // a trading house's largest amount

// Rows that push every column of `layout` to its limit: amounts of
// ±kLargest whose document totals and grand total (sign × kLargest) are such
// amounts too, nine-digit codes, names past their 60 characters with accents
// and right-to-left script; three documents of 3, 3 and 1 lines.
std::shared_ptr<const Table> stressRows(const Layout &layout, int sign)
{
    QMap<QString, FieldFormat::Type> formats;
    for (const Section &section : layout.sections) {
        for (const LayoutObject &o : section.objects)
            formats.insert(o.field, o.format.type);
    }
    formats.remove(QString());
    const QStringList names = {
        QString::fromUtf8("Şükrü Öztürk Gıda Pazarlama ve Ticaret Anonim Şirketi, Çukurova Tarım Ürünleri"),
        QStringLiteral("Muhammad Abdul-Rahman Al-Qureshi & Brothers General Trading Co. (Private) Limited"),
        QString::fromUtf8("شركة الأسمدة الوطنية المحدودة للتجارة والتوزيع والاستيراد"),
        QStringLiteral("O'Brien \"Seeds\"; Nitrogen-Phosphate-Sulphur-Granular-Fertiliser-Extra-Strength")};
    const double amount[] = {1, -1, 1, -1, 1, -1, double(sign)};
    Table::Builder b(formats.keys());
    for (int r = 0; r < (sign ? 7 : 0); ++r) {
        b.beginRow();
        int c = 0;
        for (auto it = formats.cbegin(); it != formats.cend(); ++it, ++c) {
            const QString column = it.key().toLower();
            const bool code = column.endsWith(QLatin1String("id"));   // document, product, vendor
            const QVariant text = code ? QVariant(999999990 + r / 3 + (column.startsWith(QLatin1String("product")) ? r : 0))
                                  : column == QLatin1String("billno") || column == QLatin1String("unitname")
                                      ? QVariant(QStringLiteral("INV/2026-03/99999-Z"))
                                      : QVariant(names[(r + c) % names.size()]);
            const QVariant values[] = {text, amount[r] * kLargest, amount[r] * 99999999.99, 999999999, QDate(2026, 3, 31)};
            b.setValue(c, values[int(it.value())]);
        }
        b.endRow();
    }
    return b.finish();
}

} // namespace

class tst_ReportLayouts : public QObject
{
    Q_OBJECT

private slots:
    void stressedPages_data()
    {
        QTest::addColumn<QString>("className");
        QTest::addColumn<int>("sign");
        for (const QString &name : reportLayoutNames()) {
            QTest::addRow("%s, largest amounts", qPrintable(name)) << name << 1;
            QTest::addRow("%s, most negative amounts", qPrintable(name)) << name << -1;
            QTest::addRow("%s, no rows", qPrintable(name)) << name << 0;
        }
    }

    // On every page of every layout, under the largest amounts and the longest
    // names: each text inside its band and the page's body, no two texts over
    // one another, no heading cut, each figure drawn whole, every amount at 6 pt
    // or more. Bound to no rows, it still prints: headings and totals on one page.
    void stressedPages()
    {
        QFETCH(QString, className);
        QFETCH(int, sign);
        QVERIFY_THROWS_EXCEPTION(Error, createReportLayout(className.toLower()));   // exact names only
        const std::unique_ptr<Report> report = createReportLayout(className);
        for (const Section &section : report->layout().sections) {
            for (const LayoutObject &o : section.objects) {   // money right-aligned as money, dates as dates
                const QString f = o.field.toLower();
                if (f.contains(QLatin1String("value")) || f.contains(QLatin1String("disc")) || f == QLatin1String("salestax")
                    || f.endsWith(QLatin1String("amount")))
                    QVERIFY2(o.format.type == FieldFormat::Money && (o.alignment & Qt::AlignRight), qPrintable(o.name));
                if (f.endsWith(QLatin1String("date")))
                    QVERIFY2(o.format.type == FieldFormat::Date, qPrintable(o.name));
            }
        }
        for (const ReportSection *section : report->Sections()) {
            for (ReportObject *o : section->ReportObjects()) {
                if (o->Name().startsWith(QLatin1String("txt"), Qt::CaseInsensitive))   // the texts windows set
                    o->SetText(QStringLiteral("Between : 01-Apr-2025 To 31-Mar-2026 Çukurova Tarım Ürünleri"));
            }
        }
        for (int p = 1; p <= report->parameterCount(); ++p)
            report->ParameterFields(p).AddCurrentValue(QStringLiteral("Şükrü Öztürk Gıda Pazarlama ve Ticaret A.Ş."));
        report->setRows(stressRows(report->layout(), sign));
        const Document doc = report->paginate();
        const Layout &layout = doc.layout();
        const QRectF body = QRectF(layout.bodyRectMm().topLeft() * kPtPerMm, layout.bodyRectMm().size() * kPtPerMm);
        const double slack = 0.01;
        PageRenderer renderer(doc);
        int figures = 0;
        for (int page = 0; page < doc.pageCount(); ++page) {
            const std::vector<PlacedText> texts = test::pageTexts(renderer, page);
            int shown = 0, drawn = 0;   // figures the page has, and those drawn
            const PageEntry &entry = doc.pages[size_t(page)];
            for (int i = entry.first; i < entry.first + entry.count; ++i) {
                const Placement &p = doc.placements[size_t(i)];
                for (int j = 0; j < int(layout.sections[p.section].objects.size()); ++j)
                    shown += layout.sections[p.section].objects[size_t(j)].isFigure() && !objectText(doc, page, p, j).isEmpty();
            }
            for (size_t i = 0; i < texts.size(); ++i) {
                const PlacedText &t = texts[i];
                const Placement &p = doc.placements[size_t(t.placement)];
                const LayoutObject &o = layout.sections[p.section].objects[size_t(t.object)];
                const QString where = QStringLiteral("page %1, %2 '%3'").arg(page + 1).arg(o.name, t.text);
                const double top = body.top() + p.y * kPtPerMm;
                QVERIFY2(t.box().top() >= top - slack && t.box().bottom() <= top + doc.bandHeight(p) * kPtPerMm + slack,
                         qPrintable(where + QStringLiteral(" leaves its band")));
                QVERIFY2(t.box().left() >= body.left() - slack && t.box().right() <= body.right() + slack,
                         qPrintable(where + QStringLiteral(" leaves the page")));
                for (size_t j = 0; j < i; ++j) {
                    const QRectF common = t.box().intersected(texts[j].box());
                    QVERIFY2(common.width() <= slack || common.height() <= slack,
                             qPrintable(where + QStringLiteral(" runs into '%1'").arg(texts[j].text)));
                }
                QVERIFY2(o.kind != ObjectKind::Text || !t.text.endsWith(QChar(0x2026)), qPrintable(where + QStringLiteral(" is cut")));
                if (!o.isFigure())
                    continue;
                ++drawn;
                QCOMPARE(t.text, objectText(doc, page, p, t.object));
                if (o.format.type == FieldFormat::Money)
                    QVERIFY2(t.size >= PageRenderer::figureFloor(o.font.size), qPrintable(where + QStringLiteral(" is illegible")));
            }
            QCOMPARE(drawn, shown);
            figures += drawn;
        }
        if (sign != 0) {
            QVERIFY(figures > 20);
            return;
        }
        QCOMPARE(doc.pageCount(), 1);
        QTemporaryDir dir;
        QPdfWriter writer(dir.filePath(QStringLiteral("empty.pdf")));
        QVERIFY(paintDocument(writer, doc));
    }
};

QTEST_MAIN(tst_ReportLayouts)
#include "tst_ReportLayouts.moc"
