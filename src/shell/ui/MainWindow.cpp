#include "shell/ui/MainWindow.h"

#include "platform/Error.h"
#include "platform/Prompts.h"
#include "platform/WaitCursor.h"
#include "platform/ui/WindowActivation.h"
#include "report/ui/ReportWindow.h"
#include "session/AppContext.h"
#include "session/ProjectAudit.h"
#include "session/ui/LoginWindow.h"
#include "shell/HandOver.h"
#include "shell/ui/BannerStrip.h"

#include <QCloseEvent>
#include <QDir>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace nbr {

void MainWindow::showAndActivate() {
    if (!m_loaded) {
        m_loaded = true;
        load();
    }
    // The frame opens where the user left it; the first time it fills the
    // screen, so the report window it hosts fits on any screen without
    // moving windows.
    if (isHidden() && !restoreGeometry(m_context.state.frameGeometry()))
        showMaximized();
    else
        show();
    raise();
    activateWindow();
}

void MainWindow::follow(LoginWindow& login) {
    connect(&login, &LoginWindow::loggedIn, this, &MainWindow::showAndActivate);
}

MainWindow::MainWindow(AppContext& context) : m_context(context) {
    setObjectName(u"mainWindow"_s);
    setWindowTitle(u"非预算报销统计"_s);
    setAttribute(Qt::WA_DeleteOnClose, false);

    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(new BannerStrip(central));
    m_mdi = new QMdiArea(central);
    m_mdi->setObjectName(u"mdiArea"_s);
    layout->addWidget(m_mdi, 1);
    setCentralWidget(central);
    m_mdi->viewport()->installEventFilter(this);

    buildMenu();
    resize(1280, 800);
}

void MainWindow::load() {
    loadAuditFlag();
}

// The flag decides nothing yet (the tree shows every department); a failing
// query is reported and the window opens all the same.
void MainWindow::loadAuditFlag() {
    m_context.hasProjectAudit = false;
    try {
        m_context.hasProjectAudit = loadProjectAuditFlag(m_context.db(), m_context.session);
    } catch (const Error& e) {
        m_context.prompts.message(errorText(e), u"系统提示"_s, MessageIcon::Information);
    }
}

// The menus and their entries, named (objectName) for their roles.
void MainWindow::buildMenu() {
    QMenuBar* bar = menuBar();
    auto addMenu = [&](const QString& caption, const QString& name) {
        QMenu* menu = bar->addMenu(caption);
        menu->setObjectName(name);
        menu->menuAction()->setObjectName(name);
        return menu;
    };
    auto addEntry = [](QMenu* menu, const QString& caption, const QString& name) {
        QAction* action = menu->addAction(caption);
        action->setObjectName(name);
        return action;
    };

    QMenu* report = addMenu(u"非预算报销"_s, u"reportMenu"_s);
    connect(addEntry(report, u"非预算报销月报"_s, u"reportAction"_s), &QAction::triggered, this,
            &MainWindow::openReportWindow);

    QMenu* leave = addMenu(u"退出系统"_s, u"leaveMenu"_s);
    // 退出 leaves the way closing the frame does: after the same question.
    connect(addEntry(leave, u"退出"_s, u"exitAction"_s), &QAction::triggered, this,
            &QWidget::close);
    connect(addEntry(leave, u"注销"_s, u"logoutAction"_s), &QAction::triggered, this,
            &MainWindow::logout);

    QMenu* about = addMenu(u"关于"_s, u"aboutMenu"_s);
    addEntry(about, u"关于软件"_s, u"aboutAction"_s);
    addEntry(about, u"联系我们"_s, u"contactAction"_s)->setEnabled(false);
    about->menuAction()->setEnabled(false);
}

ReportWindow* MainWindow::reportWindow() const {
    // A closed report window is only waiting for its deletion: it is gone.
    if (!m_reportSubWindow || m_reportSubWindow->isHidden())
        return nullptr;
    return qobject_cast<ReportWindow*>(m_reportSubWindow->widget());
}

void MainWindow::openReportWindow() {
    const WaitCursor wait;
    const bool opening = !reportWindow();
    if (opening) {
        auto* report = new ReportWindow(m_context);
        m_reportSubWindow = m_mdi->addSubWindow(report);
        m_reportSubWindow->setAttribute(Qt::WA_DeleteOnClose);
        m_reportSubWindow->setWindowTitle(report->windowTitle());
        report->load();
        // The frame never gets too small for the report window's minimum.
        m_mdi->setMinimumSize(report->minimumSize());
        m_reportSubWindow->setGeometry(restoredReportRect(*report));
        m_reportSubWindow->installEventFilter(this);
    }
    // It opens, and comes back when minimised, as the user last had it:
    // filling the frame's client area (the first time too), or at the place
    // it is restored to.
    if (opening || m_reportSubWindow->isMinimized()) {
        if (m_context.state.reportMaximized())
            m_reportSubWindow->showMaximized();
        else
            m_reportSubWindow->showNormal();
    } else {
        m_reportSubWindow->show();
    }
    m_reportSubWindow->raise();
    m_mdi->setActiveSubWindow(m_reportSubWindow);
}

