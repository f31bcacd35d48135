#include "ReportsFactory.h"

#include "ClassRegistry.h"
#include "Reports.h"
#include "SharedState.h"

#include <QFileInfo>

#include <dlfcn.h>

namespace orvane {

_Reports *ReportsFactory::CreateInstance()
{
    return new Reports;
}

ReportsFactory &ReportsFactory::instance()
{
    static ReportsFactory factory;
    return factory;
}

QString componentLibraryPath()
{
    Dl_info info{};
    // Any symbol of this library names the file it was loaded from.
    if (!dladdr(reinterpret_cast<void *>(&DllGetClassObject), &info) || !info.dli_fname)
        return QString();
    return QFileInfo(QString::fromLocal8Bit(info.dli_fname)).absoluteFilePath();
}

} // namespace orvane

bool DllRegisterServer()
{
    orvane::RegistryScope scope;
    if (!orvane::ClassRegistry::scopeFromEnvironment(&scope))
        return false;
    const QString path = orvane::componentLibraryPath();
    if (path.isEmpty())
        return false;
    return orvane::ClassRegistry::registerClass(QLatin1String(orvane::ReportsProgId),
                                                QStringLiteral("Reports"), path, scope);
}

bool DllUnregisterServer()
{
    orvane::RegistryScope scope;
    if (!orvane::ClassRegistry::scopeFromEnvironment(&scope))
        return false;
    return orvane::ClassRegistry::unregisterClass(QLatin1String(orvane::ReportsProgId), scope);
}

orvane::IClassFactory *DllGetClassObject(const char *progId)
{
    if (!progId || qstricmp(progId, orvane::ReportsProgId) != 0)
        return nullptr;
    return &orvane::ReportsFactory::instance();
}

bool DllCanUnloadNow()
{
    return orvane::SharedState::liveObjectCount() == 0
        && orvane::SharedState::liveWindowCountAllThreads() == 0;
}
