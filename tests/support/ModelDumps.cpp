#include "ModelDumps.h"

#include "report/models/FlexGridModel.h"
#include "report/models/TreeNodesModel.h"

using namespace Qt::StringLiterals;

namespace nbr::test {

QStringList nodeList(const TreeNodesModel& nodes) {
    QStringList list;
    for (int i = 1; i <= nodes.count(); ++i)
        list << nodes.key(i) + u'|' + nodes.text(i) + u'|' + QString::number(nodes.image(i)) +
                    u'|' + (nodes.parent(i) ? nodes.key(nodes.parent(i)) : QString());
    return list;
}

QStringList gridDump(const FlexGridModel& grid) {
    QStringList dump;
    for (int r = 0; r < grid.rows(); ++r) {
        QStringList cells;
        for (int c = 0; c < grid.cols(); ++c)
            cells << grid.textMatrix(r, c) + u'/' + grid.backColor(r, c).name();
        dump << cells.join(u'|');
    }
    QStringList widths;
    for (int c = 0; c < grid.cols(); ++c)
        widths << QString::number(grid.colWidth(c));
    return dump << widths.join(u' ');
}

} // namespace nbr::test
