// orvane-report: any of the seven purchase reports as PDF, CSV or XLSX,
// without a window.

#include "ReportCommandLine.h"
#include "ReportTool.h"

#include <QApplication>
#include <QTextStream>

#include <atomic>
#include <csignal>
#include <cstdio>
#include <unistd.h>

namespace {

QtMessageHandler qtHandler = nullptr;

// Set by SIGINT or SIGTERM; the query and the export poll it and stop cleanly.
std::atomic_bool cancelRequested{false};
static_assert(std::atomic_bool::is_always_lock_free, "the flag is set from a signal handler");

extern "C" void onCancelSignal(int)
{
    cancelRequested.store(true);
}

void installCancelHandlers()
{
    struct sigaction action = {};
    action.sa_handler = onCancelSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;   // a write interrupted by the signal goes on; the flag stops the rest
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

// The offscreen platform complains about a missing XDG runtime directory that
// the tool never uses; stderr is kept for the tool's own messages.
void filterQtMessages(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (message.startsWith(QLatin1String("QStandardPaths: XDG_RUNTIME_DIR")))
        return;
    qtHandler(type, context, message);
}

} // namespace

int main(int argc, char *argv[])
{
    // First of all: a signal at any later moment must leave no partial file.
    installCancelHandlers();
    qtHandler = qInstallMessageHandler(filterQtMessages);
    // The PDF is painted with the same fonts as on screen, but no display is needed.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // Widgets too: the PDF is printed from a viewer that is never shown.
    QApplication app(argc, argv);

    QTextStream err(stderr);
    QStringList arguments = QCoreApplication::arguments();
    arguments.removeFirst();

    orvane::ReportCommandLine::Defaults defaults;
    defaults.from = orvane::builtInFromDate(QDate::currentDate());
    defaults.to = QDate::currentDate();
    defaults.demoDatabase = qEnvironmentVariableIsEmpty("ORVANE_DEMO_DB")
        ? QStringLiteral("demo/orvane-demo.sqlite")
        : qEnvironmentVariable("ORVANE_DEMO_DB");

    const orvane::ReportCommandParse parsed = orvane::ReportCommandLine::parse(arguments, defaults);
    if (!parsed.ok) {
        err << "orvane-report: " << parsed.error << '\n' << orvane::ReportCommandLine::usageLine() << '\n';
        return orvane::ExitBadArguments;
    }
    if (parsed.command.help) {
        QTextStream out(stdout);
        out << orvane::ReportCommandLine::helpText();
        return orvane::ExitWritten;
    }

    orvane::ReportTool tool(parsed.command, err);
    tool.setShowProgress(!parsed.command.quiet && isatty(STDERR_FILENO));
    tool.setCancelFlag(&cancelRequested);
    return tool.run();
}
