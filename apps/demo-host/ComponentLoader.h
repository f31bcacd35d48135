#pragma once

#include "ReportsInterface.h"

#include <QString>

#include <memory>

namespace orvane::demo {

/// Finds the component by its ProgID and creates its Reports object, as a
/// host does: through the class registry and the library's exports only.
/// When the ProgID is not registered, or its library has gone, the library
/// that came with the program registers itself for this user first
/// (DllRegisterServer); run from the build tree, this build's library does so
/// whenever the registry names another one.
class ComponentLoader
{
public:
    /// A new Reports object, or null with `error` set.
    static std::unique_ptr<_Reports> createReports(QString *error);

    /// The library the registry names for the component ("" when none).
    static QString registeredLibrary();

private:
    static bool registerBundledLibrary(QString *error);
};

} // namespace orvane::demo
