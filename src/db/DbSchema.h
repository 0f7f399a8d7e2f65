#pragma once
// The tables and columns the program reads, by their names in the database.
// The query texts are fixed pieces that name them too; these constants are
// what the code uses to read fields by name.

#include <QString>

namespace nbr::schema {

using namespace Qt::StringLiterals;

// 员工档案 (staff)
inline const QString Staff = u"员工档案"_s;
inline const QString StaffNumber = u"工号"_s;
inline const QString StaffPassword = u"帐号密码"_s;
inline const QString StaffName = u"姓名"_s;
inline const QString StaffLeftDate = u"离职日期"_s;

// 岗位员工new (employee's positions)
inline const QString EmployeePositions = u"岗位员工new"_s;
inline const QString EmployeeCode = u"员工代号"_s;
inline const QString PositionCode = u"岗位代号"_s;
inline const QString MainPosition = u"主要岗位"_s;
inline const QString PositionEndDate = u"离岗日期"_s;

// 岗位信息new (positions)
inline const QString Positions = u"岗位信息new"_s;
inline const QString PositionName = u"岗位名称"_s;
inline const QString PositionDeptCode = u"职能部门代号"_s;
inline const QString PositionCategoryRef = u"岗位类别代号"_s;

// 职能部门new (departments)
inline const QString Departments = u"职能部门new"_s;
inline const QString DeptCode = u"职能部门编号"_s;
inline const QString DeptName = u"职能部门名称"_s;
inline const QString DeptCategoryRef = u"职能部门类别代号"_s;
inline const QString EndDate = u"终止日期"_s;

// 上级部门new (parent links)
inline const QString ParentLinks = u"上级部门new"_s;
inline const QString ParentDeptCode = u"上级部门编号"_s;

// 岗位类别 (position categories)
inline const QString PositionCategories = u"岗位类别"_s;
inline const QString PositionCategoryCode = u"岗位类别编号"_s;
inline const QString PositionCategoryName = u"岗位类别名称"_s;

// 职能部门类别 (department categories)
inline const QString DeptCategories = u"职能部门类别"_s;
inline const QString DeptCategoryCode = u"部门类别代号"_s;
inline const QString DeptCategoryName = u"部门类别名称"_s;

// 专项审核权限表 (special audit rights)
inline const QString SpecialAudit = u"专项审核权限表"_s;

// 报销单表 (claim header)
inline const QString Claims = u"报销单表"_s;
inline const QString ClaimId = u"报销单ID"_s;
inline const QString ClaimNumber = u"报销单编号"_s;
inline const QString ClaimDeptCode = u"部门代号"_s;
inline const QString ClaimType = u"报销类型"_s;
inline const QString SubmitDate = u"报批日期"_s;
inline const QString Claimant = u"报销人"_s;
inline const QString ApprovalDate = u"审批日期"_s;
inline const QString Approved = u"审批通过"_s;
inline const QString PaymentDate = u"财务支付确认日期"_s;

// 报销单明细 (claim line)
inline const QString ClaimLines = u"报销单明细"_s;
inline const QString SubjectCode = u"科目代号"_s;
inline const QString Summary = u"摘要"_s;
inline const QString Amount = u"金额"_s;
inline const QString Tax = u"税额"_s;

// 财务科目 (accounting subjects)
inline const QString Subjects = u"财务科目"_s;
inline const QString SubjectName = u"科目名称"_s;

} // namespace nbr::schema
