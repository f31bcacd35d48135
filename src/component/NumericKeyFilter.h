#pragma once

class QLineEdit;

namespace orvane {

/// The numbers-only key filter of the number boxes. `KeyAscii` is the
/// character code of a typed key; a refused key comes back as 0.
/// Digits (48..57) and Backspace (8) pass; a full stop (46) passes only when
/// `AllowDecimal` is true and `Box`'s text holds no full stop yet; every other
/// character, the minus sign included, is refused. A null `Box` counts as empty.
void NumericKeyFilter(int &KeyAscii, const QLineEdit *Box, bool AllowDecimal);

} // namespace orvane
