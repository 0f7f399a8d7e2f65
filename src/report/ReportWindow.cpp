#include "report/ReportWindow.h"

using namespace Qt::StringLiterals;

namespace nbr {

ReportWindow::ReportWindow(QWidget* parent) : QWidget(parent) {
    setObjectName(u"frm非预算报销月报"_s);
    setWindowTitle(u"非预算报销月报统计"_s);
    resize(1000, 640);
}

void ReportWindow::load() {}

} // namespace nbr
