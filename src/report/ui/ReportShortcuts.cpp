#include "report/ui/ReportShortcuts.h"

#include "report/ui/ClickableImage.h"
#include "report/ui/DeptSearchBox.h"
#include "report/ui/ReportControls.h"

#include <QPushButton>
#include <QShortcut>

using namespace Qt::StringLiterals;

namespace nbr {

namespace {

void clickOn(QAbstractButton* button, const QKeySequence& keys) {
    auto* shortcut = new QShortcut(keys, button);
    QObject::connect(shortcut, &QShortcut::activated, button, &QAbstractButton::click);
}

} // namespace

void addReportShortcuts(const ReportControls& ui) {
    // Enter of the main keys and of the keypad alike.
    clickOn(ui.runButton, Qt::CTRL | Qt::Key_Return);
    clickOn(ui.runButton, Qt::CTRL | Qt::Key_Enter);
    ui.runButton->setToolTip(u"开始统计（Ctrl+Enter）"_s);
    clickOn(ui.exportButton, Qt::CTRL | Qt::Key_E);
    ui.exportButton->setToolTip(u"导出Excel（Ctrl+E）"_s);
    clickOn(ui.exportDetailButton, Qt::CTRL | Qt::Key_E);
    ui.exportDetailButton->setToolTip(u"导出明细（Ctrl+E）"_s);
    clickOn(ui.closeDetailButton, Qt::Key_Escape);
    ui.closeDetailButton->setToolTip(u"关闭明细（Esc）"_s);
    ui.closeDetailImage->setToolTip(u"关闭明细（Esc）"_s);

    DeptSearchBox* search = ui.deptSearch;
    QObject::connect(new QShortcut(QKeySequence::Find, search), &QShortcut::activated, search,
                     [search] {
                         search->setFocus(Qt::ShortcutFocusReason);
                         search->selectAll();
                     });
    search->setToolTip(u"查找部门（Ctrl+F）：Enter 转到下一个，Esc 清除"_s);
}

} // namespace nbr
