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
    const QDate d = QDate::fromString(t.left(10), u"yyyy-MM-dd"_s);
    if (!d.isValid())
        return {};
    return d.toString(u"yyyy-MM-dd"_s);
}

} // namespace nbr
