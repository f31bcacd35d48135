#include "LikePattern.h"

namespace orvane {

LikePattern::LikePattern(const QString &pattern, QChar escape)
{
    const QString folded = pattern.toCaseFolded();
    const QChar foldedEscape = escape.isNull() ? QChar() : escape.toCaseFolded();
    m_tokens.reserve(folded.size());
    for (qsizetype i = 0; i < folded.size(); ++i) {
        const QChar c = folded.at(i);
        if (!foldedEscape.isNull() && c == foldedEscape && i + 1 < folded.size()) {
            m_tokens.push_back({Kind::Literal, folded.at(++i)});
        } else if (c == QLatin1Char('%')) {
            // A run of % means the same as one.
            if (m_tokens.empty() || m_tokens.back().kind != Kind::AnyRun)
                m_tokens.push_back({Kind::AnyRun, QChar()});
        } else if (c == QLatin1Char('_')) {
            m_tokens.push_back({Kind::AnyOne, QChar()});
        } else {
            m_tokens.push_back({Kind::Literal, c});
        }
    }
}

bool LikePattern::matches(QStringView text) const
{
    const QString folded = text.toString().toCaseFolded();
    const qsizetype n = folded.size();
    const size_t m = m_tokens.size();
    // Greedy match with one back-track point: the last % seen.
    size_t p = 0;
    qsizetype t = 0;
    size_t runP = size_t(-1);
    qsizetype runT = 0;
    while (t < n) {
        if (p < m) {
            const Token &tok = m_tokens[p];
            if (tok.kind == Kind::AnyRun) {
                runP = ++p;
                runT = t;
                continue;
            }
            if (tok.kind == Kind::AnyOne || tok.ch == folded.at(t)) {
                ++p;
                ++t;
                continue;
            }
        }
        if (runP == size_t(-1))
            return false;
        p = runP;
        t = ++runT;
    }
    while (p < m && m_tokens[p].kind == Kind::AnyRun)
        ++p;
    return p == m;
}

bool LikePattern::matches(const QString &pattern, QStringView text, QChar escape)
{
    return LikePattern(pattern, escape).matches(text);
}

} // namespace orvane
