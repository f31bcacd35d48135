#pragma once

// A column store Table written out as rows, for tests that need rows without
// a database.

#include "Table.h"

#include <QList>
#include <QStringList>
#include <QVariant>

#include <functional>
#include <memory>

namespace orvane::test {

/// A table of `columns` holding `rows`, each row's cells in column order.
inline std::shared_ptr<const Table> tableOf(const QStringList &columns, const QList<QVariantList> &rows)
{
    Table::Builder b(columns);
    for (const QVariantList &row : rows) {
        b.beginRow();
        for (int c = 0; c < row.size(); ++c)
            b.setValue(c, row.at(c));
        b.endRow();
    }
    return b.finish();
}

/// A table of `columns` with `count` rows, row r's cells given by `row(r)`.
inline std::shared_ptr<const Table> tableOf(const QStringList &columns, int count,
                                            const std::function<QVariantList(int)> &row)
{
    QList<QVariantList> rows;
    rows.reserve(count);
    for (int r = 0; r < count; ++r)
        rows << row(r);
    return tableOf(columns, rows);
}

} // namespace orvane::test
