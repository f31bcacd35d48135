// The leading number of a typed code goes into SQL unquoted, so whatever was
// typed, the text must be a plain decimal literal and nothing else.
#include "NumberParse.h"

#include <QRegularExpression>
#include <QString>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static const QRegularExpression plainDecimal(QStringLiteral("^-?[0-9]+(\\.[0-9]+)?$"));
    const QString typed = QString::fromUtf8(reinterpret_cast<const char *>(data), int(size));
    const QString text = orvane::LeadingNumberText(typed);
    if (!plainDecimal.match(text).hasMatch())
        std::abort();
    return 0;
}
