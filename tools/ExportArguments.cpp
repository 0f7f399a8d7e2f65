#include "ExportArguments.h"

#include <QRegularExpression>

using namespace Qt::StringLiterals;

namespace nbr {

QString exportUsage() {
    return u"用法: nbreport-export --year YYYY [--settings FILE]\n"
           u"         (--dept CODE ... | --all) --summary FILE.xlsx\n"
           u"         [--detail DEPT SUBJECT MM FILE.xlsx]\n"
           u"  --dept    统计该部门（可重复，按部门树顺序统计，不含下级部门）\n"
           u"  --all     全选（“Tervo中心”除外）\n"
           u"  --summary 导出非预算报销月报\n"
           u"  --detail  导出一个部门、科目、月份（01..12）的报销明细\n"
           u"  --settings 从该 INI 文件读取数据库连接设置\n"
           u"退出码: 0 成功, 1 参数错误, 2 无法连接数据库, 3 数据错误, 4 写文件失败"_s;
}

std::variant<ExportArguments, QString> parseExportArguments(const QStringList& args) {
    ExportArguments result;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& option = args[i];
        const auto values = [&](qsizetype count) -> std::optional<QStringList> {
            if (i + count >= args.size())
                return std::nullopt;
            QStringList taken = args.mid(i + 1, count);
            i += count;
            return taken;
        };
        const QString missing = u"参数 "_s + option + u" 缺少取值"_s;
        if (option == u"--all"_s) {
            result.allDepartments = true;
        } else if (option == u"--year"_s || option == u"--dept"_s || option == u"--summary"_s ||
                   option == u"--settings"_s) {
            const auto v = values(1);
            if (!v)
                return missing;
            if (option == u"--year"_s)
                result.year = v->front();
            else if (option == u"--dept"_s)
                result.deptCodes.append(v->front());
            else if (option == u"--summary"_s)
                result.summaryPath = v->front();
            else
                result.settingsFile = v->front();
        } else if (option == u"--detail"_s) {
            const auto v = values(4);
            if (!v)
                return u"参数 --detail 需要部门代号、科目代号、月份和文件名"_s;
            result.detail = DetailRequest{v->at(0), v->at(1), v->at(2), v->at(3)};
        } else {
            return u"无法识别的参数："_s + option;
        }
    }
    static const QRegularExpression yearPattern(u"^\\d{4}$"_s);
    if (result.year.isEmpty())
        return u"缺少统计年度 --year"_s;
    if (!yearPattern.match(result.year).hasMatch())
        return u"统计年度应为四位数字："_s + result.year;
    if (result.summaryPath.isEmpty() && !result.detail)
        return u"未指定要导出的文件（--summary 或 --detail）"_s;
    if (!result.summaryPath.isEmpty() && result.deptCodes.isEmpty() && !result.allDepartments)
        return u"未指定部门（--dept 或 --all）"_s;
    if (result.allDepartments && !result.deptCodes.isEmpty())
        return u"--all 与 --dept 不能同时使用"_s;
    if (result.detail) {
        static const QRegularExpression monthPattern(u"^(0[1-9]|1[0-2])$"_s);
        if (!monthPattern.match(result.detail->month).hasMatch())
            return u"月份应为 01 到 12："_s + result.detail->month;
    }
    return result;
}

} // namespace nbr
