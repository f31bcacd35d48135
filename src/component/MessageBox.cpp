#include "MessageBox.h"

#include <QApplication>
#include <QGuiApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QtDebug>

#include <utility>

namespace orvane {

namespace {

MessageBoxHandler &handler()
{
    static MessageBoxHandler h;
    return h;
}

QMessageBox::Icon iconFor(int style)
{
    switch (style & 0x70) {
    case vbCritical: return QMessageBox::Critical;
    case vbQuestion: return QMessageBox::Question;
    case vbExclamation: return QMessageBox::Warning;
    case vbInformation: return QMessageBox::Information;
    default: return QMessageBox::NoIcon;
    }
}

struct ButtonChoice
{
    QMessageBox::StandardButton button;
    int result;
};

QList<ButtonChoice> buttonsFor(int style)
{
    switch (style & 0x07) {
    case vbOKCancel: return {{QMessageBox::Ok, vbOK}, {QMessageBox::Cancel, vbCancel}};
    case vbAbortRetryIgnore:
        return {{QMessageBox::Abort, vbAbort}, {QMessageBox::Retry, vbRetry}, {QMessageBox::Ignore, vbIgnore}};
    case vbYesNoCancel:
        return {{QMessageBox::Yes, vbYes}, {QMessageBox::No, vbNo}, {QMessageBox::Cancel, vbCancel}};
    case vbYesNo: return {{QMessageBox::Yes, vbYes}, {QMessageBox::No, vbNo}};
    case vbRetryCancel: return {{QMessageBox::Retry, vbRetry}, {QMessageBox::Cancel, vbCancel}};
    default: return {{QMessageBox::Ok, vbOK}};
    }
}

int showRealBox(const QString &text, int style, const QString &title)
{
    if (!qobject_cast<QApplication *>(QCoreApplication::instance())) {
        // A host without widgets cannot show a box; the message must not be lost.
        qWarning().noquote() << (title.isEmpty() ? QStringLiteral("Orvane") : title) << ":" << text;
        return vbOK;
    }
    QMessageBox box;
    box.setIcon(iconFor(style));
    // Database messages may hold '<' and '&': show them as written, never as markup.
    box.setTextFormat(Qt::PlainText);
    box.setText(text);
    box.setWindowTitle(title.isEmpty() ? QGuiApplication::applicationDisplayName() : title);
    const QList<ButtonChoice> choices = buttonsFor(style);
    QMessageBox::StandardButtons buttons;
    for (const ButtonChoice &c : choices)
        buttons |= c.button;
    box.setStandardButtons(buttons);
    box.setDefaultButton(choices.first().button);
    // Closing the box with Escape or its close box counts as the last button
    // (Cancel or No), or OK when there is only one.
    box.setEscapeButton(choices.last().button);
    const int pressed = box.exec();
    for (const ButtonChoice &c : choices) {
        if (c.button == pressed)
            return c.result;
    }
    return choices.last().result;
}

} // namespace

int MsgBox(const QString &text, int style, const QString &title)
{
    if (handler())
        return handler()(text, style, title);
    return showRealBox(text, style, title);
}

void setMessageBoxHandler(MessageBoxHandler h)
{
    handler() = std::move(h);
}

} // namespace orvane
