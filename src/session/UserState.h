#pragma once
// What the program remembers for a user from one run to the next: the
// folder of the last export, where the frame and the report window stood,
// and the departments ticked for the last run. It lives in a file of the
// program's own ($XDG_CONFIG_HOME/nbreport/state.ini), never beside the
// database settings, which the program only reads. Until a file is opened
// nothing is remembered and every value reads as unset.

#include <QByteArray>
#include <QRect>
#include <QString>
#include <QStringList>
#include <memory>

class QSettings;

namespace nbr {

class UserState {
public:
    UserState();
    ~UserState();

    // The user's state file; its folder is made on the first write.
    static QString defaultPath();
    void open(const QString& path);

    QString exportFolder() const;
    void setExportFolder(const QString& folder);

    // Department codes, in the tree's order.
    QStringList tickedDepartments() const;
    void setTickedDepartments(const QStringList& codes);

    // The frame as QWidget::saveGeometry gives it.
    QByteArray frameGeometry() const;
    void setFrameGeometry(const QByteArray& geometry);

    // The report window's rectangle inside the frame when not maximised
    // (empty: never placed), and whether it was maximised.
    QRect reportRect() const;
    void setReportRect(const QRect& rect);
    bool reportMaximized() const;
    void setReportMaximized(bool maximized);

private:
    QVariant value(const QString& key) const;
    void setValue(const QString& key, const QVariant& value);

    std::unique_ptr<QSettings> m_file;
};

} // namespace nbr
