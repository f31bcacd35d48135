#pragma once

// The component's Error as a test reads it, whichever layer threw it.

#include "Error.h"

#include <QString>

namespace orvane::test {

/// "source: description" of the Error that `f` throws, or "<no error>".
template<typename F>
QString errorOf(F &&f)
{
    try {
        f();
    } catch (const Error &e) {
        return e.source() + QStringLiteral(": ") + e.description();
    }
    return QStringLiteral("<no error>");
}

} // namespace orvane::test
