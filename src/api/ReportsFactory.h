#pragma once

#include "ReportsInterface.h"

#define ORVANE_EXPORT __attribute__((visibility("default")))

namespace orvane {

/// The class factory of Reports, one per library.
class ReportsFactory : public IClassFactory
{
public:
    _Reports *CreateInstance() override;

    static ReportsFactory &instance();
};

/// The absolute path of the loaded component library ("" if unknown).
QString componentLibraryPath();

} // namespace orvane

// The exports a host resolves by name (see ReportsInterface.h for their contracts).
extern "C" {
ORVANE_EXPORT bool DllRegisterServer();
ORVANE_EXPORT bool DllUnregisterServer();
ORVANE_EXPORT orvane::IClassFactory *DllGetClassObject(const char *progId);
ORVANE_EXPORT bool DllCanUnloadNow();
}
