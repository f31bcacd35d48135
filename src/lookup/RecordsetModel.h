#pragma once

#include <QAbstractTableModel>
#include <QList>
#include <QString>

#include <memory>

namespace orvane {

class Recordset;

/// A read-only table model over a recordset's visible rows, for the lookup
/// grids. Columns are bound to recordset fields by name (case-insensitive);
/// rows and columns count from 0. The model never moves the recordset.
class RecordsetModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    struct Column
    {
        QString caption;
        QString field;   // data field; bound by name when a recordset is set
    };

    explicit RecordsetModel(QList<Column> columns, QObject *parent = nullptr);
    ~RecordsetModel() override;

    /// Shows `recordset` (may be null or closed: no rows) and rebinds the columns.
    void setRecordset(std::shared_ptr<Recordset> recordset);
    std::shared_ptr<Recordset> recordset() const { return m_recordset; }

    /// Reads the row count and the field bindings again (after the recordset
    /// was closed, reopened or filtered behind the model's back).
    void refresh();

    /// Field index in the recordset of display column `column`; -1 when unbound.
    int boundField(int column) const;

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

private:
    void bind();

    QList<Column> m_columns;
    QList<int> m_fields;
    std::shared_ptr<Recordset> m_recordset;
    int m_rows = 0;
};

} // namespace orvane
