#include "report/AmountText.h"

#include <QVarLengthArray>
#include <algorithm>
#include <charconv>

using namespace Qt::StringLiterals;

namespace nbr {

namespace {

// Every amount of a run goes through here several times (a scale-100
// summary has some 100 000): the texts are worked on as ASCII bytes in
// buffers on the stack, not built up character by character as QStrings.
using Digits = QVarLengthArray<char, 64>;

// Adds one to a string of decimal digits.
void incrementDigits(Digits& digits) {
    for (qsizetype i = digits.size() - 1; i >= 0; --i) {
        if (digits[i] != '9') {
            ++digits[i];
            return;
        }
        digits[i] = '0';
    }
    digits.insert(digits.begin(), '1');
}

QStringView trimmedView(const QString& text) {
    return QStringView(text).trimmed();
}

} // namespace

QString formatAmount(const QString& decimalText) {
    const QStringView t = trimmedView(decimalText);
    qsizetype i = 0;
    bool negative = false;
    if (i < t.size() && (t[i] == u'-' || t[i] == u'+'))
        negative = t[i++] == u'-';
    Digits digits;
    qsizetype point = -1;
    for (; i < t.size(); ++i) {
        const char16_t c = t[i].unicode();
        if (c >= u'0' && c <= u'9')
            digits.append(char(c));
        else if (c == u'.' && point < 0)
            point = digits.size();
        else
            break;
    }
    if (digits.isEmpty())
        return {};
    if (point < 0)
        point = digits.size();
    if (i < t.size()) {
        if (t[i] != u'e' && t[i] != u'E')
            return {};
        bool ok = false;
        const int exponent = t.sliced(i + 1).toInt(&ok);
        if (!ok || exponent > 400 || exponent < -400)
            return {};
        point += exponent;
    }
    // Bring the point inside the digits with two decimals and one more to round on.
    if (point < 1) {
        digits.insert(digits.begin(), 1 - point, '0');
        point = 1;
    }
    if (digits.size() < point + 3)
        digits.insert(digits.end(), point + 3 - digits.size(), '0');
    const bool roundUp = digits[point + 2] >= '5';
    digits.resize(point + 2);
    if (roundUp)
        incrementDigits(digits);
    // The integer part without leading zeros, but at least one digit.
    qsizetype first = 0;
    while (first < digits.size() - 3 && digits[first] == '0')
        ++first;
    Digits result;
    const bool zero =
        std::all_of(digits.begin() + first, digits.end(), [](char c) { return c == '0'; });
    if (negative && !zero)
        result.append('-');
    result.append(digits.constData() + first, digits.size() - 2 - first);
    result.append('.');
    result.append(digits.constData() + digits.size() - 2, 2);
    return QString::fromLatin1(result.constData(), result.size());
}

QString formatAmount(double value) {
    return formatAmount(QString::number(value, 'g', 15));
}

double amountValue(const QString& text) {
    const QStringView t = trimmedView(text);
    // Numbers are ASCII: anything else is no amount.
    char ascii[64];
    if (t.isEmpty() || t.size() >= qsizetype(sizeof ascii))
        return 0.0;
    qsizetype n = 0;
    for (QChar c : t) {
        if (c.unicode() >= 128)
            return 0.0;
        ascii[n++] = char(c.unicode());
    }
    const char* begin = ascii[0] == '+' ? ascii + 1 : ascii;
    double value = 0;
    const auto [end, error] = std::from_chars(begin, ascii + n, value);
    return error == std::errc() && end == ascii + n ? value : 0.0;
}

} // namespace nbr
