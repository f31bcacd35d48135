#include "ReportWindow.h"

#include "Connection.h"
#include "DateBox.h"
#include "Error.h"
#include "MessageBox.h"
#include "NumericKeyEventFilter.h"
#include "Recordset.h"
#include "Report.h"
#include "ReportPresenter.h"
#include "SchCompany.h"
#include "SchProducts.h"
#include "SchVendors.h"
#include "SharedState.h"
#include "ShowError.h"
#include "WindowPlacement.h"

#include <QApplication>
#include <QFocusEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPixmapCache>
#include <QPushButton>
#include <QStyle>
#include <QTimer>
#include <QVBoxLayout>

namespace orvane {

namespace {

const QColor kLockedBackground(0xE0, 0xE0, 0xE0);

bool isWithin(const QWidget *widget, const QWidget *ancestor)
{
    return widget && ancestor && (widget == ancestor || ancestor->isAncestorOf(widget));
}

/// The picture beside the form. Every QIcon of its own would leave a pixmap in
/// the application's cache per window opened, never to be found again; one
/// key keeps it to one.
QPixmap windowImage(const QStyle *style)
{
    const QString key = QStringLiteral("orvane-report-window-image");
    QPixmap pixmap;
    if (!QPixmapCache::find(key, &pixmap)) {
        pixmap = style->standardIcon(QStyle::SP_FileDialogDetailedView).pixmap(40, 40);
        QPixmapCache::insert(key, pixmap);
    }
    return pixmap;
}

} // namespace

// --- BusyPointer ------------------------------------------------------------

ReportWindow::BusyPointer::BusyPointer(QWidget *window)
    : m_window(window)
{
    if (m_window)
        m_window->setCursor(Qt::WaitCursor);
}

ReportWindow::BusyPointer::~BusyPointer()
{
    if (m_window)
        m_window->unsetCursor();
}

// --- Construction -----------------------------------------------------------

ReportWindow::ReportWindow(const Controls &controls, QWidget *parent)
    : QWidget(parent, Qt::Window)
    , m_controls(controls)
{
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(m_controls.caption.isEmpty() ? reportDefinition(m_controls.kind).caption
                                                : m_controls.caption);
    buildControls();

    // Key preview and the code box's Validate event need to see input before
    // the controls do; an application filter sees it first.
    qApp->installEventFilter(this);
    connect(qApp, &QApplication::focusChanged, this, &ReportWindow::focusChanged);
}

ReportWindow::~ReportWindow()
{
    // Hiding a widget that is being destroyed moves the focus; by then this is
    // no longer a ReportWindow, so the application must not call us any more.
    disconnect(qApp, &QApplication::focusChanged, this, &ReportWindow::focusChanged);
}

QLabel *ReportWindow::makeLabel(const QString &text, const QString &name)
{
    auto *label = new QLabel(text, this);
    if (!name.isEmpty())
        label->setObjectName(name);
    return label;
}

void ReportWindow::buildControls()
{
    auto *outer = new QHBoxLayout(this);
    outer->setContentsMargins(14, 14, 14, 12);
    outer->setSpacing(14);

    m_image = new QLabel(this);
    m_image->setObjectName(QStringLiteral("Image1"));
    m_image->setPixmap(windowImage(style()));
    m_image->setAlignment(Qt::AlignTop | Qt::AlignHCenter);
    outer->addWidget(m_image, 0, Qt::AlignTop);

    auto *column = new QVBoxLayout;
    column->setSpacing(12);
    outer->addLayout(column, 1);

    m_form = new QGridLayout;
    m_form->setHorizontalSpacing(8);
    m_form->setVerticalSpacing(8);
    column->addLayout(m_form);
    buildDateRows();
    buildCodeRow();

    m_buttons = new QHBoxLayout;
    m_buttons->setSpacing(8);
    m_buttons->addStretch(1);
    m_preview = new QPushButton(m_controls.previewText, this);
    m_preview->setObjectName(QStringLiteral("CmdPreview"));
    m_print = new QPushButton(m_controls.printText, this);
    m_print->setObjectName(QStringLiteral("CmdPrint"));
    m_close = new QPushButton(m_controls.closeText, this);
    m_close->setObjectName(QStringLiteral("CmdClose"));
    for (QPushButton *button : {m_preview, m_print, m_close}) {
        button->setAutoDefault(false);
        button->setMinimumWidth(88);
        m_buttons->addWidget(button);
    }
    column->addStretch(1);
    column->addLayout(m_buttons);

    connect(m_codeBox, &QLineEdit::textChanged, this, [this](const QString &text) {
        codeBoxChanged(text);
    });
    connect(m_lookupButton, &QPushButton::clicked, this, &ReportWindow::lookupClicked);
    connect(m_preview, &QPushButton::clicked, this, &ReportWindow::previewClicked);
    connect(m_print, &QPushButton::clicked, this, &ReportWindow::printClicked);
    connect(m_close, &QPushButton::clicked, this, &ReportWindow::closeClicked);

    setTabOrderChain({m_fromDate, m_toDate, m_codeBox, m_preview, m_print, m_close,
                      m_lookupButton, m_nameBox});
}

void ReportWindow::buildDateRows()
{
    auto makeDate = [this](const QString &name, const QString &label) {
        auto *date = new DateBox(this);
        date->setObjectName(name);
        date->setFieldName(label);
        date->setMinimumWidth(130);
        return date;
    };
    m_fromDate = makeDate(m_controls.fromDateName, m_controls.fromDateLabel);
    m_toDate = makeDate(m_controls.toDateName, m_controls.toDateLabel);
    QLabel *fromLabel = makeLabel(m_controls.fromDateLabel, m_controls.fromLabelName);
    QLabel *toLabel = makeLabel(m_controls.toDateLabel, m_controls.toLabelName);
    fromLabel->setBuddy(m_fromDate);
    toLabel->setBuddy(m_toDate);
    m_form->addWidget(fromLabel, 0, 0);
    m_form->addWidget(m_fromDate, 0, 1);
    m_form->addWidget(toLabel, 1, 0);
    m_form->addWidget(m_toDate, 1, 1);
}

void ReportWindow::buildCodeRow()
{
    m_codeBox = new QLineEdit(this);
    m_codeBox->setObjectName(m_controls.codeBoxName);
    m_codeBox->setMaxLength(m_controls.codeMaxLength);
    m_codeBox->setMinimumWidth(120);
    NumericKeyEventFilter::install(m_codeBox, false);

    m_nameBox = new QLineEdit(this);
    m_nameBox->setObjectName(m_controls.nameBoxName);
    m_nameBox->setReadOnly(true);
    m_nameBox->setMaxLength(m_controls.nameMaxLength);
    m_nameBox->setMinimumWidth(220);
    QPalette locked = m_nameBox->palette();
    locked.setColor(QPalette::Base, kLockedBackground);
    m_nameBox->setPalette(locked);

    m_lookupButton = new QPushButton(QStringLiteral("..."), this);
    m_lookupButton->setObjectName(m_controls.lookupButtonName);
    m_lookupButton->setFixedWidth(32);
    m_lookupButton->setToolTip(tr("Look up (F1 in the code box)"));

    QLabel *codeLabel = makeLabel(m_controls.codeLabel, m_controls.codeLabelName);
    codeLabel->setBuddy(m_codeBox);
    m_form->addWidget(codeLabel, 2, 0);
    m_form->addWidget(m_codeBox, 2, 1);
    if (m_controls.nameLabel.isEmpty()) {
        m_form->addWidget(m_nameBox, 2, 2);
        m_form->addWidget(m_lookupButton, 2, 3);
    } else {
        m_form->addWidget(m_lookupButton, 2, 2, Qt::AlignLeft);
        m_form->addWidget(makeLabel(m_controls.nameLabel, m_controls.nameLabelName), 3, 0);
        m_form->addWidget(m_nameBox, 3, 1, 1, 2);
    }
    m_form->setColumnStretch(2, 1);
}

QLabel *ReportWindow::addFormRow(const QString &labelText, QWidget *field, const QString &labelName,
                                 int span)
{
    const int row = m_form->rowCount();
    auto *label = new QLabel(labelText, this);
    if (!labelName.isEmpty())
        label->setObjectName(labelName);
    label->setBuddy(field);
    m_form->addWidget(label, row, 0);
    m_form->addWidget(field, row, 1, 1, span);
    return label;
}

void ReportWindow::setTabOrderChain(const QList<QWidget *> &chain)
{
    for (int i = 1; i < chain.size(); ++i)
        QWidget::setTabOrder(chain.at(i - 1), chain.at(i));
}

// --- Load step --------------------------------------------------------------

void ReportWindow::ensureLoaded()
{
    if (m_loaded)
        return;
    m_loaded = true;
    loadStep();
}

void ReportWindow::showEvent(QShowEvent *event)
{
    WindowPlacement::placeOnScreen(this);
    ensureLoaded();
    QWidget::showEvent(event);
}

void ReportWindow::loadStep()
{
    const QDate from = SharedState::current().defaultDateProvider().date();
    if (from.isValid())
        m_fromDate->setDate(from);
    m_toDate->setDate(QDate::currentDate());
}

// --- Key handling and the code box's Validate event -----------------------

bool ReportWindow::belongsHere(const QObject *object) const
{
    if (!object || !object->isWidgetType())
        return false;
    const auto *widget = static_cast<const QWidget *>(object);
    return widget->window() == this;
}

bool ReportWindow::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::ShortcutOverride:
        // Keep the window's own keys from being taken as shortcuts elsewhere.
        if (belongsHere(watched)) {
            auto *key = static_cast<QKeyEvent *>(event);
            const bool ctrlQ = key->key() == Qt::Key_Q
                && (key->modifiers() & ~Qt::KeypadModifier) == Qt::ControlModifier;
            const bool f1 = key->key() == Qt::Key_F1 && focusWidget() == m_codeBox;
            if (ctrlQ || f1)
                event->accept();
        }
        break;
    case QEvent::KeyPress:
        if (belongsHere(watched) && !m_validating) {
            auto *key = static_cast<QKeyEvent *>(event);
            const bool plainTab = (key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab)
                && !(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier));
            // Tab leaves every control in tab order; leaving the code box or a
            // date box checks it first.
            if (plainTab) {
                moveFocusOn(key->key() == Qt::Key_Tab && !(key->modifiers() & Qt::ShiftModifier));
                return true;
            }
            return keyHandling(key);
        }
        break;
    case QEvent::Shortcut:
        // An access key (Alt+V) moves the focus to its button before clicking it.
        if (belongsHere(watched) && isCheckedOnLeave(focusWidget())
            && !isWithin(static_cast<QWidget *>(watched), focusWidget())
            && !(focusWidget() == m_codeBox && watched == m_lookupButton)) {
            if (!mayLeave(focusWidget()))
                return true;
            m_leaveValidated = true;
            QTimer::singleShot(0, this, [this] { m_leaveValidated = false; });
        }
        break;
    case QEvent::FocusIn:
        if (belongsHere(watched))
            m_lastFocusReason = static_cast<QFocusEvent *>(event)->reason();
        break;
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseButtonRelease:
        if (m_swallowClick != SwallowNone && belongsHere(watched)) {
            // A click whose focus change the code validation refused must
            // not go on to press the control it landed on.
            if (event->type() == QEvent::MouseButtonRelease)
                m_swallowClick = SwallowNone;
            return true;
        }
        if (event->type() == QEvent::MouseButtonRelease && watched == m_codeBox)
            codeBoxClicked();
        break;
    default:
        break;
    }
    return QWidget::eventFilter(watched, event);
}

