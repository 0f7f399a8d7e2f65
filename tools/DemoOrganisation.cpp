#include "DemoOrganisation.h"

#include <algorithm>
#include <array>
#include <map>
#include <string_view>

namespace nbr::demo {

namespace {

using Data = DemoDataset;

struct BaseDepartment {
    const char* code;
    const char* name;
    const char* parent; // nullptr: top level, no link row
    const char* category;
    // Month and day ("06-30") in the first demo year, the year before the base year.
    const char* endDate = nullptr;     // 职能部门new.终止日期
    const char* linkEndDate = nullptr; // 上级部门new.终止日期 of the link to parent
};

// The fixed tree. Codes grow by two digits per level.
constexpr std::array<BaseDepartment, 28> kBaseDepartments{{
    {"01", "集团总部", nullptr, "D01"},
    {"0101", "总经理办公室", "01", "D01"},
    {"010101", "文秘科", "0101", "D01"},
    {"010102", "档案科", "0101", "D01"},
    {"0102", "财务部", "01", "D01"},
    {"010201", "会计核算科", "0102", "D01"},
    {"010202", "资金管理科", "0102", "D01"},
    {"0103", "人力资源部", "01", "D01"},
    {"010301", "招聘培训科", "0103", "D01"},
    {"0104", "Tervo中心", "01", "D03"},
    {"010401", "数据分析组", "0104", "D03"},
    {"010402", "系统运维组", "0104", "D03"},
    {"02", "生产运营中心", nullptr, "D02"},
    {"0201", "生产管理部", "02", "D02"},
    {"020101", "一车间", "0201", "D02"},
    {"020102", "二车间", "0201", "D02"},
    {"0202", "质量检验部", "02", "D02"},
    // Dissolved mid-year; its repair team was never moved and still links to it.
    {"0203", "设备动力部", "02", "D02", "06-30"},
    {"020301", "动力维修班", "0203", "D02"},
    {"03", "市场营销中心", nullptr, "D04"},
    {"0301", "销售一部", "03", "D04"},
    {"030101", "华东区", "0301", "D04"},
    {"030102", "华南区", "0301", "D04"},
    {"0302", "销售二部", "03", "D04"},
    {"030201", "品牌推广科", "0302", "D04"}, // also under 0301, see kExtraLinks
    {"04", "后勤保障中心", nullptr, "D05"},
    {"0401", "行政后勤部", "04", "D05"},
    // Moved out of 后勤保障中心 at the end of the year and never linked again.
    {"0402", "安全保卫部", "04", "D05", nullptr, "12-31"},
}};

struct ExtraLink {
    const char* code;
    const char* parent;
};

constexpr std::array<ExtraLink, 2> kExtraLinks{{
    {"030201", "0301"}, // shared by both sales departments
    {"04", nullptr},    // a top level may also be marked by a link without parent
}};

// Second-level departments that take the generated third-level ones.
constexpr std::array<const char*, 8> kGrowingParents{"0101", "0102", "0103", "0201",
                                                     "0202", "0301", "0302", "0401"};

constexpr std::array<const char*, 30> kCities{
    "苏州", "无锡", "常州", "南通", "扬州", "镇江", "泰州", "盐城", "淮安", "宿迁",
    "徐州", "杭州", "宁波", "温州", "嘉兴", "湖州", "绍兴", "金华", "台州", "合肥",
    "芜湖", "南昌", "福州", "厦门", "泉州", "济南", "青岛", "烟台", "潍坊", "洛阳"};
constexpr std::array<const char*, 6> kUnitKinds{"项目组", "服务站", "工作组",
                                                "业务科", "办事处", "联络处"};
constexpr std::array<const char*, 9> kOrdinals{"二", "三", "四", "五", "六",
                                               "七", "八", "九", "十"};

std::string twoDigits(int n) {
    return std::string{char('0' + n / 10), char('0' + n % 10)};
}

// "苏州项目组", then "苏州第二项目组", ... so that generated names stay unique.
std::string generatedName(int index) {
    const int combos = int(kCities.size() * kUnitKinds.size());
    const int round = index / combos;
    const int inRound = index % combos;
    std::string name = kCities[std::size_t(inRound % int(kCities.size()))];
    if (round > 0)
        name += std::string("第") + (round <= int(kOrdinals.size())
                                         ? std::string(kOrdinals[std::size_t(round - 1)])
                                         : std::to_string(round + 1));
    name += kUnitKinds[std::size_t(inRound / int(kCities.size()))];
    return name;
}

// A generated department with its one active link.
void addDepartment(Data& data, const std::string& code, std::string name, std::string category,
                   const std::string& parent) {
    data.departments.push_back({code, std::move(name), std::move(category), {}});
    data.parentLinks.push_back({code, parent, {}});
}

// Third-level departments under the growing parents in turn; when a parent
// has used all 99 child codes a new second-level department takes over.
void addGeneratedDepartments(Data& data, int count) {
    std::map<std::string, int> lastChild; // parent code -> last two-digit suffix used
    std::map<std::string, std::string> categoryOf;
    for (const auto& d : data.departments) {
        categoryOf[d.code] = d.categoryCode;
        if (d.code.size() > 2)
            lastChild[d.code.substr(0, d.code.size() - 2)] =
                std::stoi(d.code.substr(d.code.size() - 2));
    }
    std::vector<std::string> parents(kGrowingParents.begin(), kGrowingParents.end());
    std::size_t turn = 0;
    int nextTop = 0;
    for (int made = 0; made < count; ++made) {
        if (parents.empty()) {
            const int branch = nextTop++;
            const std::string top = twoDigits(1 + branch % 4);
            const int suffix = std::max(lastChild[top], 49) + 1;
            if (suffix > 99)
                break; // far beyond any scale the command line accepts
            lastChild[top] = suffix;
            const std::string code = top + twoDigits(suffix);
            categoryOf[code] = categoryOf[top];
            std::string name =
                std::string(kCities[std::size_t(branch) % kCities.size()]) + "分公司";
            if (branch >= int(kCities.size()))
                name += std::to_string(branch / int(kCities.size()) + 1);
            addDepartment(data, code, std::move(name), categoryOf[top], top);
            parents.push_back(code);
            continue;
        }
        const std::string parent = parents[turn % parents.size()];
        const int suffix = ++lastChild[parent];
        addDepartment(data, parent + twoDigits(suffix), generatedName(made), categoryOf[parent],
                      parent);
        if (suffix == 99)
            parents.erase(parents.begin() + std::ptrdiff_t(turn % parents.size()));
        else
            ++turn;
    }
}

struct Person {
    const char* number;
    const char* name;
    const char* position; // 岗位代号 of the one main position
};

// Ordinary staff: one current main position each; they file most claims.
constexpr std::array<Person, 20> kStaff{{
    {"10011", "赵志强", "0101002"},   {"10012", "孙丽娟", "010101002"},
    {"10013", "周海波", "010102002"}, {"10014", "吴晓梅", "010201002"},
    {"10015", "郑文涛", "010202002"}, {"10016", "冯雪莲", "0103002"},
    {"10017", "何家豪", "010301002"}, {"10018", "黄思远", "010401002"},
    {"10019", "林佳琪", "010402002"}, {"10020", "高振宇", "020101002"},
    {"10021", "罗春燕", "020102002"}, {"10022", "梁国栋", "0202002"},
    {"10023", "宋雅婷", "020301002"}, {"10024", "唐明辉", "030101002"},
    {"10025", "韩冬梅", "030102002"}, {"10026", "曹永刚", "0302002"},
    {"10027", "许文静", "030201002"}, {"10028", "邓建华", "0401002"},
    {"10029", "彭晓东", "0402002"},   {"10030", "蒋慧敏", "02002"},
}};

constexpr const char* kDemoPassword = "1234";

} // namespace

void DemoOrganisation::build(Data& data, int scale, int baseYear) {
    // The organisation's changes all happened in the first demo year.
    const std::string firstYear = std::to_string(baseYear - 1) + "-";
    data.departmentCategories = {{"D01", "职能管理部门"},
                                 {"D02", "生产部门"},
                                 {"D03", "研发部门"},
                                 {"D04", "营销部门"},
                                 {"D05", "后勤保障部门"}};
    // G09 is a category whose name was never filled in.
    data.positionCategories = {
        {"G01", "管理岗"}, {"G02", "专业技术岗"}, {"G03", "工勤岗"}, {"G09", std::nullopt}};

    auto text = [](const char* value) { return value ? OptText(value) : std::nullopt; };
    auto date = [&firstYear](const char* monthDay) {
        return monthDay ? OptText(firstYear + monthDay) : std::nullopt;
    };
    for (const auto& d : kBaseDepartments) {
        data.departments.push_back({d.code, d.name, d.category, date(d.endDate)});
        if (d.parent)
            data.parentLinks.push_back({d.code, d.parent, date(d.linkEndDate)});
    }
    for (const auto& l : kExtraLinks)
        data.parentLinks.push_back({l.code, text(l.parent), {}});
    addGeneratedDepartments(data, extraDepartments(scale));

    // Every base department has a head and a staff position: <code>001, <code>002.
    for (const auto& d : kBaseDepartments) {
        const bool support = std::string_view(d.category) == "D05";
        data.positions.push_back(
            {d.code + std::string("001"), d.name + std::string("负责人"), d.code, "G01"});
        data.positions.push_back({d.code + std::string("002"), d.name + std::string("专员"), d.code,
                                  support ? "G03" : "G02"});
    }
    data.positions.push_back({"0202009", "质检员", "0202", "G09"});

    // The demo logins, each showing one case of the login check.
    auto login = [&data](const char* number, const char* name, OptText leftDate,
                         std::string shows) {
        data.employees.push_back({number, kDemoPassword, name, std::move(leftDate)});
        data.demoLogins.push_back({number, kDemoPassword, std::move(shows)});
    };
    login("10001", "王建国", {}, "一个当前岗位：财务部负责人");
    data.assignments.push_back({"10001", "0102001", true, {}});

    login("10002", "李晓燕", {},
          "两个当前岗位：Tervo中心负责人（主要岗位，项目管理审核权限）+ 会计核算科专员（兼职）");
    data.assignments.push_back({"10002", "0104001", true, {}});
    data.assignments.push_back({"10002", "010201002", false, {}});
    data.auditRights.push_back({"项目管理", "0104", "0104001"});

    const std::string left = firstYear + "09-30";
    login("10003", "张立明", left, "已于" + left + "离职，岗位仍在：无法登录");
    data.assignments.push_back({"10003", "0301001", true, {}});

    const std::string ended = firstYear + "12-31";
    login("10004", "刘芳", {}, "唯一岗位已于" + ended + "离岗：无当前岗位");
    data.assignments.push_back({"10004", "0201002", true, ended});

    login("10005", "陈静", {}, "岗位类别名称为空：质量检验部质检员");
    data.assignments.push_back({"10005", "0202009", true, {}});

    for (const auto& p : kStaff) {
        data.employees.push_back({p.number, kDemoPassword, p.name, {}});
        data.assignments.push_back({p.number, p.position, true, {}});
    }
}

} // namespace nbr::demo
