// nbreport-make-demo: writes the demo database, the SQLite file with the
// program's tables that the demo, the tests and the benchmarks read.
// The content depends only on --scale, --seed and --base-year; the base year
// defaults to the year the database is made in, so the report's default year
// (the current one) has claims, and tests pass it to stay reproducible.

#include "DemoClaims.h"
#include "DemoDbWriter.h"
#include "DemoOrganisation.h"
#include "Version.h"

#ifdef _WIN32
#include <windows.h> // SetConsoleOutputCP
#endif

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <ctime>
#include <optional>
#include <string>
#include <string_view>

using namespace nbr::demo;

namespace {

constexpr std::uint64_t kDefaultSeed = 20250101;
constexpr int kMaxScale = 1000;
// The report lists the years 2000 to 2079; the demo's three years stay inside.
constexpr int kMinBaseYear = 2001;
constexpr int kMaxBaseYear = 2078;

constexpr const char* kUsage =
    "用法：nbreport-make-demo [--scale N] [--seed S] [--base-year Y] OUTPUT.db\n"
    "生成 nbreport 的演示数据库（SQLite 文件），并列出演示登录。\n"
    "  --scale N      部门和报销单的倍数，1 到 1000，默认 1\n"
    "  --seed S       随机种子（非负整数），默认 20250101\n"
    "  --base-year Y  报销单年份为 Y-1、Y、Y+1，Y 为 2001 到 2078，默认今年\n"
    "  --help         显示本帮助并退出\n"
    "  --version      显示版本号并退出\n"
    "退出码：0 成功，1 参数错误，2 写文件失败\n";

int currentYear() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
#ifdef _WIN32
    localtime_s(&local, &now); // MSVC's thread-safe form, arguments the other way round
#else
    localtime_r(&now, &local);
#endif
    return std::clamp(local.tm_year + 1900, kMinBaseYear, kMaxBaseYear);
}

struct Options {
    int scale = 1;
    std::uint64_t seed = kDefaultSeed;
    int baseYear = currentYear();
    std::string output;
};

template <typename Number> std::optional<Number> parseNumber(std::string_view text) {
    Number value{};
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

// The options, or a message saying what is wrong with the arguments.
std::optional<Options> parseArguments(int argc, char** argv, std::string& error) {
    Options options;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--scale" || arg == "--seed" || arg == "--base-year") {
            if (i + 1 >= argc) {
                error = std::string(arg) + " 后缺少数值";
                return std::nullopt;
            }
            const std::string_view value = argv[++i];
            if (arg == "--scale") {
                const auto scale = parseNumber<int>(value);
                if (!scale || *scale < 1 || *scale > kMaxScale) {
                    error = "--scale 应为 1 到 1000 的整数：" + std::string(value);
                    return std::nullopt;
                }
                options.scale = *scale;
            } else if (arg == "--base-year") {
                const auto year = parseNumber<int>(value);
                if (!year || *year < kMinBaseYear || *year > kMaxBaseYear) {
                    error = "--base-year 应为 2001 到 2078 的年份：" + std::string(value);
                    return std::nullopt;
                }
                options.baseYear = *year;
            } else {
                const auto seed = parseNumber<std::uint64_t>(value);
                if (!seed) {
                    error = "--seed 应为非负整数：" + std::string(value);
                    return std::nullopt;
                }
                options.seed = *seed;
            }
        } else if (arg.starts_with("-") && arg.size() > 1) {
            error = "未知选项：" + std::string(arg);
            return std::nullopt;
        } else if (options.output.empty()) {
            options.output = arg;
        } else {
            error = "只能指定一个输出文件";
            return std::nullopt;
        }
    }
    if (options.output.empty()) {
        error = "缺少输出文件";
        return std::nullopt;
    }
    return options;
}

void printSummary(const DemoDataset& data, const Options& options) {
    std::size_t active = 0;
    for (const auto& d : data.departments)
        active += d.endDate ? 0 : 1;
    std::printf("已生成 %s（规模 %d，种子 %llu）\n", options.output.c_str(), options.scale,
                static_cast<unsigned long long>(options.seed));
    std::printf("部门 %zu 个（有效 %zu 个），员工 %zu 名，报销单 %zu 张，明细 %zu 行\n",
                data.departments.size(), active, data.employees.size(), data.claims.size(),
                data.claimLines.size());
    std::printf("报销单年份：%d 年、%d 年、%d 年（统计时请选这三年之一）\n", options.baseYear - 1,
                options.baseYear, options.baseYear + 1);
    std::printf("演示登录：\n");
    for (const auto& login : data.demoLogins)
        std::printf("  工号 %s  密码 %s  %s\n", login.number.c_str(), login.password.c_str(),
                    login.shows.c_str());
}

} // namespace

int main(int argc, char** argv) {
#ifdef _WIN32
    // The messages are UTF-8: the console shows them so only when told.
    SetConsoleOutputCP(CP_UTF8);
#endif
    if (argc == 2 && (std::string_view(argv[1]) == "--help" || std::string_view(argv[1]) == "-h")) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    if (argc == 2 && std::string_view(argv[1]) == "--version") {
        std::printf("nbreport-make-demo %s\n", nbr::kVersionText);
        return 0;
    }
    std::string error;
    const std::optional<Options> options = parseArguments(argc, argv, error);
    if (!options) {
        std::fprintf(stderr, "错误：%s\n%s", error.c_str(), kUsage);
        return 1;
    }

    DemoDataset data;
    DemoRandom random(options->seed);
    DemoOrganisation::build(data, options->scale, options->baseYear);
    DemoClaims::build(data, options->scale, options->baseYear, random);
    try {
        DemoDbWriter::write(data, options->output);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "错误：%s\n", e.what());
        return 2;
    }
    printSummary(data, *options);
    return 0;
}
