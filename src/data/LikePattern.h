#pragma once

#include <QString>
#include <QStringView>

#include <vector>

namespace orvane {

/// An SQL LIKE pattern: % matches any run of characters, _ exactly one, and
/// the optional escape character makes the next character literal. Matching
/// ignores case the Unicode way (both sides case-folded), so "é%" finds "École";
/// with Folding::CaseAndAccents it ignores accents as well, so "zoe" finds
/// "Zoë" whether the ë is stored as one character or as e and a combining mark.
class LikePattern
{
public:
    enum class Folding { Case, CaseAndAccents };

    explicit LikePattern(const QString &pattern, QChar escape = QChar(), Folding folding = Folding::Case);

    bool matches(QStringView text) const;

    /// One-off match, for callers that do not keep the pattern.
    static bool matches(const QString &pattern, QStringView text, QChar escape = QChar(),
                        Folding folding = Folding::Case);

    /// `text` as the matching sees it: case-folded and, for CaseAndAccents,
    /// in compatibility decomposition without its diacritical marks, with the
    /// stroked letters (ø, đ, ł, ħ, ŧ) and the dotless ı as their plain letter.
    /// Marks of other scripts (Arabic vowel signs and the like) are kept.
    static QString fold(QStringView text, Folding folding);

private:
    enum class Kind : unsigned char { Literal, AnyOne, AnyRun };
    struct Token
    {
        Kind kind;
        QChar ch;
    };
    std::vector<Token> m_tokens;
    Folding m_folding;
};

} // namespace orvane
