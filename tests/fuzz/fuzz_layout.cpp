// A damaged layout file must be refused with an error that names it, never crash.
#include "Error.h"
#include "Layout.h"

#include <QByteArray>
#include <QString>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray json(reinterpret_cast<const char *>(data), int(size));
    try {
        orvane::Layout::parse(json, QStringLiteral("fuzz.json"));
    } catch (const orvane::Error &e) {
        if (!e.description().contains(QLatin1String("fuzz.json")))
            std::abort();
    }
    return 0;
}
