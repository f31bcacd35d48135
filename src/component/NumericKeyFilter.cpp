#include "NumericKeyFilter.h"

#include <QLineEdit>

namespace orvane {

void NumericKeyFilter(int &KeyAscii, const QLineEdit *Box, bool AllowDecimal)
{
    constexpr int backspace = 8;
    constexpr int fullStop = 46;
    if ((KeyAscii >= '0' && KeyAscii <= '9') || KeyAscii == backspace)
        return;
    if (KeyAscii == fullStop && AllowDecimal
        && !(Box && Box->text().contains(QLatin1Char('.'))))
        return;
    KeyAscii = 0;
}

} // namespace orvane
