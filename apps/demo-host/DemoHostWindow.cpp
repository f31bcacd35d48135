#include "DemoHostWindow.h"

#include <QAction>
#include <QApplication>
#include <QFont>
#include <QFrame>
#include <QGridLayout>
#include <QKeySequence>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QStatusBar>
#include <QVBoxLayout>

#include <exception>

namespace orvane::demo {

const QList<DemoHostWindow::Entry> &DemoHostWindow::entries()
{
    static const QList<Entry> list = {
        {QStringLiteral("Purchase Summary"), &_Reports::PurchaseSummary, {}},
        {QStringLiteral("Purchase Register (Invoicewise)"), &_Reports::PurchaseRegisterInvoiceWise, {}},
        {QStringLiteral("Product Wise Purchases"), &_Reports::ProductWisePurchases, {}},
        {QStringLiteral("Product Purchase Ledger"), &_Reports::ProductPurchaseLedger, {}},
        {QStringLiteral("Company Wise Purchase"), &_Reports::CompanyWisePurchase,
         QStringLiteral("The component has no window for this report: the call opens nothing.")},
        {QStringLiteral("Product Purchase Return Ledger"), &_Reports::ProductPurchaseReturnLedger, {}},
        {QStringLiteral("Purchase Return Register"), &_Reports::PurchaseReturnRegister, {}},
        {QStringLiteral("Purchase Returns Summary"), &_Reports::PurchaseReturnSummary, {}},
    };
    return list;
}

DemoHostWindow::DemoHostWindow(std::unique_ptr<_Reports> reports, const QString &source,
                               const QString &library, QWidget *parent)
    : QMainWindow(parent)
    , m_reports(std::move(reports))
{
    setObjectName(QStringLiteral("DemoHostWindow"));
    setWindowTitle(tr("Orvane Demo Host"));

    QMenu *file = menuBar()->addMenu(tr("&File"));
    // Quit ends the host: the component's windows close with it, as they do
    // when a host application exits.
    QAction *quit = file->addAction(tr("&Quit"), this, &DemoHostWindow::quit);
    quit->setShortcut(QKeySequence::Quit);
    QMenu *reportsMenu = menuBar()->addMenu(tr("&Reports"));

    auto *central = new QWidget(this);
    auto *column = new QVBoxLayout(central);
    column->setContentsMargins(20, 16, 20, 16);
    column->setSpacing(10);

    auto *heading = new QLabel(tr("Purchase reports"), central);
    QFont big = heading->font();
    big.setPointSizeF(big.pointSizeF() * 1.4);
    big.setBold(true);
    heading->setFont(big);
    column->addWidget(heading);
    auto *hint = new QLabel(tr("Each button calls one method of the component. Its window opens "
                               "beside this one; Ctrl+1 to Ctrl+8 do the same from the keyboard."),
                            central);
    hint->setWordWrap(true);
    column->addWidget(hint);

    auto *rule = new QFrame(central);
    rule->setFrameShape(QFrame::HLine);
    rule->setFrameShadow(QFrame::Sunken);
    column->addWidget(rule);

    auto *grid = new QGridLayout;
    grid->setHorizontalSpacing(10);
    grid->setVerticalSpacing(10);
    column->addLayout(grid);

    const QList<Entry> &list = entries();
    for (int i = 0; i < list.size(); ++i) {
        const Entry &entry = list.at(i);
        const QKeySequence shortcut(Qt::CTRL | Qt::Key(Qt::Key_1 + i));

        QAction *action = reportsMenu->addAction(entry.title, this, [this, entry] { run(entry); });
        action->setShortcut(shortcut);
        action->setStatusTip(entry.note);

        auto *button = new QPushButton(
            entry.title + QLatin1Char('\n') + shortcut.toString(QKeySequence::NativeText), central);
        button->setObjectName(QStringLiteral("report%1").arg(i + 1));
        button->setMinimumSize(250, 54);
        button->setToolTip(entry.note);
        button->setFocusPolicy(Qt::StrongFocus);
        connect(button, &QPushButton::clicked, this, [this, entry] { run(entry); });
        grid->addWidget(button, i / 2, i % 2);
    }
    column->addStretch(1);
    setCentralWidget(central);

    auto *where = new QLabel(tr("Database: %1").arg(source), this);
    where->setToolTip(tr("Component: %1").arg(library));
    statusBar()->addWidget(where, 1);
}

DemoHostWindow::~DemoHostWindow() = default;

void DemoHostWindow::quit()
{
    QApplication::closeAllWindows();
    QCoreApplication::quit();
}

void DemoHostWindow::run(const Entry &entry)
{
    // A method that fails reaches the host as an error; the host shows it.
    try {
        (m_reports.get()->*entry.method)();
        if (!entry.note.isEmpty())
            statusBar()->showMessage(entry.note, 5000);
    } catch (const std::exception &error) {
        QMessageBox::critical(this, entry.title, QString::fromLocal8Bit(error.what()));
    } catch (...) {
        QMessageBox::critical(this, entry.title, tr("The component failed."));
    }
}

} // namespace orvane::demo
