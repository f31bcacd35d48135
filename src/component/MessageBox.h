#pragma once

#include <QString>

#include <functional>

class QWidget;

namespace orvane {

/// Message box style values: buttons + icon, as the windows pass them.
/// The low bits choose the buttons, the 16..64 bits the icon.
enum MsgBoxStyle {
    vbOKOnly = 0,
    vbOKCancel = 1,
    vbAbortRetryIgnore = 2,
    vbYesNoCancel = 3,
    vbYesNo = 4,
    vbRetryCancel = 5,
    vbCritical = 16,
    vbQuestion = 32,
    vbExclamation = 48,
    vbInformation = 64,
};

/// The buttons MsgBox reports as pressed.
enum MsgBoxResult {
    vbOK = 1,
    vbCancel = 2,
    vbAbort = 3,
    vbRetry = 4,
    vbIgnore = 5,
    vbYes = 6,
    vbNo = 7,
};

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
