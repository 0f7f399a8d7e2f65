#include "report/AmountText.h"

#include <QLocale>

using namespace Qt::StringLiterals;

namespace nbr {

namespace {

// Adds one to a string of decimal digits.
void incrementDigits(QString& digits) {
    for (qsizetype i = digits.size() - 1; i >= 0; --i) {
        if (digits[i] != u'9') {
            digits[i] = QChar(digits[i].unicode() + 1);
            return;
        }
        digits[i] = u'0';
    }
    digits.prepend(u'1');
}

} // namespace

QString formatAmount(const QString& decimalText) {
    const QString t = decimalText.trimmed();
    qsizetype i = 0;
    bool negative = false;
    if (i < t.size() && (t[i] == u'-' || t[i] == u'+'))
        negative = t[i++] == u'-';
    QString digits;
    qsizetype point = -1;
    for (; i < t.size(); ++i) {
        const QChar c = t[i];
        if (c.isDigit() && c.unicode() < 128) {
            digits += c;
        } else if (c == u'.' && point < 0) {
            point = digits.size();
        } else {
            break;
        }
    }
    if (digits.isEmpty())
        return {};
    if (point < 0)
        point = digits.size();
    if (i < t.size()) {
        if (t[i] != u'e' && t[i] != u'E')
            return {};
        bool ok = false;
        const int exponent = t.mid(i + 1).toInt(&ok);
        if (!ok || exponent > 400 || exponent < -400)
            return {};
        point += exponent;
    }
    // Bring the point inside the digits with two decimals and one more to round on.
    if (point < 1) {
        digits.prepend(QString(1 - point, u'0'));
        point = 1;
    }
    if (digits.size() < point + 3)
        digits.append(QString(point + 3 - digits.size(), u'0'));
    const bool roundUp = digits[point + 2] >= u'5';
    QString kept = digits.left(point + 2);
    if (roundUp)
        incrementDigits(kept);
    QString integer = kept.left(kept.size() - 2);
    while (integer.size() > 1 && integer[0] == u'0')
        integer.remove(0, 1);
    const QString result = integer + u'.' + kept.right(2);
    const bool zero = result == u"0.00"_s;
    return (negative && !zero ? u"-"_s : QString()) + result;
}

QString formatAmount(double value) { return formatAmount(QString::number(value, 'g', 15)); }

double amountValue(const QString& text) {
    bool ok = false;
    const double v = QLocale::c().toDouble(text.trimmed(), &ok);
    return ok ? v : 0.0;
}

} // namespace nbr