void MainWindow::logout() {
    // Cancelling the login that follows ends the program without the exit
    // question: the frame's place is remembered now.
    m_context.state.setFrameGeometry(saveGeometry());
    // Close the child windows one by one.
    for (QMdiSubWindow* child : m_mdi->subWindowList()) {
        child->close();
        delete child;
    }
    if (!m_context.startCommandLine.isEmpty()) {
        QString folder;
        try {
            folder = handOverFolder(m_context); // reads the settings store again
        } catch (const Error& e) {
            m_context.prompts.message(e.description(), u"系统提示"_s, MessageIcon::Warning);
            return;
        }
        try {
            writeHandOverFile(folder);
        } catch (const Error& e) {
            m_context.prompts.message(u"无法写入注销交接文件 Command.Dll（"_s + e.description() +
                                          u"），请检查目录 "_s + QDir::toNativeSeparators(folder) +
                                          u" 的写入权限。"_s,
                                      u"系统提示"_s, MessageIcon::Warning);
            return;
        }
        activateWindowByTitle(u"Corvale系统2011版"_s);
        return;
    }
    LoginWindow login(m_context, this);
    // A login here replaces the session of the open frame.
    connect(&login, &LoginWindow::loggedIn, this, &MainWindow::loadAuditFlag);
    login.hidePositionList();
    login.setSwitchMode(true);
    login.clearPassword();
    login.load();
    login.exec();
}

void MainWindow::closeEvent(QCloseEvent* event) {
    if (m_leaving) {
        event->accept();
        return;
    }
    if (!m_context.prompts.askYesNo(u"确认要退出系统吗？"_s, programTitle(),
                                    MessageIcon::Information)) {
        event->ignore();
        return;
    }
    m_leaving = true;
    m_context.state.setFrameGeometry(saveGeometry());
    event->accept();
    m_context.prompts.quit();
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_mdi->viewport() && event->type() == QEvent::Resize)
        updateBackground();
    // The report window's events come through while it is destroyed too, when
    // it is no longer a QMdiSubWindow and may not be compared as one.
    if (qobject_cast<QMdiSubWindow*>(watched) && watched == m_reportSubWindow)
        rememberReportPlace(event->type());
    return QMainWindow::eventFilter(watched, event);
}

// Where the report window goes when it is not maximised: where the user last
// left it, while that is inside the frame's client area; else the design size
// (which shows at least 15 rows of the summary) at the top left, cut to the
// client area.
QRect MainWindow::restoredReportRect(const ReportWindow& report) const {
    const QRect area(QPoint(0, 0), m_mdi->viewport()->size());
    const QRect last = m_context.state.reportRect();
    if (area.contains(last))
        return last;
    const QMargins frame = m_reportSubWindow->contentsMargins();
    const QSize size =
        report.restoredSize().grownBy(frame).expandedTo(report.minimumSize().grownBy(frame));
    return QRect(QPoint(0, 0), size.boundedTo(area.size()));
}

// The report window's place and whether it is maximised, as the user leaves
// them; minimising changes neither.
void MainWindow::rememberReportPlace(QEvent::Type type) {
    QMdiSubWindow* sub = m_reportSubWindow;
    // A sub-window's state carries Qt::WindowActive besides the state proper.
    const bool restored = !(sub->windowState() & (Qt::WindowMinimized | Qt::WindowMaximized));
    if ((type == QEvent::Move || type == QEvent::Resize) && restored && sub->isVisible())
        m_context.state.setReportRect(sub->geometry());
    if (type == QEvent::WindowStateChange && !sub->isMinimized())
        m_context.state.setReportMaximized(sub->isMaximized());
}

void MainWindow::updateBackground() {
    // A missing or unreadable picture leaves the background empty, silently.
    if (m_background.isNull())
        m_background.load(QDir(m_context.programFolder).filePath(u"MDI.BMP"_s));
    if (m_background.isNull() || m_mdi->viewport()->size().isEmpty()) {
        m_mdi->setBackground(palette().dark());
        return;
    }
    m_mdi->setBackground(QPixmap::fromImage(m_background.scaled(
        m_mdi->viewport()->size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation)));
}

} // namespace nbr
