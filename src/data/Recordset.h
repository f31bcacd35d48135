#pragma once

#include "Table.h"

#include <QString>
#include <QStringList>
#include <QVariant>

#include <memory>
#include <vector>

namespace orvane {

class Connection;

/// A client-side recordset: Open runs the statement once and keeps every row
/// (see Table), so RecordCount is exact and the recordset can be closed and
/// reopened at will. Every failing call throws Error.
///
/// `EOF` is a C macro, so the end and beginning marks are isEOF()/isBOF().
class Recordset
{
public:
    enum CursorType { adOpenForwardOnly = 0, adOpenKeyset = 1, adOpenDynamic = 2, adOpenStatic = 3 };
    enum LockType { adLockReadOnly = 1, adLockPessimistic = 2, adLockOptimistic = 3 };
    enum ObjectState { adStateClosed = 0, adStateOpen = 1 };
    enum SearchDirection { adSearchBackward = -1, adSearchForward = 1 };
    enum BookmarkStart { adBookmarkCurrent = 0, adBookmarkFirst = 1, adBookmarkLast = 2 };

    Recordset();
    ~Recordset();

    /// Runs `source` over `connection`. Opening an open recordset is an error
    /// (close it first). Cursor and lock type are kept for the record; every
    /// recordset is read-only and static on the client. A null `connection`
    /// (the host has not handed one over yet) throws Error with source "Orvane".
    /// Only a single SELECT (or WITH ... SELECT) is accepted; see Connection::readTable.
    void Open(const QString &source, const std::shared_ptr<Connection> &connection,
              int cursorType = adOpenStatic, int lockType = adLockReadOnly, int options = -1);
    /// Takes rows already read (Connection::Execute uses this).
    void openTable(std::shared_ptr<const Table> table, const QString &source);
    int State() const;
    /// Drops the rows (a report holding table() keeps its own). Closing a closed
    /// recordset does nothing. Most calls on a closed recordset throw Error.
    void Close();

    bool isBOF() const;   // before the first visible row, or no visible row
    bool isEOF() const;   // after the last visible row, or no visible row
    int RecordCount() const;                 // visible rows (after Filter)

    /// Value of `name` (case-insensitive) in the current row.
    /// Throws when no such column exists or there is no current row.
    QVariant Fields(const QString &name) const;

    /// MoveFirst/MoveLast on no rows leave BOF and EOF; MoveNext at EOF and
    /// MovePrevious at BOF throw Error.
    void MoveFirst();
    void MoveNext();
    void MovePrevious();
    void MoveLast();

    /// 0-based index of the current row among the visible rows; -1 at BOF or EOF.
    int AbsolutePosition() const;
    void setAbsolutePosition(int position);

    /// Criteria such as "registrykey='companyname'"; "" shows every row again.
    /// Leaves the first matching row current. Malformed criteria or an unknown
    /// column throw Error and leave the visible rows as they were.
    /// Grammar and comparison rules: CriteriaParser.h, Criteria.h.
    void setFilter(const QString &criteria);
    QString Filter() const;

    /// Moves to the first row matching `criteria`, e.g. "Companyname like 'AB%'",
    /// skipping `skipRecords` rows from `start` in `searchDirection`; leaves EOF
    /// (or BOF when searching backwards) when none matches.
    void Find(const QString &criteria, int skipRecords = 0,
              int searchDirection = adSearchForward, int start = adBookmarkFirst);

    QString Source() const;

    // Column and row access for grids, the report engine and exports.
    // `row` counts visible rows from 0.
    int fieldCount() const;
    QString fieldName(int column) const;
    int fieldIndex(const QString &name) const;   // case-insensitive; -1 if none
    QVariant value(int row, int column) const;
    /// The rows as read, unfiltered, shared read-only (null when closed).
    std::shared_ptr<const Table> table() const;
    /// Underlying Table row of visible row `row`.
    int tableRow(int row) const;

private:
    struct Private;
    std::unique_ptr<Private> d;
};

} // namespace orvane
