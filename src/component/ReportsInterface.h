#pragma once

// What a host needs to drive the component without linking to it: the
// interface of the Reports class, the class factory, and the four exports of
// the library. Header-only; pair it with ClassRegistry.h to find the library
// by its ProgID.

#include "DefaultDateProvider.h"

#include <QSqlDatabase>

#include <memory>

namespace orvane {

/// The ProgID under which the Reports class is registered.
inline constexpr const char *ReportsProgId = "Orvane.Reports";

/// The interface of the component's one creatable class, nine methods in this
/// order. Each showing method opens its report window modeless and returns at once.
class _Reports
{
public:
    virtual ~_Reports() = default;

    /// Takes the host's open connection as the connection of every window of
    /// this thread (client-side cursors). Throws orvane::Error if it is not open.
    virtual void InitializeClass(QSqlDatabase Con) = 0;
    virtual void PurchaseSummary() = 0;
    virtual void PurchaseRegisterInvoiceWise() = 0;
    virtual void ProductWisePurchases() = 0;
    virtual void ProductPurchaseLedger() = 0;
    virtual void CompanyWisePurchase() = 0;
    virtual void ProductPurchaseReturnLedger() = 0;
    virtual void PurchaseReturnRegister() = 0;
    virtual void PurchaseReturnSummary() = 0;

    /// The source of the report windows' default From date; null restores the
    /// built-in one (first day of the current month). Read at each window load.
    virtual void setDefaultDateProvider(std::shared_ptr<DefaultDateProvider> provider) = 0;
};

/// Hands out objects of one class. Owned by the library: never delete it.
class IClassFactory
{
public:
    /// A new object; the caller owns it (delete it, or hold it in a unique_ptr).
    virtual _Reports *CreateInstance() = 0;

protected:
    ~IClassFactory() = default;
};

// The library's exports, as a host resolves them by name. The two
// registration exports take no argument, as a host expects; they act on the
// per-user class registry, or on the system-wide one when the environment
// holds ORVANE_REGISTRY_SCOPE=system (orvane-register sets it for --system).
/// Records the class's ProgID and the library's absolute path; true on success,
/// false when the registry cannot be written or ORVANE_REGISTRY_SCOPE is neither
/// "user" nor "system".
using DllRegisterServerFunction = bool (*)();
/// Removes the ProgID's entry from the scope's registry, whichever library it
/// names; true on success (also when there was none).
using DllUnregisterServerFunction = bool (*)();
/// The class factory for `progId` (UTF-8), or null for a ProgID the library does not serve.
using DllGetClassObjectFunction = IClassFactory *(*)(const char *progId);
/// True when no Reports object and no window of the component is alive, on any thread.
using DllCanUnloadNowFunction = bool (*)();

} // namespace orvane
