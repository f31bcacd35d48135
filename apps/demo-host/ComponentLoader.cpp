#include "ComponentLoader.h"

#include "BundledComponent.h"
#include "ClassRegistry.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QLibrary>

namespace orvane::demo {

namespace {

bool runningFromBuildTree()
{
    return QFileInfo(QCoreApplication::applicationDirPath()) == QFileInfo(QStringLiteral(ORVANE_PROGRAM_BUILD_DIR));
}

} // namespace

QString ComponentLoader::registeredLibrary()
{
    return ClassRegistry::libraryPath(QLatin1String(ReportsProgId));
}

bool ComponentLoader::registerBundledLibrary(QString *error)
{
    const QString path = bundledComponentLibrary();
    if (!QFileInfo::exists(path)) {
        *error = runningFromBuildTree()
            ? QStringLiteral("The component library was not found; build the target orvane first.")
            : QStringLiteral("%1 is missing; reinstall, or register a component with orvane-register.").arg(path);
        return false;
    }
    QLibrary library(path);
    auto registerServer = reinterpret_cast<DllRegisterServerFunction>(library.resolve("DllRegisterServer"));
    if (!registerServer) {
        *error = library.errorString();
        return false;
    }
    if (registerServer())
        return true;
    *error = QStringLiteral("%1 could not register itself in %2.").arg(path, ClassRegistry::settingsFile());
    return false;
}

std::unique_ptr<_Reports> ComponentLoader::createReports(QString *error)
{
    // From the build tree the demo shows this build's component; installed,
    // it takes whichever the registry names, as any host does.
    const QString registered = registeredLibrary();
    const bool needed = registered.isEmpty() || !QFileInfo::exists(registered)
        || (runningFromBuildTree() && !sameLibrary(registered, bundledComponentLibrary()));
    if (needed && !registerBundledLibrary(error))
        return nullptr;
    return ClassRegistry::createReports(error);
}

} // namespace orvane::demo
