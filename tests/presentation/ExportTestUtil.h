#pragma once

// Shared by the export tests: a small table of purchase rows with the awkward
// values that exports get wrong, and a directory the test cannot write to.

#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <QTemporaryDir>
#include <QVariant>

#include "Table.h"

#include <memory>

namespace orvane::test {

/// Three purchases: a plain one, one whose vendor name holds a comma, a quote
/// and an apostrophe, and one with NULLs, a negative fraction and a big amount.
inline std::shared_ptr<const Table> purchaseRows()
{
    Table::Builder b({QStringLiteral("purchaseid"), QStringLiteral("purchasedate"),
                      QStringLiteral("vendorname"), QStringLiteral("NetValue"), QStringLiteral("Qty")});
    auto row = [&b](const QVariant &id, const QVariant &date, const QVariant &name,
                    const QVariant &net, const QVariant &qty) {
        b.beginRow();
        b.setValue(0, id);
        b.setValue(1, date);
        b.setValue(2, name);
        b.setValue(3, net);
        b.setValue(4, qty);
        b.endRow();
    };
    row(101, QDate(2024, 4, 1), QStringLiteral("Karachi Traders"), 1234.5, 12.0);
    row(102, QDate(2024, 4, 2), QStringLiteral("Ali, \"Bhai\" O'Neil"), -0.75, 3.0);
    row(103, QDate(2025, 3, 31), QVariant(), 12345678.9, QVariant());
    return b.finish();
}

/// Files in `dir` other than `keep`: an export must leave no temporary behind.
inline QStringList strayFiles(const QString &dir, const QStringList &keep = {})
{
    QStringList stray;
    const QStringList entries =
        QDir(dir).entryList(QDir::Files | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    for (const QString &name : entries) {
        if (!keep.contains(name))
            stray << name;
    }
    return stray;
}

/// Makes `dir` read-only; false when that does not stop this process from
/// writing (root ignores directory permissions).
inline bool makeReadOnly(const QString &dir)
{
    QFile::setPermissions(dir, QFile::ReadOwner | QFile::ExeOwner);
    QFile probe(dir + QStringLiteral("/probe"));
    if (probe.open(QIODevice::WriteOnly)) {
        probe.close();
        probe.remove();
        QFile::setPermissions(dir, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        return false;
    }
    return true;
}

inline void makeWritable(const QString &dir)
{
    QFile::setPermissions(dir, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

} // namespace orvane::test
