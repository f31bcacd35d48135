// The report tool's arguments, NUL-separated: any list is either a command
// or a refusal with a message.
#include "ReportCommandLine.h"

#include <QByteArray>
#include <QStringList>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    using namespace orvane;
    QStringList arguments;
    for (const QByteArray &part : QByteArray(reinterpret_cast<const char *>(data), int(size)).split('\0'))
        arguments << QString::fromUtf8(part);
    const ReportCommandLine::Defaults defaults{QDate(2025, 4, 1), QDate(2025, 4, 30),
                                               QStringLiteral("demo.sqlite")};
    const ReportCommandParse parse = ReportCommandLine::parse(arguments, defaults);
    if (!parse.ok && parse.error.isEmpty())
        std::abort();
    if (parse.ok && !parse.command.help && (!parse.command.report || parse.command.output.isEmpty()))
        std::abort();
    return 0;
}
