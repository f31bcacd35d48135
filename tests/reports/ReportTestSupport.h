#pragma once

// The seven report windows as the tests open and drive them.

#include "ReportFixture.h"

#include "InvoiceRangeWindow.h"
#include "LookupDialog.h"
#include "ModalDriver.h"
#include "Printing.h"
#include "Reports.h"
#include "RptReportViewer.h"
#include "SharedState.h"

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

Q_DECLARE_METATYPE(orvane::ReportKind)

namespace orvane::test {

/// The seven kinds, in the order of ReportKind.
inline const ReportKind kAllKinds[] = {
    ReportKind::PurchaseSummary,        ReportKind::PurchaseRegisterInvoiceWise,
    ReportKind::ProductWisePurchases,   ReportKind::ProductPurchaseLedger,
    ReportKind::ProductPurchaseReturnLedger, ReportKind::PurchaseReturnRegister,
    ReportKind::PurchaseReturnSummary,
};

/// The report's command-line name, as a row name.
inline QByteArray kindName(ReportKind kind)
{
    return reportDefinition(kind).commandName.toLatin1();
}

/// The host's call that shows the window of `kind`.
inline void (Reports::*showMethod(ReportKind kind))()
{
    switch (kind) {
    case ReportKind::PurchaseSummary: return &Reports::PurchaseSummary;
    case ReportKind::PurchaseRegisterInvoiceWise: return &Reports::PurchaseRegisterInvoiceWise;
    case ReportKind::ProductWisePurchases: return &Reports::ProductWisePurchases;
    case ReportKind::ProductPurchaseLedger: return &Reports::ProductPurchaseLedger;
    case ReportKind::ProductPurchaseReturnLedger: return &Reports::ProductPurchaseReturnLedger;
    case ReportKind::PurchaseReturnRegister: return &Reports::PurchaseReturnRegister;
    case ReportKind::PurchaseReturnSummary: break;
    }
    return &Reports::PurchaseReturnSummary;
}

/// The viewer the window's last Preview opened (null when none is open).
inline RptReportViewer *lastViewer(const ReportWindow *window)
{
    return qobject_cast<RptReportViewer *>(window->lastViewer());
}

/// Shows the window of `kind` through the host's call, active, with the range
/// set; null when it did not show.
inline ReportWindow *openWindow(ReportKind kind, QDate from = kMarchFirst, QDate to = kMarchLast)
{
    Reports reports;
    (reports.*showMethod(kind))();
    for (QWidget *top : QApplication::topLevelWidgets()) {
        auto *window = qobject_cast<ReportWindow *>(top);
        if (window && window->kind() == kind && window->isVisible()) {
            if (!QTest::qWaitForWindowActive(window))
                qWarning("window did not become active");
            window->fromDate()->setDate(from);
            window->toDate()->setDate(to);
            return window;
        }
    }
    return nullptr;
}

/// Types `code` into the window's code box and confirms it with Enter, as a user does.
inline void typeCode(ReportWindow *window, const QString &code)
{
    window->codeBox()->setFocus();
    window->codeBox()->selectAll();
    QTest::keyClicks(window->codeBox(), code);
    QTest::keyClick(window->codeBox(), Qt::Key_Return);
}

/// Deletes every top-level window of the given kinds still there.
template<class... Kinds>
void deleteWindows()
{
    QList<QPointer<QWidget>> windows;
    for (QWidget *w : QApplication::topLevelWidgets()) {
        if ((qobject_cast<Kinds *>(w) || ...))
            windows << w;
    }
    for (const QPointer<QWidget> &w : windows)
        delete w.data();   // deleting one may take others with it
}

} // namespace orvane::test
