#pragma once
// The ten process-wide strings that describe the logged-in employee and the
// chosen position, and the program's start command line.

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

// The one session of the process.
SessionState& sessionState();

// The program's command line as received at start, the whole argument text.
QString& startCommandLine();

} // namespace nbr