bool ReportWindow::keyHandling(QKeyEvent *event)
{
    const int key = event->key();
    const Qt::KeyboardModifiers modifiers = event->modifiers() & ~Qt::KeypadModifier;

    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
        if (auto *button = qobject_cast<QPushButton *>(focusWidget())) {
            button->click();
            return true;
        }
        moveFocusOn(true);
        return true;
    }
    if (key == Qt::Key_Q && modifiers == Qt::ControlModifier) {
        if (m_close->isEnabled())
            closeFlow();
        return true;
    }
    if (key == Qt::Key_F1 && focusWidget() == m_codeBox) {
        f1Lookup();
        return true;
    }
    return false;
}

bool ReportWindow::f1Lookup()
{
    const LookupChoice choice = showLookup(nullptr);
    if (choice.code.isEmpty())
        return false;
    m_codeBox->setText(choice.code);
    m_nameBox->setText(choice.name);
    return true;
}

void ReportWindow::moveFocusOn(bool forward)
{
    if (!mayLeave(focusWidget()))
        return;
    m_leaveValidated = true;
    focusNextPrevChild(forward);
    m_leaveValidated = false;
}

bool ReportWindow::isCheckedOnLeave(const QWidget *widget) const
{
    return widget && (widget == m_codeBox || widget == m_fromDate || widget == m_toDate);
}

