#pragma once

// Rows for the engine tests: invoices of the purchase register, with money
// kept in whole cents so that expected totals are exact integers.

#include "Table.h"

#include <QDate>
#include <QLocale>
#include <QString>
#include <QStringList>

#include <memory>
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
    Table::Builder b({QStringLiteral("purchaseid"), QStringLiteral("purchasedate"), QStringLiteral("vendorname"),
                      QStringLiteral("productname"), QStringLiteral("qty"), QStringLiteral("price"),
                      QStringLiteral("NetValue")});
    RegisterRows r;
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
            b.beginRow();
            b.setValue(0, int(1000 + inv));
            b.setValue(1, QDate(2024, 1, 1).addDays(int(inv % 365)));
            b.setValue(2, QStringLiteral("Vendor %1 & Sons").arg(inv % 37));
            const quint32 product = next() % 500;
            b.setValue(3, longNames && product % 3 == 0
                              ? QStringLiteral("Nitrogen Phosphate Sulphur Granular %1 (Farmers' Cooperative Society)")
                                    .repeated(1 + int(product % 2))
                                    .arg(product)
                              : QStringLiteral("Product %1").arg(product));
            b.setValue(4, int(next() % 100));
            b.setValue(5, double(next() % 100000) / 100.0);
            b.setValue(6, double(cents) / 100.0);
            b.endRow();
        }
        r.groupCents.push_back(groupCents);
        r.groupLines.push_back(linesPerInvoice[inv]);
        r.totalCents += groupCents;
    }
    r.table = b.finish();
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

} // namespace orvane::test
