#pragma once

#include <QDialog>
#include <QList>
#include <QString>

#include <memory>

class QKeyEvent;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableView;

namespace orvane {

class Recordset;
class RecordsetModel;

/// The frame of the four lookup dialogs: a filter box over a grid of one
/// recordset, with Select and Cancel. The dialog sees every key before the
/// focused control (type-ahead from the grid into the filter, Enter selects),
/// hands back code and name through the subclass's ParaOut members and never
/// writes to the database.
///
/// One instance per kind lives for the whole component
/// (SharedState::window<T>()); it does not delete itself on close, so the
/// hand-back stays readable after the dialog has closed.
class LookupDialog : public QDialog
{
    Q_OBJECT
public:
    /// How a kind of lookup dialog differs from the others.
    struct GridColumn
    {
        QString name;      // design name: ID, Name, City
        QString caption;
        QString field;     // data field bound at load
        double width = 1;  // relative to the ID column
    };

    struct Frame
    {
        QString caption;
        QString selectName = QStringLiteral("CmdSelect");
        QString closeName = QStringLiteral("CmdClose");
        QList<GridColumn> columns;
        QString idField;     // handed back by Select, in this order
        QString nameField;
        int cursorType = 3;  // static
        int lockType = 1;    // read-only
        bool newRecordsetPerLoad = false;
        bool hasImage = true;  // the picture Image1 beside the filter
    };

    ~LookupDialog() override;

    /// Shows the dialog modally and returns when it closes: QDialog::Accepted
    /// after Select, Rejected after Cancel, Escape or the close box. With an
    /// owner the dialog stands over it (the report window's lookup button);
    /// without one it stands alone (F1 in a code box). Read the ParaOut
    /// members afterwards: an empty code means nothing was chosen.
    int showModal(QWidget *owner = nullptr);

    /// Doubles every apostrophe; nothing else is escaped, so "%" and "_"
    /// typed by the user keep their LIKE meaning. A NUL or half a surrogate
    /// pair becomes U+FFFD (quotedText).
    static QString quoteFilter(const QString &text);

    /// The criteria that keeps the rows whose `column` contains `filter`
    /// (taken as typed, blanks included): "column LIKE '%filter%'", matched
    /// on our side without regard to case or accents; "" for an empty filter.
    static QString containsCriteria(const QString &column, const QString &filter);

    // Controls, for the tests and the opener (also reachable by objectName).
    QLineEdit *filterBox() const { return m_filter; }
    QTableView *grid() const { return m_grid; }
    QPushButton *selectButton() const { return m_select; }
    QPushButton *closeButton() const { return m_close; }
    RecordsetModel *gridModel() const { return m_model; }

    /// Display index (0-based) of the grid column with design name `name`
    /// ("ID", "Name", "City"), matched without regard to case; -1 if none.
    int gridColumn(const QString &name) const;

    /// The list recordset the dialog last opened (null before the first load).
    std::shared_ptr<Recordset> listRecordset() const { return m_list; }

protected:
    explicit LookupDialog(const Frame &frame, QWidget *parent = nullptr);

    /// The members that Select fills and Cancel and the grid load clear.
    void setHandBackMembers(QString *id, QString *name);

    /// The statement that lists the rows. The filter text never enters it:
    /// no database folds accents alike, so the list is narrowed on our side.
    virtual QString sourceText() const = 0;

    /// The criteria (Recordset::setFilter) that narrows the list for filter
    /// text `filter`; "" keeps every row. This default narrows nothing.
    virtual QString filterCriteria(const QString &filter) const;

    /// Runs on Load: reads the list, narrows it by the filter text, makes
    /// the first row active and clears the hand-back.
    void loadGrid();
    /// Runs on every change of the filter text: narrows the list read at Load
    /// (or reads it again if that failed), first row active, hand-back cleared.
    virtual void filterChanged();

    /// Makes the recordset's current record the grid's active row; with no
    /// current record (a search that found nothing) no row is active.
    void showCurrentRecord();

    /// Shows in the filter box whether its text found nothing.
    void showFilterMiss(bool miss);

    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

public slots:
    /// Cancel: clears the hand-back and closes (also Escape and the close box).
    void reject() override;

private:
    void showNarrowedList();
    void select();
    void gridPicked();
    bool dialogKeyDown(QKeyEvent *event);
    void currentRowChanged(int row);
    void fitColumns();
    void centreOnScreen();

    Frame m_frame;
    QString *m_outId = nullptr;
    QString *m_outName = nullptr;

    QLabel *m_label = nullptr;
    QLineEdit *m_filter = nullptr;
    QTableView *m_grid = nullptr;
    QPushButton *m_select = nullptr;
    QPushButton *m_close = nullptr;
    QLabel *m_image = nullptr;
    RecordsetModel *m_model = nullptr;
    std::shared_ptr<Recordset> m_list;
};

} // namespace orvane
