#pragma once

// Shared by the tests of the report window frame and the purchase return
// summary: a small database whose figures are worked out by hand below, and a
// driver that answers the modal lookup dialog as a user would.

#include "Connection.h"
#include "LookupDialog.h"
#include "SharedState.h"
#include "TestDatabase.h"

#include <QApplication>
#include <QDialog>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTimer>

#include <functional>

namespace orvane::test {

/*
Parties: 7 Vendor Seven (vendor), 8 O'Brien Traders (vendor), 9 Customer Nine (customer only).
Company name (Project_registry): Frame Test Traders.

Returns (Qty, Price, DiscRatio%, DiscValue, STRatio%, STValue, Bonus):
  21  05-Mar-2024  vendor 7  purchase 100
      line 1   2 x 10, 10%, 0.50, 5%, 0      bonus 0
      line 2   3 x 10,  0%, 0,    0%, 0      bonus 1
      line 3   1 x 25,  0%, 1.00, 0%, 2.00   bonus 0
      price 10: Gross 20+30=50, Disc 2*(1+0.5)=3, Tax 2*0.5=1, Net 50-3+1=48, Qty 5, Bonus 1
      price 25: Gross 25, Disc 1, Tax 2, Net 26, Qty 1, Bonus 0
  22  20-Mar-2024  vendor 8  purchase 101   4 x 5   -> Gross 20, Disc 0, Tax 0, Net 20, Qty 4
  23  02-Apr-2024  vendor 7  purchase 102   1 x 100 -> Gross 100, Net 100 (outside March)
*/
inline void fillFrameRows(QSqlDatabase db, const QString &companyName = QStringLiteral("Frame Test Traders"))
{
    const char *const rows[] = {
        "INSERT INTO Companies VALUES (1,'Acme Pharma')",
        "INSERT INTO Units VALUES (1,'Box')",
        "INSERT INTO Parties (PartyId,PartyName,City,IsVendor,IsCustomer) VALUES"
        " (7,'Vendor Seven','Lahore',1,0),(8,'O''Brien Traders','Quetta',1,0),"
        " (9,'Customer Nine','Multan',0,1)",
        "INSERT INTO Products (ProductId,ProductName,CompanyId,UnitID,IsCrop) VALUES (5,'Panadol',1,1,0)",
        "INSERT INTO purchase (PurchaseId,PurchaseDate,VendorId,PaidAmount) VALUES"
        " (100,'2024-03-01',7,0),(101,'2024-03-02',8,0),(102,'2024-03-03',7,0)",
        "INSERT INTO purreturns (PurReturnId,PurReturnDate,PurchaseId,VendorId) VALUES"
        " (21,'2024-03-05',100,7),(22,'2024-03-20',101,8),(23,'2024-04-02',102,7)",
        "INSERT INTO purreturnsbody (PurReturnId,LineNo,ProductId,Qty,Bonus,Price,DiscRatio,DiscValue,"
        "STRatio,STValue) VALUES"
        " (21,1,5,2,0,10,10,0.5,5,0),(21,2,5,3,1,10,0,0,0,0),(21,3,5,1,0,25,0,1,0,2),"
        " (22,1,5,4,0,5,0,0,0,0),(23,1,5,1,0,100,0,0,0,0)",
    };
    for (const char *sql : rows)
        exec(db, QString::fromLatin1(sql));
    if (!companyName.isNull()) {
        QSqlQuery insert(db);
        insert.prepare(QStringLiteral("INSERT INTO Project_registry VALUES ('companyname', ?)"));
        insert.addBindValue(companyName);
        if (!insert.exec())
            throw std::runtime_error(insert.lastError().text().toStdString());
    }
}

/// The default From date the tests hand the windows, and how often it was read.
class FixedDateProvider : public DefaultDateProvider
{
public:
    explicit FixedDateProvider(QDate day) : m_day(day) {}
    QDate date() const override
    {
        ++reads;
        return m_day;
    }
    mutable int reads = 0;

private:
    QDate m_day;
};

/// Answers each lookup dialog that comes up modally with `answer` (select a
/// vendor by name, or cancel), and counts them with the owner each had.
class LookupDriver : public QObject
{
public:
    enum class Answer { Cancel, Pick };

    explicit LookupDriver(Answer answer = Answer::Cancel, QString pickName = {})
        : m_answer(answer)
        , m_pickName(std::move(pickName))
    {
        connect(&m_timer, &QTimer::timeout, this, &LookupDriver::poll);
        m_timer.start(5);
    }

    int opened = 0;
    int unexpected = 0;   // modal boxes that were no lookup dialog
    QList<QPointer<QWidget>> owners;

private:
    void poll()
    {
        QWidget *modal = QApplication::activeModalWidget();
        auto *dialog = qobject_cast<LookupDialog *>(modal);
        if (!dialog) {
            // Any other modal box would block the test: close it and count it.
            if (auto *other = qobject_cast<QDialog *>(modal); other && other->isVisible()) {
                ++unexpected;
                other->reject();
            }
            return;
        }
        if (!dialog->isVisible())
            return;
        ++opened;
        owners << dialog->parentWidget();
        if (m_answer == Answer::Cancel) {
            dialog->reject();
            return;
        }
        dialog->filterBox()->setText(m_pickName);
        dialog->selectButton()->click();
        if (dialog->isVisible())
            dialog->reject();   // nothing matched: never leave a test blocked
    }

    Answer m_answer;
    QString m_pickName;
    QTimer m_timer;
};


/// Deletes the top-level windows that `wanted` picks; safe when deleting one
/// takes others with it.
template<class Pick>
void deleteTopLevels(Pick wanted)
{
    QList<QPointer<QWidget>> doomed;
    for (QWidget *w : QApplication::topLevelWidgets()) {
        if (!w->parentWidget() && wanted(w))
            doomed << w;
    }
    for (const QPointer<QWidget> &w : doomed)
        delete w.data();
}

} // namespace orvane::test
