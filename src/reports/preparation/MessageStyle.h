#pragma once

namespace orvane {

/// Message box style values: buttons + icon, as the windows pass them. The
/// low bits choose the buttons, the 16..64 bits the icon. Plain values, so
/// that what decides a message (a refusal, an outcome) needs no window to say
/// how it is shown.
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

} // namespace orvane
