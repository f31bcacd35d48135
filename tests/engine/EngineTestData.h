#pragma once

// Rows and layouts for the engine tests: invoices of the purchase register,
// with money kept in whole cents so that expected totals are exact integers.

#include "Document.h"
#include "Paginator.h"
#include "TestFiles.h"
#include "TestTable.h"

#include <QDate>
#include <QLocale>

#include <numeric>
#include <vector>

namespace orvane::test {

struct RegisterRows
{
    std::shared_ptr<const Table> table;
    std::vector<qint64> groupCents;   // NetValue per invoice, in cents
    std::vector<int> groupLines;
    qint64 totalCents = 0;
};

/// One invoice per entry of `linesPerInvoice`. Amounts mix large, small and
/// negative values (returns booked as minus lines), like a real register.
/// With `longNames` every third product has a name of two to four lines.
inline RegisterRows registerRows(const std::vector<int> &linesPerInvoice, bool longNames = false)
{
    RegisterRows r;
    QList<QVariantList> rows;
    quint32 seed = 12345;
    auto next = [&seed] {
        seed = seed * 1103515245u + 12345u;
        return (seed >> 8) & 0xFFFFFF;
    };
    for (size_t inv = 0; inv < linesPerInvoice.size(); ++inv) {
        qint64 groupCents = 0;
        for (int line = 0; line < linesPerInvoice[inv]; ++line) {
            qint64 cents = qint64(next() % 5000000) + 1;       // up to 50,000.00
            if (next() % 7 == 0)
                cents = -cents;
            if (next() % 11 == 0)
                cents *= 1000;                                 // now and then tens of millions
            groupCents += cents;
            const quint32 product = next() % 500;
            const QString name = longNames && product % 3 == 0
                ? QStringLiteral("Nitrogen Phosphate Sulphur Granular %1 (Farmers' Cooperative Society)")
                      .repeated(1 + int(product % 2)).arg(product)
                : QStringLiteral("Product %1").arg(product);
            const int qty = int(next() % 100);
            const double price = double(next() % 100000) / 100.0;
            rows << QVariantList{int(1000 + inv), QDate(2024, 1, 1).addDays(int(inv % 365)),
                                 QStringLiteral("Vendor %1 & Sons").arg(inv % 37), name, qty, price, double(cents) / 100.0};
        }
        r.groupCents.push_back(groupCents);
        r.groupLines.push_back(linesPerInvoice[inv]);
        r.totalCents += groupCents;
    }
    r.table = tableOf({QStringLiteral("purchaseid"), QStringLiteral("purchasedate"), QStringLiteral("vendorname"),
                       QStringLiteral("productname"), QStringLiteral("qty"), QStringLiteral("price"),
                       QStringLiteral("NetValue")}, rows);
    return r;
}

/// Money as an accountant writes it, done with QLocale rather than the engine's formatter.
inline QString moneyText(qint64 cents)
{
    return QLocale(QLocale::English, QLocale::UnitedStates).toString(double(cents) / 100.0, 'f', 2);
}

inline QString layoutPath(const char *name)
{
    return QStringLiteral(ORVANE_SOURCE_DIR "/tests/engine/data/") + QLatin1String(name);
}

/// `layout` laid out over every row of `table` (none when null), in table order.
inline Document layOut(const QByteArray &layout, const std::shared_ptr<const Table> &table)
{
    auto content = std::make_shared<ReportContent>();
    content->layout = Layout::parse(layout, QStringLiteral("t.json"));
    content->table = table;
    content->order.resize(size_t(table ? table->rowCount() : 0));
    std::iota(content->order.begin(), content->order.end(), 0);
    content->title = QStringLiteral("Purchases of March");
    if (table)
        content->bindColumns();
    return Paginator(content).paginate();
}

/// What `object` of band `p` on page `page` (0-based) shows; "<no NAME>" when the band has no such object.
inline QString textOf(const Document &doc, int page, const Placement &p, const QString &object)
{
    const auto &objects = doc.layout().sections[p.section].objects;
    for (int i = 0; i < int(objects.size()); ++i) {
        if (objects[size_t(i)].name == object)
            return objectText(doc, page, p, i);
    }
    return QStringLiteral("<no %1>").arg(object);
}

/// What `object` shows in the first band of `section` on page `page` (0-based).
inline QString shown(const Document &doc, const QString &section, const QString &object, int page = 0)
{
    const PageEntry &pe = doc.pages[size_t(page)];
    for (int i = pe.first; i < pe.first + pe.count; ++i) {
        if (doc.layout().sections[doc.placements[size_t(i)].section].name == section)
            return textOf(doc, page, doc.placements[size_t(i)], object);
    }
    return QStringLiteral("<no %1 on page %2>").arg(section).arg(page + 1);
}

} // namespace orvane::test
