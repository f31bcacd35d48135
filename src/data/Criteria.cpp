#include "Criteria.h"

#include "Error.h"
#include "LikePattern.h"
#include "Table.h"

#include <QDate>
#include <QDateTime>

namespace orvane {

namespace {

using Node = CriteriaParser::Node;
using Type = Table::Type;

QDate dateFromText(const QString &text)
{
    const QString t = text.trimmed();
    for (const char *format : {"yyyy-MM-dd", "yyyyMMdd", "dd/MM/yyyy", "yyyy-MM-dd HH:mm:ss"}) {
        const QDateTime dt = QDateTime::fromString(t, QLatin1String(format));
        if (dt.isValid())
            return dt.date();
        const QDate day = QDate::fromString(t, QLatin1String(format));
        if (day.isValid())
            return day;
    }
    return QDate();
}

template<typename T>
bool compareWith(Node::Op op, const T &a, const T &b)
{
    switch (op) {
    case Node::Op::Equal: return a == b;
    case Node::Op::NotEqual: return a != b;
    case Node::Op::Less: return a < b;
    case Node::Op::Greater: return b < a;
    case Node::Op::LessEqual: return !(b < a);
    case Node::Op::GreaterEqual: return !(a < b);
    default: return false;
    }
}

bool isNumeric(Type type)
{
    return type == Type::Integer || type == Type::Real || type == Type::Bool;
}

} // namespace

struct Criteria::Bound
{
    Node::Kind kind = Node::Kind::Compare;
    Node::Op op = Node::Op::Equal;
    int column = -1;
    QString text;          // the literal as text, case-folded
    bool hasNumber = false;
    double number = 0;
    QDate day;             // the literal read as a date, when it reads as one
    std::unique_ptr<LikePattern> like;
    std::unique_ptr<Bound> left;
    std::unique_ptr<Bound> right;

    bool test(const Table &table, int row) const;
    bool compare(const Table &table, int row) const;
};

namespace {

std::unique_ptr<Criteria::Bound> bind(const Node &node, const Table &table, const QString &criteria);

} // namespace

bool Criteria::Bound::test(const Table &table, int row) const
{
    switch (kind) {
    case Node::Kind::And: return left->test(table, row) && right->test(table, row);
    case Node::Kind::Or: return left->test(table, row) || right->test(table, row);
    case Node::Kind::Not: return !left->test(table, row);
    case Node::Kind::IsNull: return table.isNull(row, column);
    case Node::Kind::IsNotNull: return !table.isNull(row, column);
    case Node::Kind::Compare: return compare(table, row);
    }
    return false;
}

bool Criteria::Bound::compare(const Table &table, int row) const
{
    const Type cell = table.cellType(row, column);
    if (cell == Type::Null)
        return false;
    if (like) {
        const bool match = like->matches(table.text(row, column));
        return op == Node::Op::Like ? match : !match;
    }
    if (isNumeric(cell) && hasNumber)
        return compareWith(op, table.number(row, column), number);
    if ((cell == Type::Date || cell == Type::DateTime) && day.isValid()) {
        if (cell == Type::Date)
            return compareWith(op, table.date(row, column), day);
        return compareWith(op, table.value(row, column).toDateTime(), QDateTime(day, QTime(0, 0)));
    }
    const QString cellText = table.text(row, column);
    if (cell == Type::Text && hasNumber) {
        bool ok = false;
        const double value = cellText.trimmed().toDouble(&ok);
        if (ok)
            return compareWith(op, value, number);
    }
    return compareWith(op, cellText.toCaseFolded().compare(text), 0);
}

namespace {

std::unique_ptr<Criteria::Bound> bind(const Node &node, const Table &table, const QString &criteria)
{
    auto bound = std::make_unique<Criteria::Bound>();
    bound->kind = node.kind;
    bound->op = node.op;
    if (node.left)
        bound->left = bind(*node.left, table, criteria);
    if (node.right)
        bound->right = bind(*node.right, table, criteria);
    if (node.kind == Node::Kind::Compare || node.kind == Node::Kind::IsNull || node.kind == Node::Kind::IsNotNull) {
        bound->column = table.columnIndex(node.column);
        if (bound->column < 0)
            throw Error(QStringLiteral("The criteria \"%1\" names the column \"%2\" (position %3), which the "
                                       "result does not have.")
                            .arg(criteria, node.column)
                            .arg(node.columnPosition),
                        QStringLiteral("Orvane data"));
    }
    if (node.kind != Node::Kind::Compare)
        return bound;

    const QVariant &literal = node.literal;
    QString text;
    if (literal.typeId() == QMetaType::QString) {
        text = literal.toString();
        bool ok = false;
        bound->number = text.trimmed().toDouble(&ok);
        bound->hasNumber = ok && !text.trimmed().isEmpty();
        // 'True' and 'False' against a bit column; text cells still compare as text.
        if (!bound->hasNumber && text.trimmed().compare(QLatin1String("true"), Qt::CaseInsensitive) == 0) {
            bound->number = 1;
            bound->hasNumber = true;
        } else if (!bound->hasNumber && text.trimmed().compare(QLatin1String("false"), Qt::CaseInsensitive) == 0) {
            bound->number = 0;
            bound->hasNumber = true;
        }
        bound->day = dateFromText(text);
    } else {
        bound->number = literal.toDouble();
        bound->hasNumber = true;
        text = literal.typeId() == QMetaType::Double ? QString::number(bound->number, 'g', 15) : literal.toString();
    }
    bound->text = text.toCaseFolded();
    if (node.op == Node::Op::Like || node.op == Node::Op::NotLike)
        bound->like = std::make_unique<LikePattern>(text, QChar(), LikePattern::Folding::CaseAndAccents);
    return bound;
}

} // namespace

Criteria::Criteria(const QString &criteria, const Table &table)
{
    const std::unique_ptr<Node> tree = CriteriaParser::parse(criteria);
    m_root = bind(*tree, table, criteria);
}

Criteria::~Criteria() = default;

bool Criteria::matches(const Table &table, int row) const
{
    return m_root->test(table, row);
}

} // namespace orvane