bool ReportWindow::mayLeave(QWidget *from)
{
    if (from == m_codeBox)
        return mayLeaveCodeBox();
    if (from != m_fromDate && from != m_toDate)
        return true;
    if (m_validating)
        return false;
    auto *date = static_cast<DateBox *>(from);
    m_validating = true;
    const bool accepted = date->checkEntry();
    m_validating = false;
    if (!accepted)
        date->setFocus(Qt::OtherFocusReason);
    return accepted;
}

bool ReportWindow::mayLeaveCodeBox()
{
    if (m_validating)
        return false;
    m_validating = true;
    bool cancel = false;
    try {
        cancel = codeValidation();
    } catch (...) {
        ShowError();
    }
    m_validating = false;
    if (cancel) {
        m_codeBox->setFocus(Qt::OtherFocusReason);
        return false;
    }
    return true;
}

void ReportWindow::focusChanged(QWidget *old, QWidget *now)
{
    // Leaves that the key, access-key and validation paths did not see:
    // clicks on another control, or a focus moved by the program.
    if (!isCheckedOnLeave(old) || !now || now->window() != this || isWithin(now, old))
        return;
    if (m_validating || m_leaveValidated) {
        m_leaveValidated = false;
        return;
    }
    if (old == m_codeBox && now == m_lookupButton)
        return;   // the lookup button looks the code up and comes back
    const bool byMouse = m_lastFocusReason == Qt::MouseFocusReason;
    if (!mayLeave(old) && byMouse)
        m_swallowClick = SwallowPending;
}

