#include "LikePattern.h"

#include <vector>

namespace orvane {

namespace {

bool isDiacriticalMark(char16_t u)
{
    return (u >= 0x0300 && u <= 0x036F) || (u >= 0x1AB0 && u <= 0x1AFF) || (u >= 0x1DC0 && u <= 0x1DFF)
           || (u >= 0x20D0 && u <= 0x20FF) || (u >= 0xFE20 && u <= 0xFE2F);
}

// Letters with a stroke or without a dot have no decomposition, yet a user
// typing on a plain keyboard means the bare letter.
char16_t plainLetter(char16_t u)
{
    switch (u) {
    case 0x00D8: case 0x00F8: return u'o';   // Ø ø
    case 0x0110: case 0x0111: return u'd';   // Đ đ
    case 0x0126: case 0x0127: return u'h';   // Ħ ħ
    case 0x0131: return u'i';                // ı
    case 0x0141: case 0x0142: return u'l';   // Ł ł
    case 0x0166: case 0x0167: return u't';   // Ŧ ŧ
    default: return 0;
    }
}

// The whole road for any text: compatibility decomposition, marks dropped,
// stroked letters made plain, then case folding.
QString foldAccentsSlowly(QStringView text)
{
    const QString decomposed = text.toString().normalized(QString::NormalizationForm_KD);
    QString out;
    out.reserve(decomposed.size());
    for (const QChar c : decomposed) {
        const char16_t u = c.unicode();
        if (isDiacriticalMark(u))
            continue;
        const char16_t plain = plainLetter(u);
        out.append(plain ? QChar(plain) : c);
    }
    return out.toCaseFolded();
}

// The Latin letters below U+0300 folded one by one, worked out once: names in
// Latin script then fold with a table look-up per character.
constexpr char16_t FirstTabled = 0x80;
constexpr char16_t EndTabled = 0x300;

const QString *latinFoldTable()
{
    static const std::vector<QString> table = [] {
        std::vector<QString> t(EndTabled - FirstTabled);
        for (char16_t u = FirstTabled; u < EndTabled; ++u) {
            const QChar c(u);
            t[u - FirstTabled] = foldAccentsSlowly(QStringView(&c, 1));
        }
        return t;
    }();
    return table.data();
}

} // namespace

QString LikePattern::fold(QStringView text, Folding folding)
{
    bool ascii = true;
    bool latin = true;   // below U+0300, or a mark that folding drops
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u >= 0x80) {
            ascii = false;
            if (u > 0x036F) {
                latin = false;
                break;
            }
        }
    }
    if (ascii) {
        // Most names are plain ASCII: fold them without the Unicode tables.
        QString out(text.size(), Qt::Uninitialized);
        QChar *to = out.data();
        for (const QChar c : text) {
            const char16_t u = c.unicode();
            *to++ = QChar(u >= u'A' && u <= u'Z' ? char16_t(u + 32) : u);
        }
        return out;
    }
    if (folding == Folding::Case)
        return text.toString().toCaseFolded();
    if (!latin)
        return foldAccentsSlowly(text);

    const QString *table = latinFoldTable();
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u < 0x80)
            out.append(QChar(u >= u'A' && u <= u'Z' ? char16_t(u + 32) : u));
        else if (u < EndTabled)
            out.append(table[u - FirstTabled]);
        // else a diacritical mark (U+0300..U+036F): dropped
    }
    return out;
}

LikePattern::LikePattern(const QString &pattern, QChar escape, Folding folding)
    : m_folding(folding)
{
    // The pattern signs are found before folding: a character that folds into
    // % or _ (a full-width ％) stays the literal the user typed, and the escape
    // character is compared as given.
    QString literal;
    const auto flushLiteral = [&] {
        for (const QChar c : fold(literal, folding))
            m_tokens.push_back({Kind::Literal, c});
        literal.clear();
    };
    for (qsizetype i = 0; i < pattern.size(); ++i) {
        const QChar c = pattern.at(i);
        if (!escape.isNull() && c == escape && i + 1 < pattern.size()) {
            literal.append(pattern.at(++i));
        } else if (c == QLatin1Char('%')) {
            flushLiteral();
            // A run of % means the same as one.
            if (m_tokens.empty() || m_tokens.back().kind != Kind::AnyRun)
                m_tokens.push_back({Kind::AnyRun, QChar()});
        } else if (c == QLatin1Char('_')) {
            flushLiteral();
            m_tokens.push_back({Kind::AnyOne, QChar()});
        } else {
            literal.append(c);
        }
    }
    flushLiteral();
}

bool LikePattern::matches(QStringView text) const
{
    const QString folded = fold(text, m_folding);
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

bool LikePattern::matches(const QString &pattern, QStringView text, QChar escape, Folding folding)
{
    return LikePattern(pattern, escape, folding).matches(text);
}

} // namespace orvane
