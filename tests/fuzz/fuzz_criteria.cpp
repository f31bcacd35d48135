// Filter and Find criteria come from code, but a lookup filter's typed text is
// spliced into them: whatever the text, the parser must answer or refuse.
#include "CriteriaParser.h"
#include "Error.h"

#include <QString>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString criteria = QString::fromUtf8(reinterpret_cast<const char *>(data), int(size));
    try {
        orvane::CriteriaParser::parse(criteria);
    } catch (const orvane::Error &) {
        // refused with a message: fine
    }
    return 0;
}
