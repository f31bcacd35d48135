#pragma once

#include "MessageStyle.h"

#include <QString>

#include <functional>

class QWidget;

namespace orvane {

/// Every message box of the component goes through here.
/// An empty title shows the application's default title
/// (QGuiApplication::applicationDisplayName()).
/// Returns the button pressed (1 = OK). Without a QApplication the text goes
/// to the log and the result is OK.
int MsgBox(const QString &text, int style = vbOKOnly, const QString &title = QString());

/// Replaces the function that shows boxes (tests record them instead of
/// blocking). Pass an empty function to restore the real QMessageBox.
/// The handler receives the title as given (possibly empty).
using MessageBoxHandler = std::function<int(const QString &text, int style, const QString &title)>;
void setMessageBoxHandler(MessageBoxHandler handler);

} // namespace orvane
