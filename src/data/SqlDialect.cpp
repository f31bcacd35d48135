#include "SqlDialect.h"

#include <vector>

namespace orvane {

namespace {

struct Token
{
    enum Kind { Word, Symbol, Literal, Quoted, Bracketed, Comment, Space };
    Kind kind;
    qsizetype start;
    qsizetype length;
};

bool isWordChar(QChar c)
{
    return c.isLetterOrNumber() || c == QLatin1Char('_') || c == QLatin1Char('$') || c == QLatin1Char('@')
           || c == QLatin1Char('#');
}

// Splits SQL text into tokens. An unterminated literal or comment runs to the
// end of the text: the database reports it, the lexer must only never misread it.
std::vector<Token> tokenize(const QString &sql)
{
    std::vector<Token> tokens;
    const qsizetype n = sql.size();
    qsizetype i = 0;
    auto closeAt = [&](qsizetype from, QChar close) {
        // Returns the index after the closing character; a doubled one is part of the text.
        qsizetype j = from;
        while (j < n) {
            if (sql.at(j) == close) {
                if (j + 1 < n && sql.at(j + 1) == close) {
                    j += 2;
                    continue;
                }
                return j + 1;
            }
            ++j;
        }
        return n;
    };
    while (i < n) {
        const QChar c = sql.at(i);
        const qsizetype start = i;
        Token::Kind kind;
        if (c.isSpace()) {
            while (i < n && sql.at(i).isSpace())
                ++i;
            kind = Token::Space;
        } else if (c == QLatin1Char('\'')) {
            i = closeAt(i + 1, QLatin1Char('\''));
            kind = Token::Literal;
        } else if (c == QLatin1Char('"')) {
            i = closeAt(i + 1, QLatin1Char('"'));
            kind = Token::Quoted;
        } else if (c == QLatin1Char('[')) {
            i = closeAt(i + 1, QLatin1Char(']'));
            kind = Token::Bracketed;
        } else if (c == QLatin1Char('-') && i + 1 < n && sql.at(i + 1) == QLatin1Char('-')) {
            while (i < n && sql.at(i) != QLatin1Char('\n'))
                ++i;
            kind = Token::Comment;
        } else if (c == QLatin1Char('/') && i + 1 < n && sql.at(i + 1) == QLatin1Char('*')) {
            const qsizetype end = sql.indexOf(QLatin1String("*/"), i + 2);
            i = end < 0 ? n : end + 2;
            kind = Token::Comment;
        } else if (isWordChar(c)) {
            while (i < n && isWordChar(sql.at(i)))
                ++i;
            kind = Token::Word;
        } else {
            ++i;
            kind = Token::Symbol;
        }
        tokens.push_back({kind, start, i - start});
    }
    return tokens;
}

bool wordIs(const QString &sql, const Token &t, QLatin1String word)
{
    return t.kind == Token::Word && QStringView(sql).mid(t.start, t.length).compare(word, Qt::CaseInsensitive) == 0;
}

bool symbolIs(const QString &sql, const Token &t, char symbol)
{
    return t.kind == Token::Symbol && sql.at(t.start) == QLatin1Char(symbol);
}

} // namespace

QString SqlDialect::sqliteFromSqlServer(const QString &sql)
{
    const std::vector<Token> tokens = tokenize(sql);
    QString out = sql;
    for (size_t i = 0; i < tokens.size(); ++i) {
        if (!wordIs(sql, tokens[i], QLatin1String("ISNULL")))
            continue;
        // A qualified name such as x.isnull( is not the function.
        if (i > 0 && symbolIs(sql, tokens[i - 1], '.'))
            continue;
        size_t next = i + 1;
        if (next < tokens.size() && tokens[next].kind == Token::Space)
            ++next;
        if (next < tokens.size() && symbolIs(sql, tokens[next], '('))
            out.replace(tokens[i].start, 6, QStringLiteral("IFNULL"));
    }
    return out;
}

QString SqlDialect::withoutTerminator(const QString &sql)
{
    for (const Token &t : tokenize(sql)) {
        if (symbolIs(sql, t, ';'))
            return sql.left(t.start);
    }
    return sql;
}

QString SqlDialect::readOnlyProblem(const QString &sql)
{
    std::vector<Token> all = tokenize(sql);
    std::vector<Token> tokens;
    for (const Token &t : all) {
        if (t.kind != Token::Space && t.kind != Token::Comment)
            tokens.push_back(t);
    }
    if (tokens.empty())
        return QStringLiteral("The statement is empty.");

    for (size_t i = 0; i < tokens.size(); ++i) {
        if (symbolIs(sql, tokens[i], ';')) {
            bool onlySemicolons = true;
            for (size_t j = i + 1; j < tokens.size(); ++j)
                onlySemicolons = onlySemicolons && symbolIs(sql, tokens[j], ';');
            if (!onlySemicolons)
                return QStringLiteral("Only one statement can be run at a time: more text follows the ';' at "
                                      "position %1.")
                    .arg(tokens[i].start + 1);
            tokens.resize(i);
            break;
        }
    }
    if (tokens.empty())
        return QStringLiteral("The statement is empty.");

    for (const Token &t : tokens) {
        if (wordIs(sql, t, QLatin1String("INTO")))
            return QStringLiteral("The reports only read data: a statement with INTO, which writes, is refused.");
    }

    size_t i = 0;
    while (i < tokens.size() && symbolIs(sql, tokens[i], '('))
        ++i;
    auto refuse = [&](size_t at) {
        const QString first = at < tokens.size() ? sql.mid(tokens[at].start, tokens[at].length) : QString();
        return QStringLiteral("The reports only read data: only a SELECT statement can be run, not one that "
                              "begins with \"%1\".")
            .arg(first);
    };
    if (i < tokens.size() && wordIs(sql, tokens[i], QLatin1String("SELECT")))
        return QString();
    if (i >= tokens.size() || !wordIs(sql, tokens[i], QLatin1String("WITH")))
        return refuse(i);

    // WITH [RECURSIVE] name [(columns)] AS [NOT] [MATERIALIZED] (query) [, ...] then the main statement.
    auto skipGroup = [&](size_t at) {
        // `at` is on '('; returns the index after its matching ')'.
        int depth = 0;
        for (size_t j = at; j < tokens.size(); ++j) {
            if (symbolIs(sql, tokens[j], '('))
                ++depth;
            else if (symbolIs(sql, tokens[j], ')') && --depth == 0)
                return j + 1;
        }
        return tokens.size();
    };
    ++i;
    if (i < tokens.size() && wordIs(sql, tokens[i], QLatin1String("RECURSIVE")))
        ++i;
    for (;;) {
        if (i >= tokens.size())
            return QStringLiteral("The statement ends inside its WITH clause.");
        ++i;   // the name
        if (i < tokens.size() && symbolIs(sql, tokens[i], '('))
            i = skipGroup(i);
        if (i >= tokens.size() || !wordIs(sql, tokens[i], QLatin1String("AS")))
            return QStringLiteral("The WITH clause is not understood: AS was expected at position %1.")
                .arg(i < tokens.size() ? tokens[i].start + 1 : sql.size() + 1);
        ++i;
        while (i < tokens.size()
               && (wordIs(sql, tokens[i], QLatin1String("NOT")) || wordIs(sql, tokens[i], QLatin1String("MATERIALIZED"))))
            ++i;
        if (i >= tokens.size() || !symbolIs(sql, tokens[i], '('))
            return QStringLiteral("The WITH clause is not understood: '(' was expected at position %1.")
                .arg(i < tokens.size() ? tokens[i].start + 1 : sql.size() + 1);
        i = skipGroup(i);
        if (i < tokens.size() && symbolIs(sql, tokens[i], ',')) {
            ++i;
            continue;
        }
        break;
    }
    while (i < tokens.size() && symbolIs(sql, tokens[i], '('))
        ++i;
    if (i < tokens.size() && wordIs(sql, tokens[i], QLatin1String("SELECT")))
        return QString();
    return refuse(i);
}

} // namespace orvane
