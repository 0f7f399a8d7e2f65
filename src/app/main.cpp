// nbreport: the monthly report of non-budget reimbursements.

#include "Version.h"
#include "platform/CoreDumps.h"
#include "platform/InterruptCleanup.h"
#include "platform/QtTranslation.h"
#include "platform/WindowFont.h"
#include "platform/ui/FocusFrameStyle.h"
#include "platform/ui/ProgramIcon.h"
#include "platform/ui/QtPrompts.h"
#include "session/AppContext.h"
#include "session/CommandLine.h"
#include "session/ui/LoginWindow.h"
#include "shell/ui/MainWindow.h"

#include <QApplication>
#include <cstdio>
#include <optional>
#include <string_view>

namespace {

constexpr const char* kUsage =
    "用法: nbreport [会话]\n"
    "不带参数时显示登录窗口。\n"
    "  会话       宿主程序传入的登录会话，会话完整时不显示登录窗口。\n"
    "             以逗号分隔的十个字段依次为 员工代号 姓名 部门代号 部门名称\n"
    "             岗位代号 岗位名称 部门类别代号 部门类别名称 岗位类别代号\n"
    "             岗位类别名称，例如 E01,张三,0102,财务部,P01,会计,D1,职能,G1,管理\n"
    "  --help     显示本帮助并退出\n"
    "  --version  显示版本号并退出\n";

// --help and --version answer before any window or display is needed; any
// other "--" argument is a mistake. The rest is a host program's session
// text (Qt's own options take one dash).
std::optional<int> answerOption(int argc, char* argv[]) {
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument = argv[i];
        if (argument == "--help") {
            std::fputs(kUsage, stdout);
            return 0;
        }
        if (argument == "--version") {
            std::printf("nbreport %s\n", nbr::kVersionText);
            return 0;
        }
        if (argument.starts_with("--")) {
            std::fprintf(stderr, "nbreport: 无法识别的参数：%s\n%s", argv[i], kUsage);
            return 1;
        }
    }
    return std::nullopt;
}

// Without a display Qt would abort; say what to do instead.
bool displayAvailable() {
#if defined(Q_OS_LINUX)
    return !qEnvironmentVariableIsEmpty("DISPLAY") ||
           !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") ||
           !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM");
#else
    return true;
#endif
}

} // namespace

int main(int argc, char* argv[]) {
    nbr::disableCoreDumps();
    if (const std::optional<int> answered = answerOption(argc, argv))
        return *answered;
    if (!displayAvailable()) {
        std::fputs("nbreport: 没有可用的图形显示 (no display found).\n"
                   "Run it under a virtual display, e.g.: xvfb-run -a nbreport\n",
                   stderr);
        return 2;
    }
    nbr::InterruptCleanup::install();
    QApplication app(argc, argv);
    nbr::QtPrompts prompts;
    QApplication::setStyle(new nbr::FocusFrameStyle);
    QApplication::setFont(nbr::windowFont());
    QApplication::setWindowIcon(nbr::programIcon());
    nbr::installQtTranslation();

    // What the program holds for its whole run.
    nbr::AppContext context(prompts);
    context.startCommandLine = nbr::commandLineText(QCoreApplication::arguments());
    context.state.open(nbr::UserState::defaultPath());

    // The login window is the start-up object; after a complete command-line
    // session it never shows and the main window takes over.
    nbr::MainWindow frame(context);
    nbr::LoginWindow login(context);
    frame.follow(login);
    if (!login.load())
        login.show();
    if (prompts.quitRequested())
        return prompts.exitCode();
    return app.exec();
}
