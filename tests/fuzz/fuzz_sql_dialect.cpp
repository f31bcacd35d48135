// The SQLite rewrite may change ISNULL( into IFNULL( and nothing else.
#include "SqlDialect.h"

#include <QString>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString sql = QString::fromUtf8(reinterpret_cast<const char *>(data), int(size));
    const QString out = orvane::SqlDialect::sqliteFromSqlServer(sql);
    if (out.size() != sql.size())
        std::abort();
    // Undo every ISNULL -> IFNULL; what remains must be the input itself.
    QString undone = out;
    for (int i = out.indexOf(QLatin1String("IFNULL")); i >= 0; i = out.indexOf(QLatin1String("IFNULL"), i + 1)) {
        if (sql.mid(i, 6).compare(QLatin1String("ISNULL"), Qt::CaseInsensitive) == 0)
            undone.replace(i, 6, sql.mid(i, 6));
    }
    if (undone != sql)
        std::abort();
    orvane::SqlDialect::readOnlyProblem(sql);
    return 0;
}
