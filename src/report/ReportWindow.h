#pragma once
// frm非预算报销月报: the report window.

#include <QWidget>

namespace nbr {

class ReportWindow : public QWidget {
    Q_OBJECT
public:
    explicit ReportWindow(QWidget* parent = nullptr);
    void load();
};

} // namespace nbr
