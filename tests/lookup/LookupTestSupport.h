#pragma once

// Shared by the lookup dialog tests: a database made current for the
// component, and small helpers to read the grid and drive a modal dialog.

#include "TestDatabase.h"

#include "Connection.h"
#include "LookupDialog.h"
#include "RecordsetModel.h"
#include "SharedState.h"

#include <QAbstractItemModel>
#include <QLineEdit>
#include <QTableView>
#include <QTest>
#include <QTimer>

#include <functional>

namespace orvane::test {

/// Makes `db` the component's shared connection and returns it.
inline std::shared_ptr<Connection> makeShared(const QSqlDatabase &db)
{
    std::shared_ptr<Connection> connection = Connection::create(db);
    SharedState::current().SharedConnection = connection;
    return connection;
}

/// The texts of grid column `name` ("ID", "Name", "City"), top to bottom.
inline QStringList gridColumnTexts(const LookupDialog *dialog, const QString &name)
{
    QStringList texts;
    const QAbstractItemModel *model = dialog->grid()->model();
    const int column = dialog->gridColumn(name);
    for (int row = 0; row < model->rowCount(); ++row)
        texts << model->data(model->index(row, column)).toString();
    return texts;
}

/// Text of grid column `name` in the active row; "" when there is none.
inline QString activeText(const LookupDialog *dialog, const QString &name)
{
    const QModelIndex current = dialog->grid()->currentIndex();
    if (!current.isValid())
        return QString();
    const QAbstractItemModel *model = dialog->grid()->model();
    return model->data(model->index(current.row(), dialog->gridColumn(name))).toString();
}

/// Shows the dialog without modality (its Load runs) and waits until it is on screen.
inline bool openShown(LookupDialog *dialog)
{
    dialog->show();
    return QTest::qWaitForWindowExposed(dialog);
}

/// Shows the dialog modally over `owner`, runs `drive` once its modal loop
/// is running, and returns showModal's result. A dialog that `drive` leaves
/// open is closed after five seconds so that a failing test cannot hang.
inline int runModal(LookupDialog *dialog, QWidget *owner, const std::function<void()> &drive)
{
    bool driven = false;
    QTimer::singleShot(0, dialog, [&] {
        driven = true;
        drive();
    });
    QTimer guard;
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, dialog, [dialog] { dialog->done(-1); });
    guard.start(5000);
    const int result = dialog->showModal(owner);
    return driven ? result : -2;
}

} // namespace orvane::test
