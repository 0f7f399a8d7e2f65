#include "session/SessionState.h"

namespace nbr {

QString& SessionState::field(int i) {
    std::array<QString*, kFieldCount> fields = {&employeeCode,           &employeeName,
                                                &departmentCode,         &departmentName,
                                                &positionCode,           &positionName,
                                                &departmentCategoryCode, &departmentCategoryName,
                                                &positionCategoryCode,   &positionCategoryName};
    return *fields.at(size_t(i));
}

const QString& SessionState::field(int i) const {
    return const_cast<SessionState*>(this)->field(i);
}

void SessionState::clear() {
    for (int i = 0; i < kFieldCount; ++i)
        field(i).clear();
}

} // namespace nbr
