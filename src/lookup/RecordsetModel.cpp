#include "RecordsetModel.h"

#include "Recordset.h"

namespace orvane {

RecordsetModel::RecordsetModel(QList<Column> columns, QObject *parent)
    : QAbstractTableModel(parent)
    , m_columns(std::move(columns))
{
    m_fields.fill(-1, m_columns.size());
}

RecordsetModel::~RecordsetModel() = default;

void RecordsetModel::setRecordset(std::shared_ptr<Recordset> recordset)
{
    beginResetModel();
    m_recordset = std::move(recordset);
    bind();
    endResetModel();
}

void RecordsetModel::refresh()
{
    beginResetModel();
    bind();
    endResetModel();
}

void RecordsetModel::bind()
{
    m_rows = 0;
    m_fields.fill(-1, m_columns.size());
    // A closed recordset may throw on every call; the grid then shows nothing.
    try {
        if (!m_recordset || m_recordset->State() != Recordset::adStateOpen)
            return;
        for (int c = 0; c < m_columns.size(); ++c)
            m_fields[c] = m_recordset->fieldIndex(m_columns.at(c).field);
        m_rows = m_recordset->RecordCount();
    } catch (...) {
        m_rows = 0;
    }
}

int RecordsetModel::boundField(int column) const
{
    return column >= 0 && column < m_fields.size() ? m_fields.at(column) : -1;
}

int RecordsetModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_rows;
}

int RecordsetModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_columns.size());
}

QVariant RecordsetModel::data(const QModelIndex &index, int role) const
{
    if (role != Qt::DisplayRole || !index.isValid() || index.row() >= m_rows)
        return QVariant();
    const int field = m_fields.value(index.column(), -1);
    if (field < 0 || !m_recordset)
        return QVariant();
    // Painting must never throw into the event loop.
    try {
        return m_recordset->value(index.row(), field);
    } catch (...) {
        return QVariant();
    }
}

QVariant RecordsetModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role == Qt::DisplayRole && orientation == Qt::Horizontal && section >= 0
        && section < m_columns.size())
        return m_columns.at(section).caption;
    return QAbstractTableModel::headerData(section, orientation, role);
}

Qt::ItemFlags RecordsetModel::flags(const QModelIndex &index) const
{
    return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
}

} // namespace orvane
