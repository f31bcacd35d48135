#pragma once

#include "CriteriaParser.h"

#include <QString>

#include <memory>
#include <vector>

namespace orvane {

class LikePattern;
class Table;

/// A criteria text bound to the columns of one table, ready to test rows.
/// Text compares without regard to case (Unicode case folding), and LIKE
/// without regard to accents too (LikePattern::Folding::CaseAndAccents); a number
/// literal compares numerically with numeric cells; a text literal against a
/// date column is read as a date (yyyy-MM-dd, yyyyMMdd or dd/MM/yyyy). A NULL
/// cell matches only IS NULL.
class Criteria
{
public:
    /// Throws Error for malformed text or a column that `table` lacks.
    Criteria(const QString &criteria, const Table &table);
    ~Criteria();

    bool matches(const Table &table, int row) const;

    struct Bound;   // the bound tree, private to Criteria.cpp

private:
    std::unique_ptr<Bound> m_root;
};

} // namespace orvane
