// The login window driven as a user would: typing, Enter, clicks and
// double-clicks, against a real SQLite fixture through the ODBC driver.

#include "FixtureDb.h"
#include "TestContext.h"
#include "session/SessionState.h"
#include "session/ui/LoginWindow.h"
#include "shell/ui/MainWindow.h"

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

using namespace Qt::StringLiterals;
using namespace nbr;

// The start-up login window as the program wires it: a login opens the frame.
class StartLogin : public LoginWindow {
public:
    explicit StartLogin(test::TestContext& t)
        : LoginWindow(t.app), m_frame(std::make_unique<MainWindow>(t.app)) {
        m_frame->follow(*this);
    }
    MainWindow& frame() { return *m_frame; }

private:
    std::unique_ptr<MainWindow> m_frame;
};

class TestLogin : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;
    QString m_db;

    static QLineEdit* edit(QWidget& w, const char* name) {
        return w.findChild<QLineEdit*>(QString::fromLatin1(name));
    }
    static void typeLogin(LoginWindow& w, const QString& user, const QString& password) {
        edit(w, "userEdit")->setText(user);
        edit(w, "passwordEdit")->setText(password);
        QTest::mouseClick(w.findChild<QPushButton*>(u"loginButton"_s), Qt::LeftButton);
    }

