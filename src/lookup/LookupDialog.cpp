#include "LookupDialog.h"

#include "QuotedText.h"
#include "RecordsetModel.h"

#include <QApplication>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QShowEvent>
#include <QTableView>
#include <QVBoxLayout>

#include "Connection.h"
#include "Error.h"
#include "Recordset.h"
#include "SearchMiss.h"
#include "SharedState.h"
#include "ShowError.h"

namespace orvane {

namespace {

const QString errorSource = QStringLiteral("Orvane");

QPixmap searchIcon()
{
    // A plain magnifier in the palette's text colours, so it fits any style.
    QPixmap pixmap(32, 32);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    const QPalette pal = QApplication::palette();
    p.setPen(QPen(pal.color(QPalette::Mid), 3));
    p.setBrush(pal.color(QPalette::Base));
    p.drawEllipse(QRectF(4, 4, 17, 17));
    p.setPen(QPen(pal.color(QPalette::Dark), 5, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(19.5, 19.5), QPointF(27, 27));
    return pixmap;
}

/// The text of a field for the hand-back; NULL has none.
QString fieldText(const QVariant &value, const QString &field)
{
    if (value.isNull())
        throw Error(QObject::tr("The chosen row has no value in the column %1.").arg(field),
                    errorSource);
    return value.toString();
}

} // namespace

LookupDialog::LookupDialog(const Frame &frame, QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint
                          | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint
                          | Qt::MSWindowsFixedSizeDialogHint)
    , m_frame(frame)
{
    setWindowTitle(m_frame.caption);

    if (m_frame.hasImage) {
        m_image = new QLabel(this);
        m_image->setObjectName(QStringLiteral("Image1"));
        m_image->setPixmap(searchIcon());
    }

    m_label = new QLabel(tr("Name:"), this);
    m_label->setObjectName(QStringLiteral("Label9"));

    m_filter = new QLineEdit(this);
    m_filter->setObjectName(QStringLiteral("TxtFilter"));
    m_filter->setMaxLength(30);
    m_label->setBuddy(m_filter);

    QList<RecordsetModel::Column> modelColumns;
    for (const GridColumn &c : m_frame.columns)
        modelColumns.append({c.caption, c.field});
    m_model = new RecordsetModel(modelColumns, this);

    m_grid = new QTableView(this);
    m_grid->setObjectName(QStringLiteral("Grid"));
    m_grid->setModel(m_model);
    m_grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_grid->setSelectionMode(QAbstractItemView::SingleSelection);
    m_grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_grid->setTabKeyNavigation(false);
    m_grid->setWordWrap(false);
    m_grid->setAlternatingRowColors(false);
    m_grid->verticalHeader()->hide();
    // Fixed row heights keep a list of many thousand rows cheap to lay out.
    m_grid->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_grid->verticalHeader()->setDefaultSectionSize(m_grid->fontMetrics().height() + 6);
    m_grid->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    m_grid->horizontalHeader()->setStretchLastSection(false);
    m_grid->horizontalHeader()->setHighlightSections(false);
    // The active row keeps the highlight colours even when the grid has no focus.
    QPalette selectedRow = m_grid->palette();
    for (QPalette::ColorRole role : {QPalette::Highlight, QPalette::HighlightedText})
        selectedRow.setColor(QPalette::Inactive, role, selectedRow.color(QPalette::Active, role));
    m_grid->setPalette(selectedRow);

    m_select = new QPushButton(tr("Select"), this);
    m_select->setObjectName(m_frame.selectName);
    m_close = new QPushButton(tr("Cancel"), this);
    m_close->setObjectName(m_frame.closeName);

    auto *top = new QHBoxLayout;
    if (m_image)
        top->addWidget(m_image);
    top->addWidget(m_label);
    top->addWidget(m_filter, 1);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_select);
    buttons->addWidget(m_close);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(m_grid, 1);
    layout->addLayout(buttons);

    setTabOrder(m_filter, m_grid);
    setTabOrder(m_grid, m_select);
    setTabOrder(m_select, m_close);

    setFixedSize(560, 400);
    setSizeGripEnabled(false);

