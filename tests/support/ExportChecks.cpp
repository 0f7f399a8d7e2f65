#include "ExportChecks.h"

#include "report/ReportRows.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>
#include <QTemporaryDir>

using namespace Qt::StringLiterals;

namespace nbr::test {

namespace {

// What the checker expects of a workbook of a result shown with these
// column widths: the headings with their blanks and the texts, the widths in
// characters, each body row's fill as the report colours it, the amount
// columns.
QJsonObject expectationFor(const ReportColumns& columns, const ReportRows& rows,
                           const std::vector<int>& widths, const QString& sheet,
                           const QString& title, const QString& caption, int captionColumns) {
    QJsonArray header, texts, fills, characters, amounts;
    for (size_t c = 0; c < columns.size(); ++c) {
        header.append(columns[c].paddedHeading());
        characters.append(widths.at(c) / 110.0);
        if (columns[c].kind == ColumnKind::Amount)
            amounts.append(int(c));
    }
    for (size_t r = 0; r < rows.size(); ++r) {
        texts.append(QJsonArray::fromStringList(rows[r].cells));
        fills.append(r + 1 == rows.size()                ? QJsonValue(kTotalsFill)
                     : rows[r].kind == RowKind::Subtotal ? QJsonValue(kSubtotalFill)
                                                         : QJsonValue());
    }
    return {{u"sheet"_s, sheet},          {u"title"_s, title},
            {u"caption"_s, caption},      {u"captionColumns"_s, captionColumns},
            {u"header"_s, header},        {u"rows"_s, texts},
            {u"fills"_s, fills},          {u"widths"_s, characters},
            {u"amountColumns"_s, amounts}};
}

// The checker's verdict on these arguments: empty, or what it reported.
QString runChecker(const QStringList& arguments) {
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(u"/usr/bin/python3"_s,
            QStringList{qEnvironmentVariable("NBR_SOURCE_DIR") + u"/tests/check_workbook.py"_s} +
                arguments);
    if (!p.waitForFinished(300000))
        return u"checker did not finish"_s;
    const QString out = QString::fromUtf8(p.readAll());
    if (p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0)
        return out.isEmpty() ? u"checker failed"_s : out;
    return {};
}

} // namespace

QJsonObject summaryExpectation(const SummaryTable& table, const std::vector<int>& widths) {
    return expectationFor(summaryColumns(), summaryRows(table), widths, u"非预算报销月报"_s,
                          u"部门非预算报销月报"_s, u" 月报年度：%1年度"_s.arg(table.year), 3);
}

QJsonObject detailExpectation(const Listing& listing, const std::vector<int>& widths,
                              const QString& caption) {
    return expectationFor(listingColumns(), listingRows(listing), widths, u"非预算报销明细"_s,
                          u"部门非预算科目销明细月报"_s, caption, 6);
}

QString checkWorkbook(const QString& workbook, QJsonObject expectation, const QJsonObject& cells) {
    expectation[u"cells"_s] = cells;
    QTemporaryDir dir;
    const QString json = dir.filePath(u"expected.json"_s);
    QFile f(json);
    if (!f.open(QIODevice::WriteOnly))
        return u"cannot write "_s + json;
    f.write(QJsonDocument(expectation).toJson());
    f.close();
    return runChecker({workbook, json});
}

QString checkClaimLines(const QString& lines, const QString& summary) {
    return runChecker({lines, u"--lines-of"_s, summary});
}

QJsonObject spot(const QJsonValue& value, const QString& type, const QString& format) {
    QJsonObject o{{u"value"_s, value}};
    if (!type.isEmpty())
        o[u"type"_s] = type;
    if (!format.isEmpty())
        o[u"format"_s] = format;
    return o;
}

QStringList entries(const QString& dir) {
    return QDir(dir).entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot |
                               QDir::Hidden);
}

QByteArray contents(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeFile(const QString& path, const QByteArray& data) {
    QFile f(path);
    if (f.open(QIODevice::WriteOnly))
        f.write(data);
}

} // namespace nbr::test
