#pragma once

#include <QAbstractListModel>

#include "Document.h"

#include <memory>
#include <vector>

namespace orvane {

class PaginationJob;

/// The outline of a report as a list model: one row per group, in report
/// order (appendOutline), with the text outlineText gives it (a register's
/// document number, date and vendor). Rows start at 0. The model holds the
/// entries and a copy of each group header's placement, not the pages, so it
/// fills batch by batch while pagination runs; a row's text is made only when
/// a view asks for it, so a register of hundreds of thousands of documents
/// costs a few bytes a row.
class OutlineModel : public QAbstractListModel
{
    Q_OBJECT
public:
    explicit OutlineModel(QObject *parent = nullptr);
    ~OutlineModel() override;

    /// Starts over, empty, for the report whose frozen content is `content`
    /// (null: no report).
    void reset(std::shared_ptr<const ReportContent> content);
    /// Appends the entries `job` has found since the last call.
    void takeFrom(PaginationJob &job);

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;

    /// Entry `row`: its page (0-based) and group level; the placement indexes headers().
    const OutlineEntry &entry(int row) const { return m_entries[size_t(row)]; }
    /// Where the group header of row `row` stands: mm below the top of its page's body area.
    double headerTopMm(int row) const;
    /// The row of the group that the page shows at `yMm` (mm below the top of
    /// page `page`'s body area): the last group whose header stands at or
    /// above that point; -1 above the first.
    int rowAt(int page, double yMm) const;

    /// The first row, from `from` on and round to the start, found by `text`:
    /// preferably one whose number (the group's value) is `text`, else one
    /// whose number starts with it or whose other outline texts, dates aside,
    /// contain it, case aside. -1 when none does.
    int find(const QString &text, int from) const;

private:
    enum Match { Unknown = 0, Yes, No };
    bool matches(int row, const QString &text, bool wholeNumber) const;
    bool textMatches(int row, int column, const QString &text) const;

    Document m_headers;                 // the content and the header placements
    std::vector<OutlineEntry> m_entries;
    // Verdicts of find() for texts the table keeps once (vendors), by text id.
    mutable QString m_cachedText;
    mutable std::vector<quint8> m_textVerdict;
};

} // namespace orvane
