#include "platform/Error.h"

using namespace Qt::StringLiterals;

namespace nbr {

Error::Error(int number, QString description)
    : m_number(number), m_description(std::move(description)), m_what(m_description.toUtf8()) {}

QString errorText(const Error& error) {
    return u"错误码: "_s + error.code() + u" 错误描述: "_s + error.description();
}

} // namespace nbr
