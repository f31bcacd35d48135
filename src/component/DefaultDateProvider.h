#pragma once

#include <QDate>

namespace orvane {

/// Supplies the default From date of the report windows; read once per
/// window load. A host may set its own (SharedState::setDefaultDateProvider,
/// Reports::setDefaultDateProvider); the built-in one gives the first day of
/// the current month. Header-only, so a host can implement it without linking.
class DefaultDateProvider
{
public:
    virtual ~DefaultDateProvider() = default;
    virtual QDate date() const = 0;
};

} // namespace orvane
