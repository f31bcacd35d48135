#pragma once

#include "ReportExport.h"
#include "ReportQueries.h"

#include <QDate>
#include <QString>
#include <QStringList>

namespace orvane {

/// Exit statuses of orvane-report.
enum ReportExitStatus {
    ExitWritten = 0,      // the output file is complete
    ExitNoRows = 1,       // the report found no row; nothing written
    ExitBadArguments = 2, // the arguments or parameters were refused; usage shown
    ExitFailure = 3,      // the database, the report or the output failed
    ExitCancelled = 4,    // SIGINT or SIGTERM stopped it; nothing written
};

/// One run of the tool, as the command line asks for it.
struct ReportCommand
{
    const ReportDefinition *report = nullptr;
    bool odbc = false;          // `database` is an ODBC connection string, else an SQLite file
    QString database;
    ReportParameters parameters;
    ExportFormat format = ExportFormat::Pdf;
    QString output;
    bool quiet = false;
    bool help = false;          // --help: print the usage and stop
};

/// The outcome of parsing: a command, or the message that refuses the arguments.
struct ReportCommandParse
{
    bool ok = false;
    ReportCommand command;
    QString error;
};

/// Turns the tool's arguments into a ReportCommand. Pure: what the parse
/// would otherwise read from the clock or the environment comes in `Defaults`,
/// so it can be driven with any text.
class ReportCommandLine
{
public:
    struct Defaults
    {
        QDate from;            // the default-date provider's date
        QDate to;              // today
        QString demoDatabase;  // SQLite file used without --db / --odbc
    };

    /// `arguments` without the program name.
    static ReportCommandParse parse(const QStringList &arguments, const Defaults &defaults);

    /// The one-line usage shown with every refused argument.
    static QString usageLine();
    /// The full help text of --help.
    static QString helpText();
};

} // namespace orvane
