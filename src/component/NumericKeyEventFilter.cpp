#include "NumericKeyEventFilter.h"

#include "NumericKeyFilter.h"

#include <QEvent>
#include <QKeyEvent>
#include <QLineEdit>

namespace orvane {

NumericKeyEventFilter::NumericKeyEventFilter(QLineEdit *box, bool allowDecimal)
    : QObject(box)
    , m_box(box)
    , m_allowDecimal(allowDecimal)
{
}

NumericKeyEventFilter *NumericKeyEventFilter::install(QLineEdit *box, bool allowDecimal)
{
    auto *filter = new NumericKeyEventFilter(box, allowDecimal);
    box->installEventFilter(filter);
    return filter;
}

bool NumericKeyEventFilter::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::KeyPress || watched != m_box)
        return QObject::eventFilter(watched, event);

    const auto *key = static_cast<QKeyEvent *>(event);
    if (key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))
        return false;
    if (key->key() == Qt::Key_Backspace) {
        int keyAscii = 8;
        NumericKeyFilter(keyAscii, m_box, m_allowDecimal);
        return keyAscii == 0;
    }
    const QString text = key->text();
    if (text.isEmpty())
        return false;
    for (const QChar c : text) {
        // Tab, Enter, Escape and Delete are moves, not characters: they belong
        // to the box and the window.
        if (c.unicode() < 32 || c.unicode() == 127)
            return false;
    }
    for (const QChar c : text) {
        int keyAscii = c.unicode();
        NumericKeyFilter(keyAscii, m_box, m_allowDecimal);
        if (keyAscii == 0)
            return true;
    }
    return false;
}

} // namespace orvane
