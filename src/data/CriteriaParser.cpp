#include "CriteriaParser.h"

#include "Error.h"

namespace orvane {

namespace {

using Node = CriteriaParser::Node;

class Parser
{
public:
    explicit Parser(const QString &text) : m_text(text) {}

    std::unique_ptr<Node> parseAll()
    {
        skipBlanks();
        if (m_pos >= m_text.size())
            fail(QStringLiteral("a column name"));
        std::unique_ptr<Node> node = parseOr();
        skipBlanks();
        if (m_pos < m_text.size())
            fail(QStringLiteral("AND, OR or the end of the criteria"));
        return node;
    }

private:
    const QString &m_text;
    qsizetype m_pos = 0;

    [[noreturn]] void fail(const QString &expected, qsizetype at = -1) const
    {
        if (at < 0)
            at = m_pos;
        QString found;
        if (at >= m_text.size()) {
            found = QStringLiteral("the end of the text");
        } else {
            qsizetype end = at + 1;
            if (isWordChar(m_text.at(at))) {
                while (end < m_text.size() && isWordChar(m_text.at(end)))
                    ++end;
            }
            found = QLatin1Char('"') + m_text.mid(at, end - at) + QLatin1Char('"');
        }
        throw Error(QStringLiteral("The criteria \"%1\" is not understood at position %2: %3 was expected, "
                                   "but %4 was found.")
                        .arg(m_text)
                        .arg(at + 1)
                        .arg(expected, found),
                    QStringLiteral("Orvane data"));
    }

    static bool isWordChar(QChar c)
    {
        return c.isLetterOrNumber() || c == QLatin1Char('_') || c == QLatin1Char('$') || c == QLatin1Char('#');
    }

    void skipBlanks()
    {
        while (m_pos < m_text.size() && m_text.at(m_pos).isSpace())
            ++m_pos;
    }

    // The keyword at the current position, as a whole word; consumed when it matches.
    bool keyword(QLatin1String word)
    {
        skipBlanks();
        const qsizetype end = m_pos + word.size();
        if (end > m_text.size() || QStringView(m_text).mid(m_pos, word.size()).compare(word, Qt::CaseInsensitive) != 0)
            return false;
        if (end < m_text.size() && isWordChar(m_text.at(end)))
            return false;
        m_pos = end;
        return true;
    }

    std::unique_ptr<Node> combine(Node::Kind kind, std::unique_ptr<Node> left, std::unique_ptr<Node> right)
    {
        auto node = std::make_unique<Node>();
        node->kind = kind;
        node->left = std::move(left);
        node->right = std::move(right);
        return node;
    }

    std::unique_ptr<Node> parseOr()
    {
        std::unique_ptr<Node> node = parseAnd();
        while (keyword(QLatin1String("OR")))
            node = combine(Node::Kind::Or, std::move(node), parseAnd());
        return node;
    }

    std::unique_ptr<Node> parseAnd()
    {
        std::unique_ptr<Node> node = parseFactor();
        while (keyword(QLatin1String("AND")))
            node = combine(Node::Kind::And, std::move(node), parseFactor());
        return node;
    }

    std::unique_ptr<Node> parseFactor()
    {
        skipBlanks();
        if (keyword(QLatin1String("NOT"))) {
            auto node = std::make_unique<Node>();
            node->kind = Node::Kind::Not;
            node->left = parseFactor();
            return node;
        }
        if (m_pos < m_text.size() && m_text.at(m_pos) == QLatin1Char('(')) {
            const qsizetype open = m_pos++;
            std::unique_ptr<Node> node = parseOr();
            skipBlanks();
            if (m_pos >= m_text.size() || m_text.at(m_pos) != QLatin1Char(')'))
                fail(QStringLiteral("')' to close the '(' at position %1").arg(open + 1));
            ++m_pos;
            return node;
        }
        return parseComparison();
    }

    std::unique_ptr<Node> parseComparison()
    {
        auto node = std::make_unique<Node>();
        skipBlanks();
        node->columnPosition = int(m_pos + 1);
        node->column = parseColumn();

        skipBlanks();
        if (keyword(QLatin1String("IS"))) {
            node->kind = keyword(QLatin1String("NOT")) ? Node::Kind::IsNotNull : Node::Kind::IsNull;
            if (!keyword(QLatin1String("NULL")))
                fail(QStringLiteral("NULL"));
            return node;
        }
        node->kind = Node::Kind::Compare;
        if (keyword(QLatin1String("NOT"))) {
            if (!keyword(QLatin1String("LIKE")))
                fail(QStringLiteral("LIKE"));
            node->op = Node::Op::NotLike;
        } else if (keyword(QLatin1String("LIKE"))) {
            node->op = Node::Op::Like;
        } else {
            node->op = parseOperator();
        }
        skipBlanks();
        node->literal = parseLiteral();
        return node;
    }