private slots:
    void initTestCase() {
        m_db = m_dir.filePath(u"login.db"_s);
        test::FixtureDb db(m_db);
        db.addDepartment(u"01"_s, u"总部"_s);
        db.addDepartment(u"0102"_s, u"财务部"_s, u"01"_s);
        db.addDepartment(u"0103"_s, u"人事部"_s, u"01"_s);
        db.addPosition(u"P01"_s, u"会计"_s, u"0102"_s);
        db.addPosition(u"P02"_s, u"出纳"_s, u"0102"_s);
        db.addPosition(u"P03"_s, u"招聘专员"_s, u"0103"_s);
        db.addPosition(u"P04"_s, u"临时岗位"_s, u"0103"_s, u"G9"_s);
        db.exec(u"UPDATE 岗位类别 SET 岗位类别名称 = NULL WHERE 岗位类别编号 = 'G9'"_s);
        db.addEmployee(u"1001"_s, u"pw1"_s, u" 李明 "_s);
        db.assignPosition(u"1001"_s, u"P01"_s, true);
        db.addEmployee(u"1002"_s, u"pw2"_s, u"王芳"_s);
        db.assignPosition(u"1002"_s, u"P03"_s, false); // database order: part-time first
        db.assignPosition(u"1002"_s, u"P02"_s, true);
        db.addEmployee(u"1003"_s, u"pw3"_s, u"赵离"_s, u"2025-06-30"_s);
        db.assignPosition(u"1003"_s, u"P01"_s, true);
        db.addEmployee(u"1004"_s, u"pw4"_s, u"钱止"_s);
        db.assignPosition(u"1004"_s, u"P02"_s, true, u"2025-01-31"_s);
        db.addEmployee(u"1005"_s, u"pw5"_s, u"孙空"_s);
        db.assignPosition(u"1005"_s, u"P04"_s, true);
        db.addEmployee(u"1006"_s, u"pw6"_s, u"周无"_s);
        db.close();
        test::writeSettingsFor(m_dir.filePath(u"config"_s), m_db);
    }

    // The field to correct gets the focus, its text selected.
    void emptyFieldsAreRefused_data() {
        QTest::addColumn<QString>("user");
        QTest::addColumn<QString>("password");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("field");
        QTest::newRow("no user") << QString() << u"x"_s << u"用户名不能为空!"_s << u"userEdit"_s;
        QTest::newRow("no password")
            << u"1001"_s << QString() << u"密码不能为空!"_s << u"passwordEdit"_s;
    }
    void emptyFieldsAreRefused() {
        QFETCH(QString, user);
        QFETCH(QString, password);
        QFETCH(QString, message);
        QFETCH(QString, field);
        test::TestContext t;
        t.app.session.employeeName = u"保留"_s;
        StartLogin w(t);
        w.load();
        w.show();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        typeLogin(w, user, password);
        QCOMPARE(t.prompts.messageTexts(), QStringList{message});
        QCOMPARE(t.app.session.employeeName, u"保留"_s); // nothing cleared before the checks
        QVERIFY(!w.frame().isOpen());
        auto* fix = w.findChild<QLineEdit*>(field);
        QCOMPARE(QApplication::focusWidget(), fix);
        QCOMPARE(fix->selectedText(), fix->text());
    }

    void wrongCredentialsAndInjectionDoNotLogIn_data() {
        QTest::addColumn<QString>("user");
        QTest::addColumn<QString>("password");
        QTest::newRow("wrong password") << u"1001"_s << u"pw2"_s;
        QTest::newRow("employee number is not trimmed") << u" 1001"_s << u"pw1"_s;
        QTest::newRow("or 1=1 in password") << u"1001"_s << u"' or '1'='1"_s;
        QTest::newRow("or 1=1 in user") << u"' or '1'='1"_s << u"' or '1'='1"_s;
        QTest::newRow("comment") << u"x'--"_s << u"x"_s;
        QTest::newRow("semicolon") << u"1001;"_s << u";"_s;
        QTest::newRow("4000 characters") << QString(4000, u'a') << QString(4000, u'b');
    }
    void wrongCredentialsAndInjectionDoNotLogIn() {
        QFETCH(QString, user);
        QFETCH(QString, password);
        test::TestContext t;
        StartLogin w(t);
        w.load();
        w.show();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        typeLogin(w, user, password);
        QCOMPARE(t.prompts.messageTexts(), QStringList{u"用户名或密码不正确,请重新输入!"_s});
        QVERIFY(!w.frame().isOpen());
        QVERIFY(t.app.session.employeeCode.isEmpty());
        // The password is to be typed again: it has the focus, all selected.
        QCOMPARE(QApplication::focusWidget(), edit(w, "passwordEdit"));
        QCOMPARE(edit(w, "passwordEdit")->selectedText(), password);
    }

    void onePositionLogsInAtOnceWithTrimmedFields() {
        test::TestContext t;
        StartLogin w(t);
        w.load();
        w.show();
        typeLogin(w, u"1001"_s, u"  pw1 "_s); // the password's edge blanks are dropped
        QVERIFY2(t.prompts.recorded.isEmpty(), qPrintable(t.prompts.messageTexts().join(u'|')));
        QVERIFY(w.frame().isOpen() && w.frame().isVisible());
        QVERIFY(!w.isVisible());
        const SessionState& s = t.app.session;
        QCOMPARE(s.employeeCode, u"1001"_s);
        QCOMPARE(s.employeeName, u"李明"_s);
        QCOMPARE(s.departmentCode, u"0102"_s);
        QCOMPARE(s.departmentName, u"财务部"_s);
        QCOMPARE(s.positionCode, u"P01"_s);
        QCOMPARE(s.positionName, u"会计"_s);
        QCOMPARE(s.departmentCategoryCode, u"D1"_s);
        QCOMPARE(s.departmentCategoryName, u"职能部门"_s);
        QCOMPARE(s.positionCategoryCode, u"G1"_s);
        QCOMPARE(s.positionCategoryName, u"G1类岗位"_s);
    }

    void twoPositionsWaitForADoubleClick_data() {
        QTest::addColumn<bool>("enter");
        QTest::newRow("double-click") << false;
        QTest::newRow("Enter") << true;
    }
    void twoPositionsWaitForADoubleClick() {
        test::TestContext t;
        StartLogin w(t);
        w.load();
        w.show();
        typeLogin(w, u"1002"_s, u"pw2"_s);
        auto* list = w.findChild<QListWidget*>(u"positionList"_s);
        QVERIFY(list->isVisible());
        QVERIFY(w.findChild<QLabel*>(u"positionListLabel"_s)->isVisible());
        QCOMPARE(list->count(), 2);
        QCOMPARE(list->item(0)->text(), u"人事部 招聘专员(兼职)"_s);
        QCOMPARE(list->item(1)->text(), u"财务部 出纳(主要)"_s);
        QCOMPARE(w.positionRecords().size(), size_t(3)); // one more than the lines
        QVERIFY(!w.frame().isOpen());
        QVERIFY(t.app.session.employeeCode.isEmpty());

        const QRect line = list->visualItemRect(list->item(1));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, line.center());
        QFETCH(bool, enter); // Enter on the selected line chooses it like a double-click
        if (enter)
            QTest::keyClick(list, Qt::Key_Return);
        else
            QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, line.center());
        QVERIFY(w.frame().isOpen());
        QCOMPARE(t.app.session.positionCode, u"P02"_s);
        QCOMPARE(t.app.session.employeeName, u"王芳"_s);
    }

    void focusOnUserSelectsAllAndHidesTheList() {
        test::TestContext t;
        StartLogin w(t);
        w.load();
        w.show();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        typeLogin(w, u"1002"_s, u"pw2"_s);
        auto* list = w.findChild<QListWidget*>(u"positionList"_s);
        QVERIFY(list->isVisible());
        edit(w, "passwordEdit")->setFocus();
        edit(w, "userEdit")->setFocus();
        QVERIFY(!list->isVisible());
        QCOMPARE(edit(w, "userEdit")->selectedText(), u"1002"_s);
    }

    void enterMovesToTheNextControl() {
        test::TestContext t;
        StartLogin w(t);
        w.load();
        w.show();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        edit(w, "userEdit")->setFocus();
        QTest::keyClicks(edit(w, "userEdit"), u"1001"_s);
        QTest::keyClick(edit(w, "userEdit"), Qt::Key_Return);
        QCOMPARE(QApplication::focusWidget(), edit(w, "passwordEdit"));
        QTest::keyClicks(edit(w, "passwordEdit"), u"pw1"_s);
        QCOMPARE(edit(w, "passwordEdit")->displayText(), u"***"_s);
        QTest::keyClick(edit(w, "passwordEdit"), Qt::Key_Return);
        QCOMPARE(QApplication::focusWidget(), w.findChild<QPushButton*>(u"loginButton"_s));
        QVERIFY(!w.frame().isOpen()); // Enter in a field never submits by itself
        QVERIFY(t.prompts.recorded.isEmpty());
        // Enter on the focused 登录 presses it.
        QTest::keyClick(w.findChild<QPushButton*>(u"loginButton"_s), Qt::Key_Return);
        QVERIFY(w.frame().isOpen());
        QCOMPARE(t.app.session.employeeCode, u"1001"_s);
    }

    void noCurrentPosition_data() {
        QTest::addColumn<QString>("user");
        QTest::addColumn<QString>("password");
        QTest::newRow("employee has left") << u"1003"_s << u"pw3"_s;
        QTest::newRow("only position ended") << u"1004"_s << u"pw4"_s;
        QTest::newRow("never had a position") << u"1006"_s << u"pw6"_s;
    }
    void noCurrentPosition() {
        QFETCH(QString, user);
        QFETCH(QString, password);
        test::TestContext t;
        StartLogin w(t);
        w.load();
        typeLogin(w, user, password);
        QCOMPARE(t.prompts.messageTexts(), QStringList{u"对不起，您没有岗位，请选择系统管理员"_s});
        QCOMPARE(t.prompts.recorded[0].icon, MessageIcon::None);
        QVERIFY(!w.frame().isOpen());
    }

    void nullColumnReadsAsEmptyText() {
        test::TestContext t;
        StartLogin w(t);
        w.load();
        typeLogin(w, u"1005"_s, u"pw5"_s);
        QVERIFY2(t.prompts.recorded.isEmpty(), qPrintable(t.prompts.messageTexts().join(u'|')));
        QVERIFY(w.frame().isOpen());
        QCOMPARE(t.app.session.positionCategoryCode, u"G9"_s);
        QCOMPARE(t.app.session.positionCategoryName, QString());
    }

    void superUserOnlyAfterTheConnection() {
        test::TestContext t;
        StartLogin w(t);
        w.load();
        typeLogin(w, u"mgrOp"_s, u"harbor"_s);
        QVERIFY(t.prompts.recorded.isEmpty());
        QVERIFY(w.frame().isOpen());
        QCOMPARE(t.app.session.employeeCode, u"超级用户"_s);
        for (int i = 1; i < SessionState::kFieldCount; ++i)
            QVERIFY(t.app.session.field(i).isEmpty());

        // Case matters, and an unreachable database stops even the super user;
        // missing settings too.
        t.app.session.clear();
        StartLogin w2(t);
        typeLogin(w2, u"mgrop"_s, u"harbor"_s);
        QCOMPARE(t.app.session.employeeCode, QString());
        test::writeSettingsFor(m_dir.filePath(u"config-gone"_s), m_dir.filePath(u"gone.db"_s));
        const QString nowhere = m_dir.filePath(u"nowhere"_s);
        for (const QString& home : {m_dir.filePath(u"config-gone"_s), nowhere}) {
            qputenv("XDG_CONFIG_HOME", home.toUtf8());
            qputenv("XDG_CONFIG_DIRS", nowhere.toUtf8());
            t.prompts.clear();
            t.prompts.quitCount = 0;
            StartLogin w3(t);
            typeLogin(w3, u"mgrOp"_s, u"harbor"_s);
            QCOMPARE(t.prompts.quitCount, 1); // a failed connection ends the program, not with 0
            QCOMPARE(t.prompts.lastExitCode, 2);
            QVERIFY(!w3.frame().isOpen());
            QVERIFY(t.app.session.employeeCode.isEmpty());
        }
        qputenv("XDG_CONFIG_HOME", m_dir.filePath(u"config"_s).toUtf8());
        qunsetenv("XDG_CONFIG_DIRS");
        QCOMPARE(t.prompts.messageTexts(), QStringList{u"找不到数据库设置文件："_s + nowhere +
                                                       u"/Corvale2011/Corvale2011.ini"_s});
    }

    void failingQueryShowsTheErrorBox() {
        test::TestContext t;
        const QString broken = m_dir.filePath(u"broken.db"_s);
        {
            test::FixtureDb db(broken);
            db.exec(u"DROP TABLE 岗位类别"_s);
            db.addEmployee(u"1001"_s, u"pw1"_s, u"李明"_s);
        }
        test::writeSettingsFor(m_dir.filePath(u"config-broken"_s), broken);
        StartLogin w(t);
        typeLogin(w, u"1001"_s, u"pw1"_s);
        qputenv("XDG_CONFIG_HOME", m_dir.filePath(u"config"_s).toUtf8());
        QCOMPARE(t.prompts.recorded.size(), 1);
        QVERIFY(t.prompts.recorded[0].text.contains(u"岗位类别"_s));
        QVERIFY(t.prompts.recorded[0].text.contains(u' '));
        QCOMPARE(t.prompts.recorded[0].title, programTitle());
        QVERIFY(!w.frame().isOpen());
    }

    void cancelEndsTheProgram() {
        test::TestContext t;
        StartLogin w(t);
        w.load();
        w.show();
        QTest::mouseClick(w.findChild<QPushButton*>(u"cancelButton"_s), Qt::LeftButton);
        QCOMPARE(t.prompts.quitCount, 1);
    }

    void versionCaption() {
        test::TestContext t;
        StartLogin w(t);
        w.load();
        QCOMPARE(w.findChild<QLabel*>(u"versionLabel"_s)->text(), u"V1.0版"_s);
        QCOMPARE(w.windowTitle(), u"Corvale系统"_s);
        // What a screen reader says for the two fields.
        QCOMPARE(edit(w, "userEdit")->accessibleName(), u"工号"_s);
        QCOMPARE(edit(w, "passwordEdit")->accessibleName(), u"密码"_s);
    }

    void commandLineStartSkipsTheLoginWindow() {
        test::TestContext t;
        t.app.startCommandLine = u"E9,张 三 ,0102,财务部,P01,会计,D1,职能,G1,管理,多余"_s;
        StartLogin w(t);
        QVERIFY(w.load());
        QVERIFY(!w.isVisible());
        QVERIFY(w.frame().isOpen() && w.frame().isVisible());
        QCOMPARE(t.app.session.employeeName, u"张 三 "_s);
        QCOMPARE(t.app.session.positionCategoryName, u"管理"_s);
    }

    void commandLineFallsBackToTheLoginWindow() {
        test::TestContext t;
        test::writeSettingsFor(m_dir.filePath(u"config-gone"_s), m_dir.filePath(u"gone.db"_s));
        t.app.startCommandLine = u"E9,张三,0102,财务部,P01,会计,D1,职能,G1,管理"_s;
        StartLogin w(t);
        QVERIFY(!w.load());
        qputenv("XDG_CONFIG_HOME", m_dir.filePath(u"config"_s).toUtf8());
        QCOMPARE(t.prompts.messageTexts().size(), 2); // both connection messages
        QVERIFY(!w.frame().isOpen());
        QCOMPARE(t.app.session.employeeCode, u"E9"_s); // kept until the next attempt
        QCOMPARE(t.prompts.quitCount, 0);

        // An incomplete command line is refused with a message.
        t.prompts.clear();
        t.app.session.clear();
        t.app.startCommandLine = u"E9,张三,0102"_s;
        StartLogin w2(t);
        QVERIFY(!w2.load());
        QCOMPARE(t.prompts.messageTexts().size(), 1);
        QVERIFY(t.prompts.messageTexts()[0].contains(u"启动命令不完整"_s));
        QVERIFY(t.app.session.employeeCode.isEmpty());
    }
};

QTEST_MAIN(TestLogin)
#include "tst_login.moc"
