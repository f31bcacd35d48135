#pragma once

#include <QString>
#include <QStringView>

#include <vector>

namespace orvane {

/// An SQL LIKE pattern: % matches any run of characters, _ exactly one, and
/// the optional escape character makes the next character literal. Matching
/// ignores case the Unicode way (both sides case-folded), so "é%" finds "École".
class LikePattern
{
public:
    explicit LikePattern(const QString &pattern, QChar escape = QChar());

    bool matches(QStringView text) const;

    /// One-off match, for callers that do not keep the pattern.
    static bool matches(const QString &pattern, QStringView text, QChar escape = QChar());

private:
    enum class Kind : unsigned char { Literal, AnyOne, AnyRun };
    struct Token
    {
        Kind kind;
        QChar ch;
    };
    std::vector<Token> m_tokens;
};

} // namespace orvane
