// The main window: menu, exit question, logout both ways with the host
// window's activation, the special-audit flag, the banner's slices and the
// single report window; Qt's texts in Chinese and the program's icon.

#include "ExportChecks.h"
#include "FixtureDb.h"
#include "PrivateTmpfs.h"
#include "TestContext.h"
#include "platform/FileError.h"
#include "platform/QtTranslation.h"
#include "platform/ui/ChineseFileListModel.h"
#include "platform/ui/ProgramIcon.h"
#include "platform/ui/WindowActivation.h"
#include "report/ui/ReportGridView.h"
#include "report/ui/ReportWindow.h"
#include "session/ProjectAudit.h"
#include "session/SessionState.h"
#include "session/ui/LoginWindow.h"
#include "shell/BannerLayout.h"
#include "shell/HandOver.h"
#include "shell/ui/MainWindow.h"

#include <QFileSystemModel>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>
#if defined(NBR_HAVE_X11)
// Xlib last: its macros clash with names in Qt's headers.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#endif

using namespace Qt::StringLiterals;
using namespace nbr;

namespace {
#if defined(NBR_HAVE_X11)
// The type of a window's WM_NAME ("COMPOUND_TEXT", ...), empty when it has none.
QByteArray titleType(Display* d, Window w) {
    XTextProperty p{};
    if (!XGetTextProperty(d, w, &p, XA_WM_NAME))
        return {};
    XFree(p.value);
    char* name = XGetAtomName(d, p.encoding);
    const QByteArray type(name);
    XFree(name);
    return type;
}

// The first top-level window with a WM_NAME, 0 while there is none.
Window titledWindow(Display* d) {
    Window root = 0, parent = 0, *children = nullptr, found = 0;
    unsigned count = 0;
    XQueryTree(d, DefaultRootWindow(d), &root, &parent, &children, &count);
    for (unsigned i = 0; i < count && !found; ++i)
        found = titleType(d, children[i]).isEmpty() ? 0 : children[i];
    XFree(children);
    return found;
}
#endif
} // namespace

class TestShell : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;
    // A fresh context and frame for each test, as the program makes them.
    std::unique_ptr<test::TestContext> m_t;
    std::unique_ptr<MainWindow> m_frame;

    QAction* action(const QString& name) { return m_frame->findChild<QAction*>(name); }

    // Sets or (empty) removes DBConfig's HandOverDir in the test's settings file.
    void setHandOverDir(const QString& folder) {
        QSettings ini(m_dir.filePath(u"config/Corvale2011/Corvale2011.ini"_s),
                      QSettings::IniFormat);
        if (folder.isEmpty())
            ini.remove(u"DBConfig/HandOverDir"_s);
        else
            ini.setValue(u"DBConfig/HandOverDir"_s, folder);
    }

