#pragma once
// frmLogin: the program's start-up window. Checks an employee number and
// password, lists the employee's current positions and fixes the chosen one
// as the session; the built-in super user bypasses the check. Shown again
// modally in switch mode (tag "切换") when the user logs out. What follows a
// login is the shell's business: the window only says that it happened.

#include "session/LoginQueries.h"

#include <QDialog>

class QLabel;
class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QPushButton;

namespace nbr {

struct AppContext;

class LoginWindow : public QDialog {
    Q_OBJECT
public:
    explicit LoginWindow(AppContext& context, QWidget* parent = nullptr);

    // The load handler: runs the command-line start. Returns true when it
    // logged in (loggedIn was emitted; this window stays hidden).
    bool load();

    // Switch mode: "切换" after a logout (the main window is already open).
    void setSwitchMode(bool on);
    bool isSwitchMode() const { return !m_tag.isEmpty(); }

    // Clicks of cmdOK and cmdCancel, a double-click on a line of List1.
    void loginAttempt();
    // Ends the program: the user's choice (0), or no connection.
    void cancel(int exitCode = 0);
    static constexpr int kExitNoConnection = 2;
    void choosePosition(int line);

    const std::vector<PositionRecord>& positionRecords() const { return m_positionRecords; }

    // Hides the position list (logout does this before showing the window).
    void hidePositionList();
    void clearPassword();

signals:
    // The session is set: from the command line, a password check with a
    // chosen position, or the super user. The window closes (switch mode:
    // accepts) right after.
    void loggedIn();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void reject() override;

private:
    void correct(QLineEdit* field);
    void finishLogin();

    AppContext& m_context;
    // Controls, the window design's names as comments.
    QLineEdit* m_user;     // TxtUser, "员工编号": the employee number, taken as typed
    QLineEdit* m_password; // txtPassword, "密    码": shown as "*"
    QPushButton* m_ok;     // cmdOK "登录": checks the login
    QPushButton* m_cancel; // cmdCancel "取消": ends the program
    QLabel* m_version;     // Label1: the program's version, "V1.0版"
    QLabel* m_listCaption; // Label2 "请您选择要登录的岗位": caption of the list
    QListWidget* m_list;   // List1: the current positions, shown when there are several

    QString m_tag; // "切换" in switch mode
    std::vector<PositionRecord> m_positionRecords;
    bool m_finished = false;
};

} // namespace nbr
