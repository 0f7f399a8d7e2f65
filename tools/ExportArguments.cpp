#include "ExportArguments.h"

#include "db/DbValue.h"
#include "platform/ReplacingFile.h"
#include "report/WorkbookExport.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

using namespace Qt::StringLiterals;

namespace nbr {

QString exportUsage() {
    return u"用法: nbreport-export --year YYYY [--settings FILE] [--quiet]\n"
           u"         (--dept CODE ... | --all) [--summary FILE.xlsx] [--lines FILE.xlsx]\n"
           u"         [--detail DEPT SUBJECT MM FILE.xlsx]\n"
           u"导出非预算报销月报、一个单元格的报销明细和全部报销明细（.xlsx）。\n"
           u"已导出的文件写到标准输出，进度和错误写到标准错误。\n"
           u"  --dept       统计该部门（可重复，按部门树顺序统计，不含下级部门）\n"
           u"  --all        全选（“Tervo中心”除外）\n"
           u"  --summary    导出非预算报销月报\n"
           u"  --detail     导出一个部门、科目、月份（1..12 或 01..12）的报销明细\n"
           u"  --lines      导出所选部门该年度的全部非预算报销明细（最后写出）\n"
           u"  --settings   从该 INI 文件读取数据库连接设置\n"
           u"  --quiet      不输出进度\n"
           u"  --help       显示本帮助并退出\n"
           u"  --version    显示版本号并退出\n"
           u"退出码: 0 成功, 1 参数错误, 2 无法连接数据库, 3 数据错误, 4 写文件失败"_s;
}

namespace {

// The outputs name files, and two different ones: what a path ends up as is
// its .xlsx name, and two names are the same file when they lead to it
// ("a.xls" and "./a.xlsx"; a link and what it points to; a folder reached
// through a link).
std::variant<ExportArguments, QString> checkOutputPaths(const ExportArguments& arguments) {
    QStringList paths;
    if (!arguments.summaryPath.isEmpty())
        paths << arguments.summaryPath;
    if (arguments.detail)
        paths << arguments.detail->path;
    if (!arguments.linesPath.isEmpty())
        paths << arguments.linesPath;
    QStringList written;
    for (const QString& path : paths) {
        const QString target = workbookPath(path);
        if (QDir::fromNativeSeparators(path).endsWith(u'/') || QFileInfo(path).isDir() ||
            QFileInfo(target).isDir())
            return u"导出文件名指向一个文件夹，请给出文件名："_s + path;
        const QString identity = ReplacingFile::identityOf(target);
        if (written.contains(identity))
            return u"导出的工作簿不能是同一个文件："_s + QFileInfo(target).absoluteFilePath();
        written << identity;
    }
    return arguments;
}

} // namespace

std::variant<ExportArguments, QString> parseExportArguments(const QStringList& args) {
    ExportArguments result;
    QString yearText;
    QString monthText;
    QStringList seen;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& option = args[i];
        // Only --dept adds up; any other option given twice would silently
        // take the last value.
        if (option != u"--dept"_s && seen.contains(option))
            return u"参数重复："_s + option;
        seen << option;
        const auto values = [&](qsizetype count) -> std::optional<QStringList> {
            if (i + count >= args.size())
                return std::nullopt;
            QStringList taken = args.mid(i + 1, count);
            i += count;
            // An empty value (an unset shell variable) is as good as none, and
            // so is the next option ("--summary --quiet" must not write a
            // workbook named "--quiet.xlsx"): a file whose name starts with
            // "-" is given as "./-name".
            for (const QString& value : taken)
                if (value.isEmpty() || (value.size() > 1 && value.startsWith(u'-')))
                    return std::nullopt;
            return taken;
        };
        const QString missing = u"参数 "_s + option + u" 缺少取值"_s;
        if (option == u"--help"_s || option == u"--version"_s) {
            result.request = option == u"--help"_s ? ExportRequest::Help : ExportRequest::Version;
            return result;
        } else if (option == u"--all"_s) {
            result.allDepartments = true;
        } else if (option == u"--quiet"_s) {
            result.quiet = true;
        } else if (option == u"--year"_s || option == u"--dept"_s || option == u"--summary"_s ||
                   option == u"--lines"_s || option == u"--settings"_s) {
            const auto v = values(1);
            if (!v)
                return missing;
            if (option == u"--year"_s)
                yearText = v->front();
            else if (option == u"--dept"_s)
                // A code copied from a char(n) column keeps its padding; the
                // database matches it without, and so does the tool.
                result.deptCodes.append(withoutTrailingBlanks(v->front()));
            else if (option == u"--summary"_s)
                result.summaryPath = v->front();
            else if (option == u"--lines"_s)
                result.linesPath = v->front();
            else
                result.settingsFile = v->front();
        } else if (option == u"--detail"_s) {
            const auto v = values(4);
            if (!v)
                return u"参数 --detail 需要部门代号、科目代号、月份和文件名"_s;
            // The codes as for --dept.
            result.detail = DetailRequest{withoutTrailingBlanks(v->at(0)),
                                          withoutTrailingBlanks(v->at(1)), 0, v->at(3)};
            monthText = v->at(2);
        } else {
            return u"无法识别的参数："_s + option;
        }
    }
    // Anchored at the very end: "$" alone would also accept a final newline.
    static const QRegularExpression yearPattern(QRegularExpression::anchoredPattern(u"[0-9]{4}"_s));
    if (yearText.isEmpty())
        return u"缺少统计年度 --year"_s;
    if (!yearPattern.match(yearText).hasMatch())
        return u"统计年度应为四位数字："_s + yearText;
    result.year = yearText.toInt();
    if (result.summaryPath.isEmpty() && !result.detail && result.linesPath.isEmpty())
        return u"未指定要导出的文件（--summary、--detail 或 --lines）"_s;
    if (result.ticksDepartments() && result.deptCodes.isEmpty() && !result.allDepartments)
        return u"未指定部门（--dept 或 --all）"_s;
    if (result.allDepartments && !result.deptCodes.isEmpty())
        return u"--all 与 --dept 不能同时使用"_s;
    if (result.detail) {
        static const QRegularExpression monthPattern(
            QRegularExpression::anchoredPattern(u"0?[1-9]|1[0-2]"_s));
        if (!monthPattern.match(monthText).hasMatch())
            return u"月份应为 1 到 12（或 01 到 12）："_s + monthText;
        result.detail->month = monthText.toInt();
    }
    return checkOutputPaths(result);
}

} // namespace nbr