private slots:
    void initTestCase() {
        const QString path = m_dir.filePath(u"shell.db"_s);
        test::FixtureDb db(path);
        db.addDepartment(u"0102"_s, u"财务部"_s);
        db.addPosition(u"P01"_s, u"会计"_s, u"0102"_s);
        db.addEmployee(u"1001"_s, u"pw1"_s, u"李明"_s);
        db.assignPosition(u"1001"_s, u"P01"_s, true);
        db.addEmployee(u"1002"_s, u"pw2"_s, u"王芳"_s);
        db.assignPosition(u"1002"_s, u"P01"_s, true);
        db.exec(
            u"INSERT INTO 专项审核权限表 (类型, 部门代号, 岗位代号) VALUES ('项目管理', '0102', 'P01')"_s);
        db.close();
        test::writeSettingsFor(m_dir.filePath(u"config"_s), path);
    }

    void init() {
        m_t = std::make_unique<test::TestContext>();
        QVERIFY(m_t->connectToFile(m_dir.filePath(u"shell.db"_s)));
        m_frame = std::make_unique<MainWindow>(m_t->app);
    }

    void cleanup() {
        m_frame.reset();
        m_t.reset();
        setHandOverDir({});
    }

    void menuEntriesAndAvailability() {
        test::FakePrompts& prompts = m_t->prompts;
        m_frame->showAndActivate();
        MainWindow* w = m_frame.get();
        QCOMPARE(w->windowTitle(), u"非预算报销统计"_s);
        QStringList tops;
        for (QAction* a : w->menuBar()->actions())
            tops << a->text() + (a->isEnabled() ? u""_s : u"(off)"_s);
        QCOMPARE(tops, (QStringList{u"非预算报销"_s, u"退出系统"_s, u"关于(off)"_s}));
        QVERIFY(action(u"reportAction"_s)->isEnabled());
        QVERIFY(action(u"exitAction"_s)->isEnabled());
        QVERIFY(action(u"logoutAction"_s)->isEnabled());
        QVERIFY(action(u"aboutAction"_s)->isEnabled());
        QVERIFY(!action(u"contactAction"_s)->isEnabled());
        QVERIFY(prompts.recorded.isEmpty());
    }

    // Closing the frame and the menu entry 退出系统 › 退出 ask the same question.
    void exitQuestion_data() {
        QTest::addColumn<bool>("byMenu");
        QTest::addColumn<bool>("yes");
        QTest::newRow("close, No keeps the program running") << false << false;
        QTest::newRow("close, Yes ends it") << false << true;
        QTest::newRow("退出, No keeps the program running") << true << false;
        QTest::newRow("退出, Yes ends it") << true << true;
    }
    void exitQuestion() {
        QFETCH(bool, byMenu);
        QFETCH(bool, yes);
        test::FakePrompts& prompts = m_t->prompts;
        prompts.yesNoAnswers.push_back(yes);
        m_frame->showAndActivate();
        MainWindow* w = m_frame.get();
        if (byMenu)
            action(u"exitAction"_s)->trigger();
        else
            w->close();
        QCOMPARE(prompts.recorded.size(), 1);
        QCOMPARE(prompts.recorded[0].kind, test::RecordedPrompt::Question);
        QCOMPARE(prompts.recorded[0].text, u"确认要退出系统吗？"_s);
        QCOMPARE(prompts.recorded[0].title, u"非预算报销月报"_s);
        QCOMPARE(w->isVisible(), !yes);
        QCOMPARE(prompts.quitCount, yes ? 1 : 0);
    }

    void reportWindowIsASingleInstance() {
        QTemporaryDir config;
        m_t->app.state.open(config.filePath(u"state.ini"_s));
        m_frame->showAndActivate();
        MainWindow* w = m_frame.get();
        action(u"reportAction"_s)->trigger();
        ReportWindow* first = w->reportWindow();
        QVERIFY(first);
        QCOMPARE(first->objectName(), u"reportWindow"_s);
        action(u"reportAction"_s)->trigger();
        QCOMPARE(w->reportWindow(), first);
        QCOMPARE(w->mdiArea()->subWindowList().size(), 1);
        // Minimised, the menu entry brings it back, active.
        QMdiSubWindow* sub = w->mdiArea()->subWindowList().first();
        sub->showMinimized();
        action(u"reportAction"_s)->trigger();
        QVERIFY(!sub->isMinimized());
        QCOMPARE(w->mdiArea()->activeSubWindow(), sub);
        // Restored, it shows at least 15 rows of the summary and its status
        // panels whole.
        sub->showNormal();
        const int rows = first->summaryView().viewport()->height() /
                         first->summaryView().verticalHeader()->defaultSectionSize();
        QVERIFY2(rows >= 15, qPrintable(QString::number(rows)));
        for (QLabel* panel : first->findChildren<QLabel*>(QRegularExpression(u"statusPanel"_s)))
            QVERIFY2(panel->width() >= panel->sizeHint().width(), qPrintable(panel->text()));
        // Closed where the user left it, it opens there again, not maximised.
        sub->setGeometry(sub->geometry().adjusted(8, 8, 0, 0));
        const QRect place = sub->geometry();
        sub->close();
        action(u"reportAction"_s)->trigger();
        sub = w->mdiArea()->activeSubWindow();
        QVERIFY(sub && !sub->isMaximized());
        QCOMPARE(sub->geometry(), place);
    }

    void logoutAfterCommandLineStartHandsOver_data() {
        QTest::addColumn<QString>("handOverDir");
        QTest::newRow("no HandOverDir: the program's folder") << QString();
        QTest::newRow("HandOverDir: that folder") << u"handover"_s;
        QTest::newRow("relative HandOverDir: below the program's folder") << u"relative"_s;
    }
    void logoutAfterCommandLineStartHandsOver() {
        QFETCH(QString, handOverDir);
        test::FakePrompts& prompts = m_t->prompts;
        QTemporaryDir programDir;
        m_t->app.programFolder = programDir.path();
        // A system install's program folder is not writable: the file goes elsewhere.
        const QString folder =
            handOverDir.isEmpty() ? programDir.path() : programDir.filePath(handOverDir);
        QVERIFY(QDir().mkpath(folder));
        setHandOverDir(handOverDir == u"relative"_s ? handOverDir : folder);
        m_t->app.startCommandLine = u"E9,张三,0102,财务部,P01,会计,D1,职能,G1,管理"_s;
        m_frame->showAndActivate();
        MainWindow* w = m_frame.get();
        action(u"reportAction"_s)->trigger();
        action(u"logoutAction"_s)->trigger(); // no host window here: nothing to activate, no crash
        QVERIFY(w->isVisible());
        QVERIFY(!w->reportWindow());
        QVERIFY(w->mdiArea()->subWindowList().isEmpty());
        QFile file(QDir(folder).filePath(u"Command.Dll"_s));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), QByteArray("\xD7\xA2\xCF\xFA\r\n"));
        QVERIFY(prompts.recorded.isEmpty());
        QCOMPARE(QFile::exists(programDir.filePath(u"Command.Dll"_s)), handOverDir.isEmpty());
    }

    // At logout the host's window is activated by its title. A host built on
    // an older toolkit names its window only in WM_NAME: compound text for a
    // title Latin-1 cannot hold, else Latin-1. The test runs its own X server
    // (Xvfb on a free display) and plays the window manager: it lists the
    // window as a managed client and takes the request sent to the root.
    void hostWindowWithALegacyTitleIsActivated_data() {
        QTest::addColumn<QString>("title");
        QTest::addColumn<QByteArray>("type");
        QTest::newRow("compound text") << u"Corvale系统2011版"_s << QByteArray("COMPOUND_TEXT");
        QTest::newRow("Latin-1") << u"Corvale Système 2011"_s << QByteArray("STRING");
    }
    void hostWindowWithALegacyTitleIsActivated() {
#if !defined(NBR_HAVE_X11)
        QSKIP("no X11 on this platform");
#else
        QFETCH(QString, title);
        QFETCH(QByteArray, type);
        const QString xvfb = QStandardPaths::findExecutable(u"Xvfb"_s);
        const QString xmessage = QStandardPaths::findExecutable(u"xmessage"_s);
        if (xvfb.isEmpty() || xmessage.isEmpty())
            QSKIP("Xvfb or xmessage is missing (Debian packages xvfb and x11-utils)");
        QProcess server;
        server.start(
            u"/bin/sh"_s,
            {u"-c"_s, u"exec \"$0\" -displayfd 3 -nolisten tcp 3>&1 >/dev/null 2>&1"_s, xvfb});
        const auto stopServer = qScopeGuard([&server] {
            server.terminate(); // lets Xvfb remove its lock and socket
            server.waitForFinished();
        });
        QVERIFY2(server.waitForReadyRead(20000), "Xvfb did not start");
        const QByteArray name = ':' + server.readLine().trimmed();
        Display* d = XOpenDisplay(name.constData());
        QVERIFY(d);
        const auto closeDisplay = qScopeGuard([d] { XCloseDisplay(d); });
        QProcess host;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(u"DISPLAY"_s, QString::fromLatin1(name));
        env.insert(u"LC_ALL"_s, u"C.UTF-8"_s); // so that xmessage writes compound text
        host.setProcessEnvironment(env);
        host.start(xmessage, {u"-title"_s, title, u"host"_s});
        Window w = 0;
        QTRY_VERIFY_WITH_TIMEOUT((w = titledWindow(d)) != 0, 10000);
        QCOMPARE(titleType(d, w), type);

        const Window root = DefaultRootWindow(d);
        XChangeProperty(d, root, XInternAtom(d, "_NET_CLIENT_LIST", False), XA_WINDOW, 32,
                        PropModeReplace, reinterpret_cast<const unsigned char*>(&w), 1);
        XSelectInput(d, root, SubstructureRedirectMask);
        XSync(d, False);
        QVERIFY(!activateX11WindowByTitle(d, title + u'x'));
        QVERIFY(activateX11WindowByTitle(d, title));
        XSync(d, False);
        Window requested = 0;
        for (XEvent e; XPending(d);)
            if (XNextEvent(d, &e) == 0 && e.type == ClientMessage &&
                e.xclient.message_type == XInternAtom(d, "_NET_ACTIVE_WINDOW", False))
                requested = e.xclient.window;
        QCOMPARE(requested, w);
        host.kill();
        host.waitForFinished();
#endif
    }

    // The user is told, the old file stays as it was, the program goes on.
    void unwritableHandOverIsReported_data() {
        QTest::addColumn<bool>("fullFolder"); // else a folder in the file's place
        QTest::newRow("a folder at the file's name") << false;
        QTest::newRow("a full folder: the old file stays") << true;
    }

    void unwritableHandOverIsReported() {
        QFETCH(bool, fullFolder);
        test::FakePrompts& prompts = m_t->prompts;
        QTemporaryDir folder;
        test::PrivateTmpfs full(folder.path());
        if (fullFolder && !full.mounted())
            QSKIP("mounting a tmpfs in a private mount namespace is not permitted here");
        const QString file = folder.filePath(u"Command.Dll"_s);
        if (fullFolder) {
            test::writeFile(file, "old");
            full.fill();
        } else { // blocks the write even for root
            QVERIFY(QDir(folder.path()).mkdir(u"Command.Dll"_s));
        }
        m_t->app.programFolder = folder.path();
        m_t->app.startCommandLine = u"E9,张三,0102,财务部,P01,会计,D1,职能,G1,管理"_s;
        m_frame->showAndActivate();
        action(u"logoutAction"_s)->trigger();
        QCOMPARE(prompts.recorded.size(), 1);
        QVERIFY(prompts.recorded[0].text.contains(u"Command.Dll"_s));
        QVERIFY(m_frame->isVisible() && prompts.quitCount == 0);
        if (fullFolder)
            QCOMPARE(test::contents(file), QByteArray("old"));
        QCOMPARE(test::entries(folder.path()).size(), fullFolder ? 2 : 1); // no temporary file
    }

    void handOverFailsCleanlyWhenTheFolderIsMissing() {
        try {
            writeHandOverFile(m_dir.filePath(u"no/such/folder"_s));
            QFAIL("written into a missing folder");
        } catch (const FileError& error) {
            QVERIFY(!error.description().isEmpty());
        }
    }

    void logoutShowsTheLoginWindowInSwitchMode() {
        m_t->app.session.employeeCode = u"1001"_s;
        m_frame->showAndActivate();
        MainWindow* w = m_frame.get();
        action(u"reportAction"_s)->trigger();
        bool sawSwitchMode = false;
        bool reportClosedFirst = false;
        QTimer::singleShot(0, this, [&] {
            auto* login = qobject_cast<LoginWindow*>(QApplication::activeModalWidget());
            QVERIFY(login);
            sawSwitchMode = login->isSwitchMode();
            reportClosedFirst = !w->reportWindow();
            login->findChild<QLineEdit*>(u"userEdit"_s)->setText(u"1002"_s);
            login->findChild<QLineEdit*>(u"passwordEdit"_s)->setText(u"pw2"_s);
            QTest::mouseClick(login->findChild<QPushButton*>(u"loginButton"_s), Qt::LeftButton);
        });
        action(u"logoutAction"_s)->trigger(); // returns when the modal login closed
        QVERIFY(sawSwitchMode);
        QVERIFY(reportClosedFirst);
        QCOMPARE(m_t->app.session.employeeCode, u"1002"_s);
        QCOMPARE(m_t->app.session.employeeName, u"王芳"_s);
        QVERIFY(w->isOpen());
        QVERIFY(w->isVisible());
        QVERIFY(m_t->app.hasProjectAudit); // recomputed for the new session
    }

    void auditFlag() {
        m_t->app.session.departmentCode = u"0102"_s;
        m_t->app.session.positionCode = u"P01"_s;
        QVERIFY(loadProjectAuditFlag(m_t->db(), m_t->app.session));
        m_t->app.session.positionCode = u"P01' OR '1'='1"_s;
        QVERIFY(!loadProjectAuditFlag(m_t->db(), m_t->app.session));
        QCOMPARE(projectAuditSql(m_t->db().dialect()),
                 u"SELECT     ID, 类型, 部门代号, 岗位代号 From 专项审核权限表 WHERE     "
                 u"(部门代号 = ?) AND (岗位代号 = ?) AND (类型 = N'项目管理')"_s.replace(
                     u"N'"_s, u"'"_s)); // the SQLite spelling of the literal
    }

    void failingAuditQueryIsReportedAndTheWindowOpens() {
        test::FakePrompts& prompts = m_t->prompts;
        const QString path = m_dir.filePath(u"noaudit.db"_s);
        {
            test::FixtureDb db(path);
            db.exec(u"DROP TABLE 专项审核权限表"_s);
        }
        QVERIFY(m_t->connectToFile(path));
        m_t->app.hasProjectAudit = true;
        m_frame->showAndActivate();
        QVERIFY(m_frame->isVisible());
        QVERIFY(!m_t->app.hasProjectAudit);
        QCOMPARE(prompts.recorded.size(), 1);
        QVERIFY(prompts.recorded[0].text.startsWith(u"错误码: "_s));
        QCOMPARE(prompts.recorded[0].title, u"系统提示"_s);
    }

    void bannerSlices() {
        // Wide strip: slices at 9150, 9450, ... while width - 4000 > x, then the right part.
        const auto copies = bannerCopies(15000);
        QCOMPARE(copies.size(), size_t(8)); // x = 9150 ... 10950 (11000 > x), then the tail
        QCOMPARE(copies.front().destLeft, 9150);
        QCOMPARE(copies[6].destLeft, 10950);
        QCOMPARE(copies.back().destLeft, 11000);
        QCOMPARE(copies.back().destWidth, 4000);
        QCOMPARE(copies.back().sourceWidth, -1);
        // Narrow strip: no slice, the right part only (it may start left of 0).
        const auto narrow = bannerCopies(3000);
        QCOMPARE(narrow.size(), size_t(1));
        QCOMPARE(narrow[0].destLeft, -1000);
        // Exactly at the limit: width - 4000 == x is not greater, so no slice.
        QCOMPARE(bannerCopies(4000 + 9150).size(), size_t(1));
    }

    // Last: the translation stays installed for the rest of the process.
    void qtTextsInChineseAndOurIcon() {
        QVERIFY(installQtTranslation());
        QMessageBox box(QMessageBox::Information, u"系统提示"_s, u"确认要退出系统吗？"_s,
                        QMessageBox::Ok | QMessageBox::Yes | QMessageBox::No);
        QCOMPARE(box.button(QMessageBox::Ok)->text(), u"确定"_s);
        QVERIFY(box.button(QMessageBox::Yes)->text().startsWith(u'是'));
        QVERIFY(box.button(QMessageBox::No)->text().startsWith(u'否'));
        // The save dialog's file list: types as Windows names them, dates in
        // the Chinese format, whatever the machine's locale.
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkdir(u"子目录"_s));
        QFile workbook(dir.filePath(u"a.xlsx"_s));
        QVERIFY(workbook.open(QIODevice::WriteOnly) &&
                workbook.write(QByteArray(1500, 'x')) == 1500);
        workbook.close();
        QFileSystemModel files;
        ChineseFileListModel list;
        list.setSourceModel(&files);
        QTRY_COMPARE(files.rowCount(files.setRootPath(dir.path())), 2);
        auto shown = [&](const QString& name, int column) {
            return list.mapFromSource(files.index(dir.filePath(name), column)).data().toString();
        };
        QCOMPARE(shown(u"子目录"_s, 2), u"文件夹"_s);
        QCOMPARE(shown(u"a.xlsx"_s, 2), u"Microsoft Excel 工作表"_s);
        QCOMPARE(shown(u"a.xlsx"_s, 1), u"2 KB"_s); // whole kilobytes, rounded up
        QCOMPARE(shown(u"a.xlsx"_s, 3),
                 QFileInfo(dir.filePath(u"a.xlsx"_s)).lastModified().toString(u"yyyy/M/d HH:mm"_s));
        QVERIFY(!programIcon().pixmap(32).isNull());
    }
};

QTEST_MAIN(TestShell)
#include "tst_shell.moc"
