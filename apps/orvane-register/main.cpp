// orvane-register: records the component under its ProgID in the class
// registry that hosts read, for this user or for all users, by calling the
// library's own DllRegisterServer or DllUnregisterServer.

#include "BundledComponent.h"
#include "Registrar.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFileInfo>

#include <cstdio>

namespace {

void print(FILE *stream, const QStringList &lines, const char *prefix)
{
    for (const QString &line : lines)
        std::fprintf(stream, "%s%s\n", prefix, qPrintable(line));
}

int usageError(const QString &message)
{
    std::fprintf(stderr,
                 "orvane-register: %s\n"
                 "usage: orvane-register [--user|--system] [--unregister] [--force] [LIBRARY]"
                 " (--help tells more)\n",
                 qPrintable(message));
    return orvane::RegisterUsage;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("orvane-register"));
    QCoreApplication::setApplicationVersion(QStringLiteral(ORVANE_VERSION));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Registers the Orvane report component under its ProgID Orvane.Reports, so that hosts\n"
        "create Reports by ProgID; --unregister removes the entry. The library records itself\n"
        "through its DllRegisterServer and DllUnregisterServer exports.\n"
        "\n"
        "Per-user entries go to $XDG_CONFIG_HOME/Orvane/ClassRegistry.ini (~/.config), entries\n"
        "for all users to Orvane/ClassRegistry.ini under the last directory of $XDG_CONFIG_DIRS\n"
        "(/etc/xdg); hosts read the per-user file first. $ORVANE_REGISTRY_FILE replaces both.\n"
        "\n"
        "Exit status: 0 done (or nothing to remove), 1 the library is missing, does not load\n"
        "or lacks the exports, 2 bad arguments, 3 the registry cannot be written, 4 the entry\n"
        "names another library (--force replaces or removes it)."));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption user(QStringLiteral("user"), QStringLiteral("For this user (the default)."));
    const QCommandLineOption system(QStringLiteral("system"), QStringLiteral("For all users (needs root)."));
    const QCommandLineOption unregister(QStringLiteral("unregister"), QStringLiteral("Remove the entry."));
    const QCommandLineOption force(QStringLiteral("force"),
                                   QStringLiteral("Replace or remove an entry that names another library."));
    parser.addOptions({user, system, unregister, force});
    parser.addPositionalArgument(QStringLiteral("library"),
                                 QStringLiteral("The component library (default: the one installed with "
                                                "this program, %1 from its directory).")
                                     .arg(QStringLiteral(ORVANE_INSTALLED_LIBRARY)),
                                 QStringLiteral("[library]"));

    if (!parser.parse(QCoreApplication::arguments()))
        return usageError(parser.errorText());
    if (parser.isSet(QStringLiteral("help"))) {
        std::fputs(qPrintable(parser.helpText()), stdout);
        return orvane::RegisterDone;
    }
    if (parser.isSet(QStringLiteral("version"))) {
        std::printf("orvane-register %s\n", ORVANE_VERSION);
        return orvane::RegisterDone;
    }
    if (parser.isSet(user) && parser.isSet(system))
        return usageError(QStringLiteral("--user and --system exclude each other."));
    const QStringList positional = parser.positionalArguments();
    if (positional.size() > 1)
        return usageError(QStringLiteral("name one library, not %1.").arg(positional.size()));

    orvane::RegisterRequest request;
    request.scope = parser.isSet(system) ? orvane::RegistryScope::System : orvane::RegistryScope::User;
    request.unregister = parser.isSet(unregister);
    request.force = parser.isSet(force);
    request.library = QFileInfo(positional.value(0, orvane::bundledComponentLibrary())).absoluteFilePath();

    const orvane::RegisterOutcome outcome = orvane::Registrar::run(request);
    if (outcome.status == orvane::RegisterDone)
        print(stdout, outcome.lines, "");
    else
        print(stderr, outcome.lines, "orvane-register: ");
    return outcome.status;
}
