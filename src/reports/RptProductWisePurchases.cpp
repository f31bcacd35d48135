#include "RptProductWisePurchases.h"

#include "CrpProductWisePurchase.h"
#include "Connection.h"
#include "Error.h"
#include "MessageBox.h"
#include "Recordset.h"
#include "Report.h"
#include "RptReportViewer.h"
#include "SchCompany.h"
#include "SharedState.h"
#include "ShowError.h"

#include "DateBox.h"
#include <QEvent>
#include <QEventLoop>
#include <QLineEdit>

#include <memory>

namespace orvane {

namespace {

ReportWindow::Controls productWiseControls()
{
    ReportWindow::Controls controls;
    controls.kind = ReportKind::ProductWisePurchases;
    controls.fromDateName = QStringLiteral("DtpFrom");
    controls.toDateName = QStringLiteral("DtpTo");
    controls.fromLabelName = QStringLiteral("Label4");
    controls.toLabelName = QStringLiteral("Label1");
    controls.codeBoxName = QStringLiteral("TxtCompanyID");
    controls.nameBoxName = QStringLiteral("TxtCompanyName");
    controls.lookupButtonName = QStringLiteral("Btnschgroup");
    controls.codeLabel = QStringLiteral("Company ID.");
    controls.codeLabelName = QStringLiteral("Label12");
    controls.nameLabel = QStringLiteral("Company Name");
    controls.nameLabelName = QStringLiteral("Label2");
    controls.codeMaxLength = 2;
    controls.nameMaxLength = 60;
    controls.previewText = QStringLiteral("Preview");
    controls.printText = QStringLiteral("Print");
    controls.closeText = QStringLiteral("Close");
    return controls;
}

QString allCompanies()
{
    return QString::fromLatin1(messages::AllCompanies);
}

// Quits a modal loop when the viewer is hidden or closed.
class HideWatcher : public QObject
{
public:
    HideWatcher(QWidget *watched, QEventLoop *loop)
        : QObject(watched)
        , m_loop(loop)
    {
        watched->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Hide)
            m_loop->quit();
        return false;
    }

private:
    QEventLoop *m_loop;
};

} // namespace

RptProductWisePurchases::RptProductWisePurchases(QWidget *parent)
    : ReportWindow(productWiseControls(), parent)
{
    setObjectName(QStringLiteral("RptProductWisePurchases"));
}

ReportWindow::LookupChoice RptProductWisePurchases::showLookup(QWidget *owner)
{
    auto *dialog = SharedState::current().window<SchCompany>();
    dialog->showModal(owner);
    return {dialog->ParaOutCompanyID, dialog->ParaOutCompanyName};
}

std::unique_ptr<Report> RptProductWisePurchases::createReport() const
{
    return std::make_unique<CrpProductWisePurchase>();
}

void RptProductWisePurchases::loadStep()
{
    if (codeBox()->text().isEmpty())
        nameBox()->setText(allCompanies());
    ReportWindow::loadStep();
}

bool RptProductWisePurchases::f1Lookup()
{
    // A cancelled dialog leaves the boxes and the focus where they were.
    if (!ReportWindow::f1Lookup())
        return false;
    fromDate()->setFocus(Qt::OtherFocusReason);
    return true;
}

void RptProductWisePurchases::codeBoxChanged(const QString &text)
{
    // A new code keeps the old name until the code is validated.
    if (text.isEmpty())
        nameBox()->setText(allCompanies());
}

bool RptProductWisePurchases::RunQuery()
{
    try {
        if (!checkParameters())
            return false;
        const std::shared_ptr<Connection> shared = connection();
        m_executedSql = reportSql(kind(), parameters(), *shared);
        setReportRecordset(shared->Execute(m_executedSql));
        return true;
    } catch (...) {
        ShowError();
        return false;
    }
}

RptReportViewer *RptProductWisePurchases::boundViewer() const
{
    return m_viewer.data();
}

RptReportViewer *RptProductWisePurchases::viewerToFill()
{
    SharedState &state = SharedState::current();
    RptReportViewer *viewer = state.existingWindow<RptReportViewer>();
    if (viewer && !viewer->isVisible())
        return viewer;
    // None yet, or another window's preview still on screen: that one keeps its report.
    viewer = new RptReportViewer;
    state.setWindow<RptReportViewer>(viewer);
    return viewer;
}

void RptProductWisePurchases::BindReport()
{
    m_bound = false;
    try {
        RptReportViewer *viewer = viewerToFill();
        m_viewer = viewer;
        viewer->ReportName = createReport();
        Report &report = *viewer->ReportName;
        report.setDocumentTitle(caption());
        report.setDateRange(fromDate()->date(), toDate()->date());
        report.setReportTitle(productWiseTitle());
        const QStringList texts = productWiseParameterTexts(parameters(), nameBox()->text());
        for (int i = 0; i < texts.size(); ++i)
            report.ParameterFields(i + 1).AddCurrentValue(texts.at(i));
        report.Database().SetDataSource(ReportRecordset(), 3, 1);
        report.SelectPrinter(QStringLiteral("Dummy Driver"), QStringLiteral("Ding Dong"), QStringLiteral("LPT1"));
        report.setPaperOrientation(Report::crLandscape);
        m_bound = true;
    } catch (...) {
        ShowError();
    }
}

bool RptProductWisePurchases::PrepareReport()
{
    if (!RunQuery() || ReportRecordset().RecordCount() == 0)
        return false;
    BindReport();
    return true;
}

void RptProductWisePurchases::showViewerModal(RptReportViewer *viewer)
{
    // Owned by this window while it is shown, so it stands over it; the
    // viewer deletes itself when the user closes it.
    viewer->setParent(this, Qt::Window);
    viewer->setWindowModality(Qt::WindowModal);
    QEventLoop loop;
    new HideWatcher(viewer, &loop);
    connect(viewer, &QObject::destroyed, &loop, &QEventLoop::quit);
    viewer->show();
    viewer->raise();
    viewer->activateWindow();
    if (viewer->isVisible())
        loop.exec();
}

void RptProductWisePurchases::previewFlow()
{
    try {
        auto busy = std::make_unique<BusyPointer>(this);
        if (!RunQuery())
            return;
        if (ReportRecordset().RecordCount() == 0) {
            busy.reset();
            MsgBox(QString::fromLatin1(messages::NoRecordFound), vbInformation, QStringLiteral("Information"));
            codeBox()->clear();
            return;
        }
        BindReport();
        // The hourglass would otherwise stand over the report while it is read.
        busy.reset();
        if (m_viewer)
            showViewerModal(m_viewer);
    } catch (...) {
        ShowError();
    }
}

void RptProductWisePurchases::printFlow()
{
    try {
        BusyPointer busy(this);
        if (!RunQuery())
            return;
        if (ReportRecordset().RecordCount() == 0) {
            MsgBox(QString::fromLatin1(messages::NoRecordFound), vbInformation, QStringLiteral("Information"));
            return;
        }
        BindReport();
        if (!m_bound || !m_viewer || !m_viewer->ReportName)
            return;   // BindReport has reported why; a half-bound report is not printed
        m_viewer->RemoveObjectColors();
        m_viewer->ReportName->PrintOut();
    } catch (...) {
        ShowError();
    }
}

} // namespace orvane
