#pragma once
// The SQLite schema of the embedded database: the eleven tables the program
// reads, with the keys and indexes a real schema has. Shared by the demo
// maker and the test fixtures. Dates are ISO text, flags 0/1, amounts REAL.

namespace nbr::demo {

inline constexpr const char* kSchemaSql = R"SQL(
CREATE TABLE 员工档案 (
    工号 TEXT PRIMARY KEY,
    帐号密码 TEXT,
    姓名 TEXT,
    离职日期 TEXT
);
CREATE TABLE 岗位类别 (
    岗位类别编号 TEXT PRIMARY KEY,
    岗位类别名称 TEXT
);
CREATE TABLE 职能部门类别 (
    部门类别代号 TEXT PRIMARY KEY,
    部门类别名称 TEXT
);
CREATE TABLE 职能部门new (
    职能部门编号 TEXT PRIMARY KEY,
    职能部门名称 TEXT,
    职能部门类别代号 TEXT REFERENCES 职能部门类别(部门类别代号),
    终止日期 TEXT
);
CREATE TABLE 上级部门new (
    ID INTEGER PRIMARY KEY,
    职能部门编号 TEXT NOT NULL REFERENCES 职能部门new(职能部门编号),
    上级部门编号 TEXT,
    终止日期 TEXT
);
CREATE INDEX 上级部门new_部门 ON 上级部门new(职能部门编号);
CREATE TABLE 岗位信息new (
    岗位代号 TEXT PRIMARY KEY,
    岗位名称 TEXT,
    职能部门代号 TEXT REFERENCES 职能部门new(职能部门编号),
    岗位类别代号 TEXT REFERENCES 岗位类别(岗位类别编号)
);
CREATE TABLE 岗位员工new (
    ID INTEGER PRIMARY KEY,
    员工代号 TEXT NOT NULL REFERENCES 员工档案(工号),
    岗位代号 TEXT NOT NULL REFERENCES 岗位信息new(岗位代号),
    主要岗位 INTEGER NOT NULL DEFAULT 0,
    离岗日期 TEXT
);
CREATE INDEX 岗位员工new_员工 ON 岗位员工new(员工代号);
CREATE TABLE 专项审核权限表 (
    ID INTEGER PRIMARY KEY,
    类型 TEXT,
    部门代号 TEXT,
    岗位代号 TEXT
);
CREATE TABLE 财务科目 (
    科目代号 TEXT PRIMARY KEY,
    科目名称 TEXT
);
CREATE TABLE 报销单表 (
    报销单ID INTEGER PRIMARY KEY,
    报销单编号 TEXT,
    部门代号 TEXT,
    报销类型 TEXT,
    报批日期 TEXT,
    报销人 TEXT,
    审批日期 TEXT,
    审批通过 INTEGER,
    财务支付确认日期 TEXT
);
CREATE INDEX 报销单表_部门 ON 报销单表(部门代号, 报销类型, 报批日期);
-- The report selects a department's claims by the year and month of 报批日期.
CREATE INDEX 报销单表_部门年月 ON 报销单表(部门代号, 报销类型, strftime('%Y%m', 报批日期));
CREATE TABLE 报销单明细 (
    明细ID INTEGER PRIMARY KEY,
    报销单ID INTEGER NOT NULL REFERENCES 报销单表(报销单ID),
    科目代号 TEXT REFERENCES 财务科目(科目代号),
    摘要 TEXT,
    金额 REAL,
    税额 REAL
);
CREATE INDEX 报销单明细_报销单 ON 报销单明细(报销单ID, 科目代号);
)SQL";

} // namespace nbr::demo
