#include "db/DbValue.h"

#include <QDate>

using namespace Qt::StringLiterals;

namespace nbr {

bool DbValue::toFlag() const {
    if (m_null)
        return false;
    const QString t = m_text.trimmed().toLower();
    if (t == u"true"_s || t == u"yes"_s)
        return true;
    bool ok = false;
    const double v = t.toDouble(&ok);
    return ok && v != 0.0;
}

namespace {
// "yyyy-mm-dd" with a valid date at the start of text: the form both
// engines deliver, read without the general date parser, which is many
// times slower and runs three times for every line of a year's claim lines.
bool startsWithIsoDate(QStringView text) {
    if (text.size() < 10 || text[4] != u'-' || text[7] != u'-')
        return false;
    int fields[3] = {};
    int field = 0;
    for (qsizetype i = 0; i < 10; ++i) {
        if (i == 4 || i == 7) {
            ++field;
            continue;
        }
        const char16_t c = text[i].unicode();
        if (c < u'0' || c > u'9')
            return false;
        fields[field] = fields[field] * 10 + (c - u'0');
    }
    return QDate(fields[0], fields[1], fields[2]).isValid();
}
} // namespace

QString withoutTrailingBlanks(const QString& code) {
    qsizetype end = code.size();
    while (end > 0 && code[end - 1] == u' ')
        --end;
    return code.left(end);
}

QString DbValue::toDateText() const {
    if (m_null)
        return {};
    const QString t = m_text.trimmed();
    if (startsWithIsoDate(t))
        return t.left(10);
    const QDate d = QDate::fromString(t.left(10), u"yyyy-MM-dd"_s);
    if (!d.isValid())
        return {};
    return d.toString(u"yyyy-MM-dd"_s);
}

} // namespace nbr
