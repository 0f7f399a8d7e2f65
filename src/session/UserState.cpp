#include "session/UserState.h"

#include <QSettings>
#include <QStandardPaths>

using namespace Qt::StringLiterals;

namespace nbr {

UserState::UserState() = default;
UserState::~UserState() = default;

QString UserState::defaultPath() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           u"/nbreport/state.ini"_s;
}

void UserState::open(const QString& path) {
    m_file = std::make_unique<QSettings>(path, QSettings::IniFormat);
}

QVariant UserState::value(const QString& key) const {
    return m_file ? m_file->value(key) : QVariant();
}

void UserState::setValue(const QString& key, const QVariant& value) {
    if (m_file)
        m_file->setValue(key, value);
}

QString UserState::exportFolder() const {
    return value(u"export/folder"_s).toString();
}

void UserState::setExportFolder(const QString& folder) {
    setValue(u"export/folder"_s, folder);
}

QStringList UserState::tickedDepartments() const {
    return value(u"report/tickedDepartments"_s).toStringList();
}

void UserState::setTickedDepartments(const QStringList& codes) {
    setValue(u"report/tickedDepartments"_s, codes);
}

QByteArray UserState::frameGeometry() const {
    return value(u"frame/geometry"_s).toByteArray();
}

void UserState::setFrameGeometry(const QByteArray& geometry) {
    setValue(u"frame/geometry"_s, geometry);
}

QRect UserState::reportRect() const {
    return value(u"report/rect"_s).toRect();
}

void UserState::setReportRect(const QRect& rect) {
    setValue(u"report/rect"_s, rect);
}

bool UserState::reportMaximized() const {
    // The report window opens maximised until the user restores it.
    const QVariant maximized = value(u"report/maximized"_s);
    return !maximized.isValid() || maximized.toBool();
}

void UserState::setReportMaximized(bool maximized) {
    setValue(u"report/maximized"_s, maximized);
}

} // namespace nbr
