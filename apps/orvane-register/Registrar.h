#pragma once

#include "ClassRegistry.h"

#include <QString>
#include <QStringList>

namespace orvane {

/// Exit statuses of orvane-register.
enum RegisterExitStatus {
    RegisterDone = 0,        // registered, unregistered, or there was nothing to remove
    RegisterBadLibrary = 1,  // the library is missing, does not load or lacks the exports
    RegisterUsage = 2,       // the arguments were refused
    RegisterCannotWrite = 3, // the registry cannot be written, or the library did not record itself
    RegisterOtherOwner = 4,  // the entry names another library and --force was not given
};

/// One run of orvane-register.
struct RegisterRequest
{
    RegistryScope scope = RegistryScope::User;
    bool unregister = false;
    bool force = false; // replace or remove an entry that names another existing library
    QString library;    // absolute path of the component library
};

/// What a run did: its exit status and the lines that tell the user (stdout
/// when the status is RegisterDone, else stderr).
struct RegisterOutcome
{
    int status = RegisterDone;
    QStringList lines;
};

/// Registers or unregisters the component through the library's own exports,
/// after the checks that make a refusal clear: the library exists, loads and
/// has the exports; the entry is not another library's; the registry file can
/// be written. Afterwards it reads the entry back to confirm.
class Registrar
{
public:
    static RegisterOutcome run(const RegisterRequest &request);
};

} // namespace orvane
