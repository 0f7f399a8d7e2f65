#pragma once
// The whole demo database in memory, one vector per table, rows in the order
// they are written. Texts are UTF-8; std::nullopt is stored as NULL. Money is
// kept in integer fen (1/100 yuan) so that sums and tax rates stay exact
// until the value is stored as REAL.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace nbr::demo {

using OptText = std::optional<std::string>;

struct DemoDataset {
    struct Category {
        std::string code;
        OptText name;
    };
    struct Department {
        std::string code;
        std::string name;
        std::string categoryCode;
        OptText endDate;
    };
    struct ParentLink {
        std::string code;
        OptText parentCode; // NULL: a top-level department
        OptText endDate;
    };
    struct Position {
        std::string code;
        std::string name;
        std::string deptCode;
        std::string categoryCode;
    };
    struct Employee {
        std::string number;
        std::string password;
        std::string name;
        OptText leftDate;
    };
    struct Assignment {
        std::string employee;
        std::string position;
        bool main = false;
        OptText endDate;
    };
    struct AuditRight {
        std::string type;
        std::string deptCode;
        std::string positionCode;
    };
    struct Subject {
        std::string code;
        std::string name;
    };
    struct Claim {
        std::string number;
        std::string deptCode;
        std::string type;
        std::string submitDate;
        std::string claimant;
        OptText approvalDate;
        bool approved = false;
        OptText paymentDate;
    };
    struct ClaimLine {
        std::int64_t claimId = 0; // 报销单ID: 1-based position in claims
        std::string subjectCode;
        OptText summary;
        std::int64_t amountFen = 0;
        std::optional<std::int64_t> taxFen;
    };
    // A login a demo user types, and what it is there to show.
    struct DemoLogin {
        std::string number;
        std::string password;
        std::string shows;
    };

    std::vector<Category> positionCategories;   // 岗位类别
    std::vector<Category> departmentCategories; // 职能部门类别
    std::vector<Department> departments;        // 职能部门new
    std::vector<ParentLink> parentLinks;        // 上级部门new
    std::vector<Position> positions;            // 岗位信息new
    std::vector<Employee> employees;            // 员工档案
    std::vector<Assignment> assignments;        // 岗位员工new
    std::vector<AuditRight> auditRights;        // 专项审核权限表
    std::vector<Subject> subjects;              // 财务科目
    std::vector<Claim> claims;                  // 报销单表
    std::vector<ClaimLine> claimLines;          // 报销单明细
    std::vector<DemoLogin> demoLogins;
};

} // namespace nbr::demo
