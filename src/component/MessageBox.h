#pragma once

#include <QString>

#include <functional>

class QWidget;

namespace orvane {

/// Message box style values: buttons + icon, as the windows pass them.
enum MsgBoxStyle {
    vbOKOnly = 0,
    vbCritical = 16,
    vbQuestion = 32,
    vbExclamation = 48,
    vbInformation = 64,
};

/// Every message box of the component goes through here.
/// An empty title shows the application's default title.
/// Returns the button pressed (1 = OK).
int MsgBox(const QString &text, int style = vbOKOnly, const QString &title = QString());

/// Replaces the function that shows boxes (tests record them instead of
/// blocking). Pass an empty function to restore the real QMessageBox.
using MessageBoxHandler = std::function<int(const QString &text, int style, const QString &title)>;
void setMessageBoxHandler(MessageBoxHandler handler);

} // namespace orvane
