#pragma once

#include <QString>
#include <QVariant>

#include <memory>

namespace orvane {

/// Parses the criteria texts of Recordset::setFilter and Recordset::Find:
///   column op literal, with op one of = <> < > <= >= LIKE, NOT LIKE;
///   column IS [NOT] NULL; AND, OR, NOT and parentheses.
/// Literals are 'text' (an apostrophe inside doubled: 'O''Brien') or numbers.
/// Column names are words or [bracketed names]. Keywords ignore case.
/// Needs no table: binding names to columns is Criteria's job.
class CriteriaParser
{
public:
    struct Node
    {
        enum class Kind { And, Or, Not, Compare, IsNull, IsNotNull };
        enum class Op { Equal, NotEqual, Less, Greater, LessEqual, GreaterEqual, Like, NotLike };

        Kind kind = Kind::Compare;
        Op op = Op::Equal;
        QString column;
        int columnPosition = 0;   // 1-based position of the column name in the text
        QVariant literal;         // QString, qlonglong or double
        std::unique_ptr<Node> left;
        std::unique_ptr<Node> right;   // And, Or only
    };

    /// The tree of `criteria`. A malformed text throws Error saying where
    /// (1-based position) and what was expected.
    static std::unique_ptr<Node> parse(const QString &criteria);
};

} // namespace orvane