    QString parseColumn()
    {
        if (m_pos < m_text.size() && m_text.at(m_pos) == QLatin1Char('[')) {
            const qsizetype close = m_text.indexOf(QLatin1Char(']'), m_pos + 1);
            if (close < 0)
                fail(QStringLiteral("']' to close the column name"), m_text.size());
            const QString name = m_text.mid(m_pos + 1, close - m_pos - 1);
            if (name.trimmed().isEmpty())
                fail(QStringLiteral("a column name"), m_pos + 1);
            m_pos = close + 1;
            return name;
        }
        const qsizetype start = m_pos;
        while (m_pos < m_text.size() && (isWordChar(m_text.at(m_pos)) || m_text.at(m_pos) == QLatin1Char('.')))
            ++m_pos;
        if (m_pos == start || m_text.at(start).isDigit())
            fail(QStringLiteral("a column name"), start);
        QString name = m_text.mid(start, m_pos - start);
        // "Companies.CompanyName": the result knows the column by its own name.
        const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
        return dot >= 0 ? name.mid(dot + 1) : name;
    }

    Node::Op parseOperator()
    {
        const QStringView rest = QStringView(m_text).mid(m_pos);
        struct Symbol
        {
            const char *text;
            Node::Op op;
        };
        static const Symbol symbols[] = {
            {"<>", Node::Op::NotEqual}, {"!=", Node::Op::NotEqual}, {"<=", Node::Op::LessEqual},
            {">=", Node::Op::GreaterEqual}, {"=", Node::Op::Equal}, {"<", Node::Op::Less},
            {">", Node::Op::Greater},
        };
        for (const Symbol &s : symbols) {
            const QLatin1String text(s.text);
            if (rest.startsWith(text)) {
                m_pos += text.size();
                return s.op;
            }
        }
        fail(QStringLiteral("a comparison (=, <>, <, >, <=, >=, LIKE or IS NULL)"));
    }

    QVariant parseLiteral()
    {
        if (m_pos >= m_text.size())
            fail(QStringLiteral("a value ('text' or a number)"));
        const QChar c = m_text.at(m_pos);
        if (c == QLatin1Char('\'')) {
            const qsizetype open = m_pos;
            QString value;
            ++m_pos;
            for (;;) {
                if (m_pos >= m_text.size())
                    fail(QStringLiteral("an apostrophe to close the text that starts at position %1").arg(open + 1),
                         m_text.size());
                const QChar ch = m_text.at(m_pos++);
                if (ch == QLatin1Char('\'')) {
                    if (m_pos < m_text.size() && m_text.at(m_pos) == QLatin1Char('\'')) {
                        value += ch;
                        ++m_pos;
                        continue;
                    }
                    return value;
                }
                value += ch;
            }
        }
        if (c.isDigit() || c == QLatin1Char('-') || c == QLatin1Char('+') || c == QLatin1Char('.')) {
            const qsizetype start = m_pos;
            if (c == QLatin1Char('-') || c == QLatin1Char('+'))
                ++m_pos;
            while (m_pos < m_text.size() && (m_text.at(m_pos).isDigit() || m_text.at(m_pos) == QLatin1Char('.')))
                ++m_pos;
            if (m_pos < m_text.size() && (m_text.at(m_pos) == QLatin1Char('e') || m_text.at(m_pos) == QLatin1Char('E'))) {
                ++m_pos;
                if (m_pos < m_text.size() && (m_text.at(m_pos) == QLatin1Char('-') || m_text.at(m_pos) == QLatin1Char('+')))
                    ++m_pos;
                while (m_pos < m_text.size() && m_text.at(m_pos).isDigit())
                    ++m_pos;
            }
            const QString number = m_text.mid(start, m_pos - start);
            if (m_pos < m_text.size() && isWordChar(m_text.at(m_pos)))
                fail(QStringLiteral("a number"), start);
            bool ok = false;
            const qlonglong whole = number.toLongLong(&ok);
            if (ok)
                return QVariant(whole);
            const double real = number.toDouble(&ok);
            if (!ok)
                fail(QStringLiteral("a number"), start);
            return QVariant(real);
        }
        fail(QStringLiteral("a value ('text' in apostrophes or a number)"));
    }
};

} // namespace

std::unique_ptr<CriteriaParser::Node> CriteriaParser::parse(const QString &criteria)
{
    return Parser(criteria).parseAll();
}

} // namespace orvane
