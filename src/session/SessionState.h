#pragma once
// The ten strings that describe the logged-in employee and the chosen
// position (the application context holds the session of the run).

#include <QString>
#include <array>

namespace nbr {

struct SessionState {
    QString employeeCode;
    QString employeeName;
    QString departmentCode;
    QString departmentName;
    QString positionCode;
    QString positionName;
    QString departmentCategoryCode;
    QString departmentCategoryName;
    QString positionCategoryCode;
    QString positionCategoryName;

    static constexpr int kFieldCount = 10;
    // Field i in the fixed order above (0 employeeCode ... 9 positionCategoryName).
    QString& field(int i);
    const QString& field(int i) const;
    void clear();
};

} // namespace nbr
