#include "ComponentLoader.h"

#include "ClassRegistry.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QLibrary>
#include <QStringList>

namespace orvane::demo {

namespace {

// The component as this build made it, or as installed beside the program.
QStringList candidateLibraries()
{
    const QString dir = QCoreApplication::applicationDirPath();
    return {QStringLiteral(ORVANE_BUILD_LIBRARY), dir + QLatin1String("/../lib/liborvane.so"),
            dir + QLatin1String("/liborvane.so")};
}

} // namespace

QString ComponentLoader::registeredLibrary()
{
    return ClassRegistry::libraryPath(QLatin1String(ReportsProgId));
}

bool ComponentLoader::registerBuiltLibrary(QString *error)
{
    for (const QString &path : candidateLibraries()) {
        if (!QFileInfo::exists(path))
            continue;
        QLibrary library(path);
        auto registerServer = reinterpret_cast<DllRegisterServerFunction>(library.resolve("DllRegisterServer"));
        if (!registerServer) {
            *error = library.errorString();
            continue;
        }
        if (registerServer())
            return true;
        *error = QStringLiteral("%1 could not register itself.").arg(path);
    }
    if (error->isEmpty())
        *error = QStringLiteral("The component library was not found; build the target orvane first.");
    return false;
}

std::unique_ptr<_Reports> ComponentLoader::createReports(QString *error)
{
    const QString registered = registeredLibrary();
    if (registered.isEmpty() || !QFileInfo::exists(registered)) {
        if (!registerBuiltLibrary(error))
            return nullptr;
    }
    return ClassRegistry::createReports(error);
}

} // namespace orvane::demo