    connect(m_filter, &QLineEdit::textChanged, this, [this] { filterChanged(); });
    connect(m_select, &QPushButton::clicked, this, &LookupDialog::select);
    connect(m_close, &QPushButton::clicked, this, &LookupDialog::reject);
    connect(m_grid, &QAbstractItemView::doubleClicked, this, &LookupDialog::gridPicked);
    connect(m_grid->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex &current) { currentRowChanged(current.row()); });

    // Key preview: the dialog sees each key first, whichever control has the focus.
    installEventFilter(this);
    const QList<QWidget *> children = findChildren<QWidget *>();
    for (QWidget *child : children)
        child->installEventFilter(this);
}

LookupDialog::~LookupDialog() = default;

void LookupDialog::setHandBackMembers(QString *id, QString *name)
{
    m_outId = id;
    m_outName = name;
}

QString LookupDialog::quoteFilter(const QString &text)
{
    return quotedText(text);
}

QString LookupDialog::containsCriteria(const QString &column, const QString &filter)
{
    if (filter.isEmpty())
        return QString();
    return column + QStringLiteral(" LIKE '%") + quoteFilter(filter) + QStringLiteral("%'");
}

QString LookupDialog::filterCriteria(const QString &) const
{
    return QString();
}

int LookupDialog::gridColumn(const QString &name) const
{
    for (int c = 0; c < m_frame.columns.size(); ++c) {
        if (m_frame.columns.at(c).name.compare(name, Qt::CaseInsensitive) == 0)
            return c;
    }
    return -1;
}

int LookupDialog::showModal(QWidget *owner)
{
    const Qt::WindowFlags flags = windowFlags();
    setParent(owner ? owner->window() : nullptr, flags);
    setWindowModality(Qt::ApplicationModal);
    const int result = exec();
    // Back to no parent, so that closing the owner never destroys the shared instance.
    setParent(nullptr, flags);
    return result;
}

void LookupDialog::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (event->spontaneous())
        return;
    // Every opening is a fresh Load: empty filter, list reloaded, hand-back cleared.
    {
        const QSignalBlocker quiet(m_filter);
        m_filter->clear();
    }
    showFilterMiss(false);
    centreOnScreen();
    fitColumns();
    loadGrid();
    m_filter->setFocus(Qt::OtherFocusReason);
}

void LookupDialog::centreOnScreen()
{
    QScreen *screen = parentWidget() ? parentWidget()->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    QRect frame = frameGeometry();
    frame.moveCenter(screen->availableGeometry().center());
    move(frame.topLeft());
}

void LookupDialog::fitColumns()
{
    double total = 0;
    for (const GridColumn &c : m_frame.columns)
        total += c.width;
    if (total <= 0)
        return;
    if (QLayout *l = layout())
        l->activate();
    const int available = m_grid->width() - 2 * m_grid->frameWidth()
                          - m_grid->verticalScrollBar()->sizeHint().width();
    for (int c = 0; c < m_frame.columns.size(); ++c)
        m_grid->setColumnWidth(c, int(available * m_frame.columns.at(c).width / total));
}

void LookupDialog::loadGrid()
{
    try {
        std::shared_ptr<Recordset> list = m_list;
        if (!list || m_frame.newRecordsetPerLoad)
            list = std::make_shared<Recordset>();
        // The grid keeps showing the previous list until the new one is bound.
        m_list = list;
        if (list->State() == Recordset::adStateOpen)
            list->Close();
        const std::shared_ptr<Connection> connection = SharedState::current().SharedConnection;
        if (!connection)
            throw Error(tr("There is no database connection."), errorSource);
        list->Open(sourceText(), connection, m_frame.cursorType, m_frame.lockType);
        list->setFilter(filterCriteria(m_filter->text()));
        m_model->setRecordset(list);
        showNarrowedList();
    } catch (...) {
        // The grid shows the list the dialog now holds (closed by the failing
        // step: no rows), never stale rows that Select could hand back.
        m_model->setRecordset(m_list);
        ShowError();
    }
}

void LookupDialog::filterChanged()
{
    try {
        // A list that failed to load is read again: the database may answer now.
        if (!m_list || m_list->State() != Recordset::adStateOpen) {
            loadGrid();
            return;
        }
        // The list read at Load is narrowed where it stands: typing never
        // waits for the database, and the typed text never reaches it.
        m_list->setFilter(filterCriteria(m_filter->text()));
        m_model->refresh();
        showNarrowedList();
    } catch (...) {
        ShowError();
    }
}

