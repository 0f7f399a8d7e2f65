#include "ExportChecks.h"

#include "report/models/FlexGridModel.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>
#include <QTemporaryDir>
#include <functional>

using namespace Qt::StringLiterals;

namespace nbr::test {

namespace {

// What the checker expects of a workbook made from a grid: the grid's texts
// without the hidden key column, its widths in characters, each body row's
// fill as the report colours it.
QJsonObject expectationFor(const FlexGridModel& g, const QString& sheet, const QString& title,
                           const QString& caption, int captionColumns,
                           const QList<int>& amountColumns,
                           const std::function<QJsonValue(int row)>& fill) {
    const int columns = g.cols() - 1;
    const auto texts = [&](int r) {
        QJsonArray a;
        for (int c = 0; c < columns; ++c)
            a.append(g.textMatrix(r, c));
        return a;
    };
    QJsonArray rows, fills, widths, amounts;
    for (int r = 1; r < g.rows(); ++r) {
        rows.append(texts(r));
        fills.append(r == g.rows() - 1 ? QJsonValue(kTotalsFill) : fill(r));
    }
    for (int c = 0; c < columns; ++c)
        widths.append(g.colWidth(c) / 110.0);
    for (int c : amountColumns)
        amounts.append(c);
    return {{u"sheet"_s, sheet},          {u"title"_s, title},
            {u"caption"_s, caption},      {u"captionColumns"_s, captionColumns},
            {u"header"_s, texts(0)},      {u"rows"_s, rows},
            {u"fills"_s, fills},          {u"widths"_s, widths},
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

QJsonObject summaryExpectation(const FlexGridModel& g, const QString& year) {
    QList<int> amounts;
    for (int c = 4; c <= 16; ++c)
        amounts << c;
    return expectationFor(g, u"非预算报销月报"_s, u"部门非预算报销月报"_s,
                          u" 月报年度："_s + year + u"年度"_s, 3, amounts, [&g](int r) {
                              return g.rowKind(r) == FlexGridModel::RowKind::Subtotal
                                         ? QJsonValue(kSubtotalFill)
                                         : QJsonValue();
                          });
}

QJsonObject detailExpectation(const FlexGridModel& g, const QString& caption) {
    return expectationFor(g, u"非预算报销明细"_s, u"部门非预算科目销明细月报"_s, caption, 6,
                          {9, 10, 11}, [](int) { return QJsonValue(); });
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
