#include "ModelDumps.h"

#include "report/DeptTree.h"
#include "report/models/DeptTreeModel.h"
#include "report/models/ReportGridModel.h"

#include <QtTest>

using namespace Qt::StringLiterals;

namespace nbr::test {

QStringList treeList(const DeptTree& tree) {
    QStringList list;
    for (int i = 0; i < tree.size(); ++i) {
        const DeptTree::Node& n = tree.node(i);
        list << n.department.code + u'|' + n.department.name + u'|' + QString::number(n.level) +
                    u'|' + (n.parent < 0 ? QString() : tree.department(n.parent).code);
    }
    return list;
}

QStringList gridDump(const ReportGridModel& grid) {
    QStringList dump;
    for (int r = 0; r < grid.rowCount(); ++r) {
        QStringList cells;
        for (int c = 0; c < grid.columnCount(); ++c)
            cells << grid.text(r, c) + u'/' +
                         grid.index(r, c).data(Qt::BackgroundRole).value<QColor>().name();
        dump << cells.join(u'|');
    }
    QStringList widths;
    for (int width : grid.columnWidths())
        widths << QString::number(width);
    return dump << widths.join(u' ');
}

QStringList months(const SummaryRow& row) {
    return QStringList(row.months.begin(), row.months.end()) << row.total;
}

QStringList monthsWith(std::initializer_list<std::pair<int, QString>> values, const QString& total,
                       const QString& otherwise) {
    QStringList texts(12, otherwise);
    for (const auto& [month, text] : values)
        texts[month - 1] = text;
    return texts << total;
}

void tickDepartments(DeptTreeModel& departments, const QStringList& codes) {
    for (const QString& code : codes) {
        const QModelIndex index = departments.indexOf(departments.tree().indexOf(code));
        QVERIFY2(index.isValid(), qPrintable(code));
        departments.setData(index, Qt::Checked, Qt::CheckStateRole);
    }
}

} // namespace nbr::test
