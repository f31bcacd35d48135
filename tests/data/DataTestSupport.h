#pragma once

// Small helpers shared by the data layer's tests.

#include "Error.h"
#include "Recordset.h"

#include <QStringList>

namespace orvane::test {

/// "source: description" of the Error that `f` throws, or "<no error>".
template <typename F>
QString errorOf(F &&f)
{
    try {
        f();
    } catch (const Error &e) {
        return e.source() + QStringLiteral(": ") + e.description();
    }
    return QStringLiteral("<no error>");
}

/// `column` of every row from the current one to the end, as text.
inline QStringList columnTexts(Recordset &rs, const QString &column)
{
    QStringList texts;
    for (; !rs.isEOF(); rs.MoveNext())
        texts << rs.Fields(column).toString();
    return texts;
}

} // namespace orvane::test
