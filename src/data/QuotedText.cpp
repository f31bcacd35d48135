#include "QuotedText.h"

namespace orvane {

QString quotedText(const QString &text)
{
    QString quoted;
    quoted.reserve(text.size() + 2);
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text.at(i);
        if (c == QLatin1Char('\'')) {
            quoted += QLatin1String("''");
        } else if (c.isHighSurrogate() && i + 1 < n && text.at(i + 1).isLowSurrogate()) {
            quoted += c;
            quoted += text.at(++i);
        } else if (c.isSurrogate() || c.unicode() == 0) {
            quoted += QChar(QChar::ReplacementCharacter);
        } else {
            quoted += c;
        }
    }
    return quoted;
}

} // namespace orvane