bool ReportWindow::codeValidation()
{
    try {
        if (m_codeBox->text().isEmpty())
            return false;
        // Pasted text that is no code stays for correction; nothing looks it up.
        if (const std::optional<ParameterRefusal> refusal = checkCode(kind(), m_codeBox->text())) {
            MsgBox(refusal->message, refusal->style, refusal->title);
            return true;
        }
        bool found = LookupCode(CheckCode);
        if (!found)
            found = LookupCode(OpenDialog);
        return !found;
    } catch (...) {
        ShowError();
        return false;
    }
}

void ReportWindow::codeBoxChanged(const QString &)
{
    m_nameBox->setText(QString());
}

// --- Lookup -----------------------------------------------------------------

ReportWindow::LookupChoice ReportWindow::showLookup(QWidget *owner)
{
    SharedState &state = SharedState::current();
    switch (reportDefinition(kind()).codeKind) {
    case CodeKind::Vendor: {
        auto *dialog = state.window<SchVendors>();
        dialog->showModal(owner);
        return {dialog->ParaOutVendorID, dialog->ParaOutVendorName};
    }
    case CodeKind::Product: {
        auto *dialog = state.window<SchProducts>();
        dialog->showModal(owner);
        return {dialog->ParaOutProductID, dialog->ParaOutProductName};
    }
    case CodeKind::Company: {
        auto *dialog = state.window<SchCompany>();
        dialog->showModal(owner);
        return {dialog->ParaOutCompanyID, dialog->ParaOutCompanyName};
    }
    }
    return {};
}

void ReportWindow::lookupClicked()
{
    // Unlike the lookup that opens for a code naming nothing, a cancelled
    // "..." leaves the code and name the user had.
    const LookupChoice choice = showLookup(this);
    if (!choice.code.isEmpty()) {
        m_codeBox->setText(choice.code);
        LookupCode(CheckCode);
    }
    m_codeBox->setFocus(Qt::OtherFocusReason);
}

bool ReportWindow::LookupCode(int Mode)
{
    try {
        if (Mode == OpenDialog || Mode == OpenDialogToo) {
            const LookupChoice choice = showLookup(this);
            m_codeBox->setText(choice.code);
        }
        const QString code = m_codeBox->text();
        if (code.isEmpty())
            return false;
        m_queryText = lookupSql(kind(), code);
        const std::optional<QString> name = lookupName(kind(), code, connection());
        if (!name)
            return false;
        m_nameBox->setText(*name);
        return true;
    } catch (...) {
        ShowError();
        return false;
    }
}

// --- Preparation ------------------------------------------------------------

std::shared_ptr<Connection> ReportWindow::connection() const
{
    std::shared_ptr<Connection> shared = SharedState::current().SharedConnection;
    // The same message as every other query that finds no connection.
    Connection::require(shared);
    return shared;
}

