#include "OutlinePane.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListView>
#include <QVBoxLayout>

#include "OutlineModel.h"
#include "SearchMiss.h"

namespace orvane {

OutlinePane::OutlinePane(QWidget *parent)
    : QWidget(parent)
    , m_model(new OutlineModel(this))
{
    setObjectName(QStringLiteral("outlinePane"));
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);

    m_find = new QLineEdit(this);
    m_find->setObjectName(QStringLiteral("outlineFind"));
    m_find->setPlaceholderText(tr("Find number or vendor"));
    m_find->setClearButtonEnabled(true);
    layout->addWidget(m_find);

    m_list = new QListView(this);
    m_list->setObjectName(QStringLiteral("outlineList"));
    m_list->setModel(m_model);
    // Rows of one height let the list show a few of hundreds of thousands
    // without measuring the others.
    m_list->setUniformItemSizes(true);
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setTextElideMode(Qt::ElideRight);
    layout->addWidget(m_list, 1);
    setFocusProxy(m_list);

    connect(m_list, &QListView::clicked, this, [this](const QModelIndex &index) { emit entryActivated(index.row()); });
    connect(m_find, &QLineEdit::textEdited, this, [this] {
        m_foundShown = false;
        findFrom(std::max(0, currentRow()));
    });
    connect(m_find, &QLineEdit::returnPressed, this, &OutlinePane::findReturnPressed);
    m_list->installEventFilter(this);
    m_find->installEventFilter(this);
}

int OutlinePane::currentRow() const
{
    const QModelIndex index = m_list->currentIndex();
    return index.isValid() ? index.row() : -1;
}

void OutlinePane::setCurrentRow(int row)
{
    if (row < 0 || row >= m_model->rowCount()) {
        m_list->selectionModel()->clear();
        return;
    }
    const QModelIndex index = m_model->index(row);
    if (m_list->currentIndex() != index)
        m_list->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
    m_list->scrollTo(index, QAbstractItemView::EnsureVisible);
}

void OutlinePane::findFrom(int row)
{
    const QString text = m_find->text();
    const int found = m_model->find(text, row);
    if (found >= 0)
        setCurrentRow(found);
    setSearchMiss(m_find, found < 0 && !text.trimmed().isEmpty());
}

void OutlinePane::findReturnPressed()
{
    if (m_foundShown && !m_find->text().trimmed().isEmpty())
        findFrom(currentRow() + 1);
    m_foundShown = true;
    if (currentRow() >= 0 && !isSearchMiss(m_find))
        emit entryActivated(currentRow());
}

bool OutlinePane::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::KeyPress)
        return QWidget::eventFilter(watched, event);
    auto *key = static_cast<QKeyEvent *>(event);
    if (watched == m_list) {
        if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) && currentRow() >= 0) {
            emit entryActivated(currentRow());
            return true;
        }
        // What is typed in the list is a search: it goes on in the find box.
        const QString text = key->text();
        const bool typed = !text.isEmpty() && text.at(0).isPrint()
                           && !(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier));
        if (typed) {
            m_find->setFocus(Qt::ShortcutFocusReason);
            m_find->setText(text);
            m_foundShown = false;
            findFrom(std::max(0, currentRow()));
            return true;
        }
    } else if (watched == m_find && (key->key() == Qt::Key_Down || key->key() == Qt::Key_Up)) {
        // The arrows walk the list from the box, as in a completer.
        m_list->setFocus(Qt::OtherFocusReason);
        QKeyEvent copy(QEvent::KeyPress, key->key(), key->modifiers());
        QCoreApplication::sendEvent(m_list, &copy);
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace orvane
