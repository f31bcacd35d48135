#include "NumberParse.h"

#include <QLocale>

#include <charconv>
#include <cstdlib>
#include <cmath>
#include <string>
#include <system_error>

namespace orvane {

namespace {

bool isBlank(QChar c)
{
    return c == QLatin1Char(' ') || c == QLatin1Char('\t') || c == QLatin1Char('\n')
        || c == QLatin1Char('\r');
}

bool isDigit(QChar c)
{
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

// True when an out-of-range number text is too large rather than too small:
// the position of its first significant digit plus its exponent is above 0.
bool overflows(const std::string &number)
{
    long long magnitude = 0;
    bool significant = false;
    bool afterStop = false;
    std::size_t i = 0;
    for (; i < number.size() && number[i] != 'e'; ++i) {
        const char c = number[i];
        if (c == '.') {
            afterStop = true;
        } else if (c >= '0' && c <= '9') {
            if (c != '0')
                significant = true;
            if (!afterStop && significant)
                ++magnitude;
            else if (afterStop && !significant)
                --magnitude;
        }
    }
    if (i < number.size())
        magnitude += std::atoll(number.c_str() + i + 1);
    return magnitude > 0;
}

} // namespace

double LeadingNumber(const QString &text)
{
    // Collect the number's characters first, blanks dropped, then let strtod
    // do the arithmetic so that the result is correctly rounded.
    std::string number;
    int i = 0;
    const int n = text.size();
    auto skipBlanks = [&] {
        while (i < n && isBlank(text.at(i)))
            ++i;
    };

    skipBlanks();
    if (i < n && (text.at(i) == QLatin1Char('-') || text.at(i) == QLatin1Char('+'))) {
        number += char(text.at(i).unicode());
        ++i;
    }
    bool digits = false;
    bool fullStop = false;
    for (;;) {
        skipBlanks();
        if (i >= n)
            break;
        const QChar c = text.at(i);
        if (isDigit(c)) {
            number += char(c.unicode());
            digits = true;
        } else if (c == QLatin1Char('.') && !fullStop) {
            number += '.';
            fullStop = true;
        } else {
            break;
        }
        ++i;
    }
    if (!digits)
        return 0;

    // An exponent counts only when digits follow it: "12E" and "12E+" are 12.
    if (i < n) {
        const QChar e = text.at(i).toUpper();
        if (e == QLatin1Char('E') || e == QLatin1Char('D')) {
            int j = i + 1;
            std::string exponent = "e";
            while (j < n && isBlank(text.at(j)))
                ++j;
            if (j < n && (text.at(j) == QLatin1Char('-') || text.at(j) == QLatin1Char('+')))
                exponent += char(text.at(j++).unicode());
            bool expDigits = false;
            for (; j < n; ++j) {
                const QChar c = text.at(j);
                if (isBlank(c))
                    continue;
                if (!isDigit(c))
                    break;
                // Keep the exponent text short; strtod saturates anyway.
                if (exponent.size() < 8)
                    exponent += char(c.unicode());
                expDigits = true;
            }
            if (expDigits)
                number += exponent;
        }
    }

    // from_chars, not strtod: the host's locale may use a comma for decimals.
    const char *first = number.c_str();
    if (*first == '+')
        ++first;
    double value = 0;
    const auto [end, error] = std::from_chars(first, number.c_str() + number.size(), value);
    Q_UNUSED(end);
    if (error == std::errc::result_out_of_range)
        value = overflows(number) ? (number[0] == '-' ? -HUGE_VAL : HUGE_VAL) : 0.0;
    else if (error != std::errc() || std::isnan(value))
        return 0;
    if (value > LeadingNumberLimit)
        value = LeadingNumberLimit;
    else if (value < -LeadingNumberLimit)
        value = -LeadingNumberLimit;
    return value;
}

QString NumberText(double value)
{
    if (value == 0 || std::isnan(value))
        return QStringLiteral("0");
    if (std::isinf(value))
        value = value > 0 ? LeadingNumberLimit : -LeadingNumberLimit;
    return QString::number(value, 'f', QLocale::FloatingPointShortest);
}

QString LeadingNumberText(const QString &text)
{
    return NumberText(LeadingNumber(text));
}

} // namespace orvane
