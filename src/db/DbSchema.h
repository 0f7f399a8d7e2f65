#pragma once
// The columns the program reads fields by, by their names in the database.
// The query texts are fixed pieces that name the tables and columns
// themselves; these are the names the code reads the results with.

#include <QString>

namespace nbr::schema {

using namespace Qt::StringLiterals;

// 员工档案 (staff)
inline const QString StaffName = u"姓名"_s;

// 岗位员工new (employee's positions)
inline const QString PositionCode = u"岗位代号"_s;
inline const QString MainPosition = u"主要岗位"_s;

// 岗位信息new (positions)
inline const QString PositionName = u"岗位名称"_s;

// 职能部门new (departments)
inline const QString DeptCode = u"职能部门编号"_s;
inline const QString DeptName = u"职能部门名称"_s;

// 上级部门new (parent links)
inline const QString ParentDeptCode = u"上级部门编号"_s;

// 岗位类别 (position categories)
inline const QString PositionCategoryCode = u"岗位类别编号"_s;
inline const QString PositionCategoryName = u"岗位类别名称"_s;

// 职能部门类别 (department categories)
inline const QString DeptCategoryCode = u"部门类别代号"_s;
inline const QString DeptCategoryName = u"部门类别名称"_s;

// 报销单表 (claim header)
inline const QString ClaimNumber = u"报销单编号"_s;
inline const QString SubmitDate = u"报批日期"_s;
inline const QString Claimant = u"报销人"_s;
inline const QString ApprovalDate = u"审批日期"_s;
inline const QString Approved = u"审批通过"_s;
inline const QString PaymentDate = u"财务支付确认日期"_s;

// 报销单明细 (claim line)
inline const QString SubjectCode = u"科目代号"_s;
inline const QString Summary = u"摘要"_s;
inline const QString Amount = u"金额"_s;
inline const QString Tax = u"税额"_s;

// 财务科目 (accounting subjects)
inline const QString SubjectName = u"科目名称"_s;

} // namespace nbr::schema
