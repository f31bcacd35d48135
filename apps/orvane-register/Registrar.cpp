#include "Registrar.h"

#include <QFileInfo>
#include <QLibrary>

#include "BundledComponent.h"

namespace orvane {

namespace {

QString scopeText(RegistryScope scope)
{
    return scope == RegistryScope::System ? QStringLiteral("for all users") : QStringLiteral("for this user");
}

// The registry is rewritten in place when it exists; otherwise it is created
// together with the missing directories above it.
bool canWrite(const QString &file)
{
    const QFileInfo info(file);
    if (info.exists())
        return info.isWritable();
    QString dir = info.absolutePath();
    while (!QFileInfo::exists(dir))
        dir = QFileInfo(dir).absolutePath();
    const QFileInfo existing(dir);
    return existing.isDir() && existing.isWritable();
}

RegisterOutcome refuse(int status, QStringList lines)
{
    return {status, std::move(lines)};
}

} // namespace

RegisterOutcome Registrar::run(const RegisterRequest &request)
{
    const QString progId = QLatin1String(ReportsProgId);
    const QString &path = request.library;
    const RegistryScope scope = request.scope;

    if (!QFileInfo::exists(path))
        return refuse(RegisterBadLibrary, {QStringLiteral("%1: no such file.").arg(path)});
    QLibrary library(path);
    if (!library.load())
        return refuse(RegisterBadLibrary, {QStringLiteral("Cannot load %1: %2").arg(path, library.errorString())});
    const char *exportName = request.unregister ? "DllUnregisterServer" : "DllRegisterServer";
    auto serverEntry = reinterpret_cast<DllRegisterServerFunction>(library.resolve(exportName));
    if (!serverEntry) {
        return refuse(RegisterBadLibrary,
                      {QStringLiteral("%1 is not a component library: it does not export %2.")
                           .arg(path, QLatin1String(exportName))});
    }

    const QString file = ClassRegistry::settingsFile(scope);
    const QString before = ClassRegistry::registeredLibrary(progId, scope);
    const bool othersEntry = !before.isEmpty() && QFileInfo::exists(before) && !sameLibrary(before, path);
    if (othersEntry && !request.force) {
        return refuse(RegisterOtherOwner,
                      {QStringLiteral("%1 is registered %2 to %3, not to %4 (%5).")
                           .arg(progId, scopeText(scope), before, path, file),
                       QStringLiteral("Run again with --force to %1 that entry.")
                           .arg(request.unregister ? QStringLiteral("remove") : QStringLiteral("replace"))});
    }
    if (request.unregister && before.isEmpty()) {
        return {RegisterDone,
                {QStringLiteral("%1 is not registered %2 (%3): nothing to remove.").arg(progId, scopeText(scope), file)}};
    }
    if (!canWrite(file)) {
        QStringList lines{QStringLiteral("Cannot write %1: permission denied.").arg(file)};
        if (scope == RegistryScope::System)
            lines.append(QStringLiteral("Registering for all users needs root: run it with sudo."));
        return refuse(RegisterCannotWrite, lines);
    }

    // The export takes no argument; the scope reaches it through the environment.
    qputenv("ORVANE_REGISTRY_SCOPE", scope == RegistryScope::System ? "system" : "user");
    const bool reported = serverEntry();
    const QString after = ClassRegistry::registeredLibrary(progId, scope);
    const bool done = request.unregister ? after.isEmpty() : sameLibrary(after, path);
    if (!reported || !done) {
        return refuse(RegisterCannotWrite,
                      {QStringLiteral("%1 did not %2 itself in %3.")
                           .arg(path, request.unregister ? QStringLiteral("remove") : QStringLiteral("record"), file)});
    }

    RegisterOutcome outcome;
    if (request.unregister) {
        outcome.lines.append(QStringLiteral("Unregistered %1 %2 (%3).").arg(progId, scopeText(scope), file));
        if (othersEntry)
            outcome.lines.append(QStringLiteral("The entry named %1.").arg(before));
        return outcome;
    }
    outcome.lines.append(QStringLiteral("Registered %1 %2: %3 (%4).").arg(progId, scopeText(scope), path, file));
    if (!before.isEmpty() && !sameLibrary(before, path))
        outcome.lines.append(QStringLiteral("It replaces %1.").arg(before));
    // A per-user entry is read first, so it hides this one from its user.
    const QString userEntry = ClassRegistry::registeredLibrary(progId, RegistryScope::User);
    if (scope == RegistryScope::System && ClassRegistry::settingsFile(RegistryScope::User) != file
        && !userEntry.isEmpty() && !sameLibrary(userEntry, path)) {
        outcome.lines.append(QStringLiteral("For this user the per-user entry %1 (%2) still comes first.")
                                 .arg(userEntry, ClassRegistry::settingsFile(RegistryScope::User)));
    }
    return outcome;
}

} // namespace orvane