void LookupDialog::showNarrowedList()
{
    if (m_model->rowCount() > 0)
        m_list->MoveFirst();
    showCurrentRecord();
    showFilterMiss(!m_list->Filter().isEmpty() && m_model->rowCount() == 0);
    if (m_outId)
        m_outId->clear();
    if (m_outName)
        m_outName->clear();
}

void LookupDialog::showCurrentRecord()
{
    const std::shared_ptr<Recordset> list = m_model->recordset();
    int row = -1;
    if (list && list->State() == Recordset::adStateOpen)
        row = list->AbsolutePosition();
    if (row < 0 || row >= m_model->rowCount()) {
        m_grid->selectionModel()->clear();
        return;
    }
    const int column = qMax(0, m_grid->currentIndex().column());
    const QModelIndex index = m_model->index(row, column);
    m_grid->selectionModel()->setCurrentIndex(
        index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    m_grid->scrollTo(index);
}

void LookupDialog::showFilterMiss(bool miss)
{
    setSearchMiss(m_filter, miss);
}

void LookupDialog::currentRowChanged(int row)
{
    try {
        const std::shared_ptr<Recordset> list = m_model->recordset();
        if (!list || row < 0 || list->State() != Recordset::adStateOpen)
            return;
        if (list->AbsolutePosition() != row)
            list->setAbsolutePosition(row);
    } catch (...) {
        ShowError();
    }
}

void LookupDialog::select()
{
    try {
        const std::shared_ptr<Recordset> list = m_model->recordset();
        // An empty grid, or a search that left no row active: nothing to choose.
        if (m_model->rowCount() == 0 || list->AbsolutePosition() < 0)
            return;
        // Code first, then name: a name that fails leaves the code already set.
        const QString id = fieldText(list->Fields(m_frame.idField), m_frame.idField);
        if (m_outId)
            *m_outId = id;
        const QString name = fieldText(list->Fields(m_frame.nameField), m_frame.nameField);
        if (m_outName)
            *m_outName = name;
        done(QDialog::Accepted);
    } catch (...) {
        ShowError();
    }
}

void LookupDialog::gridPicked()
{
    if (m_model->rowCount() >= 1)
        select();
}

void LookupDialog::reject()
{
    if (m_outId)
        m_outId->clear();
    if (m_outName)
        m_outName->clear();
    QDialog::reject();
}

bool LookupDialog::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::KeyPress)
        return QDialog::eventFilter(watched, event);
    try {
        auto *key = static_cast<QKeyEvent *>(event);
        // A key that a control ignores travels up to its parents and passes here
        // again; the decisions below depend only on the key and the active
        // control, so a second pass repeats the first one's "leave it".
        if (dialogKeyDown(key))
            return true;
        if (watched == m_filter && key->key() == Qt::Key_Down && focusWidget() == m_filter) {
            m_grid->setFocus(Qt::TabFocusReason);
            return true;
        }
    } catch (...) {
        ShowError();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

bool LookupDialog::dialogKeyDown(QKeyEvent *event)
{
    QWidget *active = focusWidget();
    if (active == m_select || active == m_close)
        return false;

    const int key = event->key();
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
        select();
        return true;
    }

    QChar typed;
    if ((key >= Qt::Key_A && key <= Qt::Key_Z) || (key >= Qt::Key_0 && key <= Qt::Key_9))
        typed = QChar(key);   // letters upper case; keypad digits arrive as Key_0..Key_9
    else if (key == Qt::Key_Space)
        typed = QLatin1Char(' ');
    else if (key != Qt::Key_Backspace)
        return false;

    if (active != m_grid
        || (event->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier)))
        return false;

    const QString text = m_filter->text();
    if (key == Qt::Key_Backspace) {
        if (text.isEmpty())
            return false;
        m_filter->setText(text.left(text.size() - 1));
    } else {
        m_filter->setText(text + typed);
    }
    // Let the reloaded grid paint before the next key.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    return true;
}

} // namespace orvane
