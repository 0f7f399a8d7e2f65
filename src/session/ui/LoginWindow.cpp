#include "session/ui/LoginWindow.h"

#include "Version.h"
#include "platform/Error.h"
#include "platform/Prompts.h"
#include "session/CommandLine.h"
#include "session/DatabaseConnect.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTimer>

using namespace Qt::StringLiterals;

namespace nbr {

namespace {
const QString kSwitchTag = u"切换"_s;
} // namespace

LoginWindow::LoginWindow(AppContext& context, QWidget* parent)
    : QDialog(parent), m_context(context) {
    setObjectName(u"loginWindow"_s);
    setWindowTitle(u"Corvale系统"_s);
    setAttribute(Qt::WA_DeleteOnClose, false);

    auto* userLabel = new QLabel(u"员工编号"_s, this);
    auto* passwordLabel = new QLabel(u"密    码"_s, this);
    m_user = new QLineEdit(this);
    m_user->setObjectName(u"userEdit"_s);
    m_password = new QLineEdit(this);
    m_password->setObjectName(u"passwordEdit"_s);
    m_password->setEchoMode(QLineEdit::Password);
    // What a screen reader says for the two fields, whose captions are labels.
    m_user->setAccessibleName(u"工号"_s);
    m_password->setAccessibleName(u"密码"_s);
    m_password->setStyleSheet(u"lineedit-password-character: 42;"_s); // "*" for each character
    m_ok = new QPushButton(u"登录"_s, this);
    m_ok->setObjectName(u"loginButton"_s);
    // Enter presses the focused button, as Space does.
    m_ok->setAutoDefault(true);
    m_cancel = new QPushButton(u"取消"_s, this);
    m_cancel->setObjectName(u"cancelButton"_s);
    m_cancel->setAutoDefault(true);
    m_version = new QLabel(this);
    m_version->setObjectName(u"versionLabel"_s);
    m_listCaption = new QLabel(u"请您选择要登录的岗位"_s, this);
    m_listCaption->setObjectName(u"positionListLabel"_s);
    m_list = new QListWidget(this);
    m_list->setObjectName(u"positionList"_s);
    m_listCaption->hide();
    m_list->hide();

    auto* title = new QLabel(u"非预算报销统计"_s, this);
    QFont titleFont = title->font();
    titleFont.setPointSize(titleFont.pointSize() + 5);
    titleFont.setBold(true);
    title->setFont(titleFont);

    auto* grid = new QGridLayout(this);
    grid->addWidget(title, 0, 0, 1, 3);
    grid->addWidget(userLabel, 1, 0);
    grid->addWidget(m_user, 1, 1, 1, 2);
    grid->addWidget(passwordLabel, 2, 0);
    grid->addWidget(m_password, 2, 1, 1, 2);
    grid->addWidget(m_ok, 3, 1);
    grid->addWidget(m_cancel, 3, 2);
    grid->addWidget(m_listCaption, 4, 0, 1, 3);
    grid->addWidget(m_list, 5, 0, 1, 3);
    grid->addWidget(m_version, 6, 2, Qt::AlignRight);
    grid->setSizeConstraint(QLayout::SetFixedSize);
    m_user->setMinimumWidth(220);

    setTabOrder(m_user, m_password);
    setTabOrder(m_password, m_ok);
    setTabOrder(m_ok, m_cancel);
    m_user->installEventFilter(this);
    m_password->installEventFilter(this);
    m_list->installEventFilter(this);

    connect(m_ok, &QPushButton::clicked, this, &LoginWindow::loginAttempt);
    connect(m_cancel, &QPushButton::clicked, this, [this] { cancel(); });
    connect(m_list, &QListWidget::itemDoubleClicked, this,
            [this](QListWidgetItem* item) { choosePosition(m_list->row(item)); });
}

bool LoginWindow::load() {
    switch (applyCommandLine(m_context.startCommandLine, m_context.session)) {
    case CommandLineSession::Complete:
        switch (connectFromSettings(m_context)) {
        case ConnectResult::Connected:
            m_finished = true;
            emit loggedIn();
            return true;
        case ConnectResult::SettingsUnusable: // the login window could do no better
            cancel(kExitNoConnection);
            return false;
        case ConnectResult::Failed:
            break;
        }
        break;
    case CommandLineSession::Incomplete:
        m_context.prompts.message(
            u"启动命令不完整：需要以逗号分隔的10个会话字段，请使用用户名和密码登录。"_s,
            u"系统提示"_s, MessageIcon::Information);
        break;
    case CommandLineSession::Absent:
        break;
    }
    m_version->setText(u"V%1.%2版"_s.arg(kVersionMajor).arg(kVersionMinor));
    return false;
}

void LoginWindow::setSwitchMode(bool on) {
    m_tag = on ? kSwitchTag : QString();
}

void LoginWindow::hidePositionList() {
    m_listCaption->hide();
    m_list->hide();
}

void LoginWindow::clearPassword() {
    m_password->clear();
}

void LoginWindow::loginAttempt() {
    const QString user = m_user->text();
    const QString password = m_password->text();
    if (user.isEmpty()) {
        m_context.prompts.message(u"用户名不能为空!"_s, programTitle(), MessageIcon::Information);
        correct(m_user);
        return;
    }
    if (password.isEmpty()) {
        m_context.prompts.message(u"密码不能为空!"_s, programTitle(), MessageIcon::Information);
        correct(m_password);
        return;
    }
    m_context.session.clear();
    if (connectFromSettings(m_context) != ConnectResult::Connected) {
        cancel(kExitNoConnection); // a login that cannot connect ends the program
        return;
    }
    if (user == u"mgrOp"_s && password == u"harbor"_s) {
        m_context.session.employeeCode = u"超级用户"_s;
        finishLogin();
        return;
    }
    try {
        if (!passwordMatches(m_context.db(), user, password)) {
            m_context.prompts.message(u"用户名或密码不正确,请重新输入!"_s, programTitle(),
                                      MessageIcon::Information);
            correct(m_password);
            return;
        }
        m_list->clear();
        m_positionRecords.assign(1, PositionRecord{});
        const std::vector<PositionRecord> positions = loadPositions(m_context.db(), user);
        if (positions.empty()) {
            m_context.prompts.message(u"对不起，您没有岗位，请选择系统管理员"_s, programTitle(),
                                      MessageIcon::None);
            return;
        }
        for (const PositionRecord& p : positions) {
            m_list->addItem(p.listLine());
            // One element more than the list has lines: the last stays empty.
            m_positionRecords.back() = p;
            m_positionRecords.emplace_back();
        }
    } catch (const Error& e) {
        // The login window's own form of an error: number, blank, description.
        m_context.prompts.message(e.code() + u' ' + e.description(), programTitle(),
                                  MessageIcon::Information);
        return;
    }
    if (m_list->count() == 1) {
        m_list->setCurrentRow(0);
        choosePosition(0);
        return;
    }
    m_listCaption->show();
    m_list->show();
}

void LoginWindow::choosePosition(int line) {
    if (line < 0 || line >= m_list->count() || size_t(line) >= m_positionRecords.size())
        return;
    const PositionRecord& record = m_positionRecords[size_t(line)];
    for (int i = 0; i < SessionState::kFieldCount; ++i)
        m_context.session.field(i) = record.fields[size_t(i)].trimmed();
    finishLogin();
}

void LoginWindow::finishLogin() {
    m_finished = true;
    emit loggedIn();
    if (isSwitchMode())
        accept();
    else
        close();
}

void LoginWindow::cancel(int exitCode) {
    m_context.prompts.quit(exitCode);
    m_finished = true;
    QDialog::reject();
}

void LoginWindow::reject() {
    // Escape or the title bar's close button: the same as cmdCancel.
    if (!m_finished)
        cancel();
    else
        QDialog::reject();
}

void LoginWindow::closeEvent(QCloseEvent* event) {
    if (!m_finished) {
        event->ignore();
        cancel();
        return;
    }
    QDialog::closeEvent(event);
}

// After a refused attempt the user corrects the field at fault: it gets the
// focus with its whole text selected.
void LoginWindow::correct(QLineEdit* field) {
    field->setFocus(Qt::OtherFocusReason);
    field->selectAll();
}

bool LoginWindow::eventFilter(QObject* watched, QEvent* event) {
    const bool enter = event->type() == QEvent::KeyPress &&
                       (static_cast<QKeyEvent*>(event)->key() == Qt::Key_Return ||
                        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Enter);
    if (watched == m_list) {
        // Enter on the selected line chooses it, as a double-click does.
        if (!enter)
            return QDialog::eventFilter(watched, event);
        if (m_list->currentRow() >= 0)
            choosePosition(m_list->currentRow());
        return true;
    }
    auto* edit = qobject_cast<QLineEdit*>(watched);
    if (!edit)
        return QDialog::eventFilter(watched, event);
    if (enter) {
        focusNextChild();
        return true;
    }
    if (event->type() == QEvent::FocusIn) {
        edit->selectAll();
        // A mouse click would clear the selection right after focus-in.
        QTimer::singleShot(0, edit, [edit] { edit->selectAll(); });
        if (edit == m_user)
            hidePositionList();
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace nbr
