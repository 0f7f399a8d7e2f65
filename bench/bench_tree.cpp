// The department tree of a 5 000-department organisation: the load (query,
// rows, nodes, a shown tree view), ticking and unticking everything, against
// the time of the tree query alone. Run with QT_QPA_PLATFORM=offscreen.

#include "../tools/DemoSchema.h"
#include "BenchSupport.h"
#include "report/DeptTree.h"
#include "report/controls/NodeTreeView.h"
#include "report/controls/TreeNodesModel.h"
#include "session/Connection.h"
#include "session/SharedConnection.h"

#include <QApplication>
#include <QTemporaryDir>
#include <cstdio>

using namespace Qt::StringLiterals;
using namespace nbr;

int main(int argc, char* argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir dir;
    const QString path = dir.filePath(u"tree.db"_s);
    int departments = 0;
    {
        bench::SqliteWriter db(path);
        db.exec(demo::kSchemaSql);
        auto add = [&](const QString& code, const QString& parent) {
            db.exec(u"INSERT INTO 职能部门new VALUES ('%1', '部门%1', 'D1', NULL)"_s.arg(code));
            if (!parent.isEmpty())
                db.exec(u"INSERT INTO 上级部门new (职能部门编号, 上级部门编号) VALUES ('%1', '%2')"_s
                            .arg(code, parent));
            ++departments;
        };
        for (int a = 1; a <= 50; ++a) {
            const QString top = u"%1"_s.arg(a, 2, 10, QChar(u'0'));
            add(top, {});
            for (int b = 1; b <= 10; ++b) {
                const QString mid = top + u"%1"_s.arg(b, 2, 10, QChar(u'0'));
                add(mid, top);
                for (int c = 1; c <= 9; ++c)
                    add(mid + u"%1"_s.arg(c, 2, 10, QChar(u'0')), mid);
            }
        }
    }
    ConnectionOptions options;
    options.engine = SqlEngine::SQLite;
    if (!OpenConnection({}, {}, path, {}, options))
        return 1;

    const double query = bench::medianMs(7, [] { openRecordset(deptTreeSql(sharedDialect())); });
    TreeNodesModel nodes;
    NodeTreeView view;
    view.setModel(&nodes);
    view.resize(300, 800);
    view.show();
    std::vector<DeptRow> rows;
    const double load = bench::medianMs(7, [&] {
        nodes.clear();
        if (LoadDeptTree(nodes, rows))
            qFatal("the tree query failed");
        QApplication::processEvents();
    });
    // Each measured change starts from the opposite state.
    auto measureChange = [&](const std::function<void()>& prepare,
                             const std::function<void()>& change) {
        std::vector<double> times;
        for (int i = 0; i < 7; ++i) {
            prepare();
            QApplication::processEvents();
            times.push_back(bench::medianMs(1, [&] {
                change();
                QApplication::processEvents();
            }));
        }
        std::sort(times.begin(), times.end());
        return times[3];
    };
    const double tickAll = measureChange([&] { SelectAllDepartments(nodes, false); },
                                         [&] { SelectAllDepartments(nodes, true); });
    const double untickAll = measureChange([&] { SelectAllDepartments(nodes, true); },
                                           [&] { SelectAllDepartments(nodes, false); });
    const double tickSubtree = measureChange([&] { SelectAllDepartments(nodes, false); },
                                             [&] { nodes.userCheck(1, true); });

    std::printf("departments            %d (nodes %d)\n", departments, nodes.count());
    std::printf("tree query alone       %8.2f ms\n", query);
    std::printf("whole load             %8.2f ms  (%.2f x the query; goal <= 2 x)\n", load,
                load / query);
    std::printf("tick all (全选)         %8.2f ms  (goal <= 50 ms)\n", tickAll);
    std::printf("untick all             %8.2f ms\n", untickAll);
    std::printf("tick a top node        %8.2f ms\n", tickSubtree);
    std::printf("peak memory            %8ld KiB\n", bench::peakMemoryKb());
    return 0;
}