Recordset &ReportWindow::ReportRecordset()
{
    if (!m_reportRecordset)
        m_reportRecordset = std::make_shared<Recordset>();
    return *m_reportRecordset;
}

QWidget *ReportWindow::lastViewer() const
{
    return m_lastViewer.data();
}

ReportParameters ReportWindow::parameters() const
{
    ReportParameters p;
    p.from = m_fromDate->date();
    p.to = m_toDate->date();
    p.code = m_codeBox->text();
    return p;
}

ReportPreparation ReportWindow::preparation() const
{
    return ReportPreparation(kind(), SharedState::current().SharedConnection);
}

void ReportWindow::readReportRows()
{
    const ReportPreparation prepare = preparation();
    m_queryText = prepare.sql(parameters());
    m_reportRecordset = prepare.readRows(m_queryText, m_reportRecordset);
}

void ReportWindow::makeReport()
{
    m_report = preparation().makeReport(parameters(), m_nameBox->text(), ReportRecordset());
    const ReportDefinition &definition = reportDefinition(kind());
    if (!definition.companyNameSql.isEmpty())
        m_queryText = definition.companyNameSql;
}

std::unique_ptr<Report> ReportWindow::takeReport()
{
    return std::move(m_report);
}

void ReportWindow::showNoRecord()
{
    MsgBox(QString::fromLatin1(messages::NoRecordExists), vbInformation, caption());
}

ReportPresenter &ReportWindow::presenter()
{
    ReportPresenter *presenter = SharedState::current().reportPresenter();
    if (!presenter)
        throw Error(tr("There is no viewer to show the report in."), QStringLiteral("Orvane"));
    return *presenter;
}

QWidget *ReportWindow::parameterWidget(ParameterInput field) const
{
    switch (field) {
    case ParameterInput::FromDate:
        return m_fromDate;
    case ParameterInput::Code:
        return m_codeBox;
    case ParameterInput::FromNo:
    case ParameterInput::ToNo:
        break;
    }
    return nullptr;
}

bool ReportWindow::checkParameters()
{
    for (DateBox *date : {m_fromDate, m_toDate}) {
        if (!date->checkEntry()) {
            date->setFocus(Qt::OtherFocusReason);
            return false;
        }
    }
    const std::optional<ParameterRefusal> refusal = preparation().check(parameters(), m_nameBox->text());
    if (!refusal)
        return true;
    MsgBox(refusal->message, refusal->style, refusal->title);
    if (QWidget *field = parameterWidget(refusal->field))
        field->setFocus(Qt::OtherFocusReason);
    return false;
}

bool ReportWindow::PrepareReport()
{
    m_preparation = Preparation::Stopped;
    m_report.reset();
    try {
        if (!checkParameters())
            return false;
        BusyPointer busy(this);
        readReportRows();
        if (ReportRecordset().isBOF()) {
            m_preparation = Preparation::NoRows;
            showNoRecord();
            return false;
        }
        makeReport();
        m_preparation = Preparation::Ready;
        return true;
    } catch (...) {
        m_report.reset();
        ShowError();
        return false;
    }
}

// --- Preview, Print, Close --------------------------------------------------

void ReportWindow::previewClicked()
{
    previewFlow();
}

void ReportWindow::printClicked()
{
    printFlow();
}

void ReportWindow::closeClicked()
{
    closeFlow();
}

void ReportWindow::previewFlow()
{
    try {
        if (!PrepareReport())
            return;
        m_lastViewer = presenter().showReport(takeReport(), caption() + QStringLiteral(" ReportName"));
    } catch (...) {
        ShowError();
    }
}

void ReportWindow::printFlow()
{
    try {
        // Only what this press prepared is printed: a refusal or an error has
        // said why already, and an earlier report is never printed again.
        if (!PrepareReport()) {
            if (m_preparation == Preparation::NoRows)
                MsgBox(QString::fromLatin1(messages::NoRecordFound), vbInformation,
                       QStringLiteral("Information"));
            return;
        }
        const std::unique_ptr<Report> report = takeReport();
        report->RemoveObjectColors();
        report->PrintOut(true);
    } catch (...) {
        ShowError();
    }
}

void ReportWindow::closeFlow()
{
    close();
}

} // namespace orvane
