#include "DemoClaims.h"

#include "DemoOrganisation.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string_view>

namespace nbr::demo {

namespace {

using Data = DemoDataset;
using namespace std::chrono;

struct SubjectInfo {
    const char* code;
    const char* name;
    int minYuan = 0; // 0: a heading only, nothing is booked on it
    int maxYuan = 0;
    std::vector<const char*> summaries; // "{城}" and "{月}" are filled in
};

// Codes nest by prefix. 6602 is booked both directly and on its children;
// 0501 shows a code with a leading zero.
const std::vector<SubjectInfo>& subjects() {
    static const std::vector<SubjectInfo> list{
        {"6601", "销售费用", 0, 0, {}},
        {"660101",
         "广告宣传费",
         1000,
         30000,
         {"{月}月产品宣传册印制费", "{城}展会展位费", "网络推广服务费"}},
        {"660102", "业务招待费", 200, 5000, {"接待{城}客户餐费", "{月}月业务招待费"}},
        {"660103", "运输装卸费", 100, 8000, {"发往{城}货物运费", "材料装卸费"}},
        {"6602", "管理费用", 50, 3000, {"零星管理费用", "{月}月其他管理费用"}},
        {"660201", "办公费", 20, 2000, {"购买打印纸及墨盒", "{月}月办公用品", "文件柜一组"}},
        {"660202", "差旅费", 200, 8000, {"赴{城}出差差旅费", "{城}往返机票及住宿", "市内交通费"}},
        {"660203", "会议费", 500, 20000, {"{月}月经营分析会场地费", "年度工作会议会务费"}},
        {"660204", "培训费", 300, 12000, {"新员工入职培训", "{城}专业技能培训费"}},
        {"660205", "通讯费", 0, 0, {}},
        {"66020501", "移动通讯费", 50, 600, {"{月}月手机话费", "移动流量包"}},
        {"66020502", "固定电话及网络费", 100, 2000, {"{月}月宽带及固话费", "专线网络年费"}},
        {"6603", "财务费用", 0, 0, {}},
        {"660301", "银行手续费", 5, 300, {"{月}月银行转账手续费", "网银服务费"}},
        {"5101", "制造费用", 0, 0, {}},
        {"510101", "机物料消耗", 100, 6000, {"车间劳保用品", "机物料领用"}},
        {"510102", "水电费", 500, 15000, {"{月}月车间水电费", "{月}月办公楼电费"}},
        {"510103", "设备维修费", 300, 20000, {"空压机维修", "生产线设备检修费"}},
        {"0501", "专项经费", 0, 0, {}},
        {"050101", "课题研究费", 1000, 40000, {"课题调研{城}差旅及资料费", "实验材料费"}},
        {"050102", "专家咨询费", 500, 8000, {"专家评审咨询费", "外聘专家讲课费"}},
    };
    return list;
}

const std::vector<const char*> kCorrections{"冲销{月}月多报金额", "更正重复报销", "退回部分预借款"};

// Sentences of the long explanations some claimants write.
const std::vector<const char*> kExplanations{
    "本次报销系根据集团年度工作计划安排，经部门负责人审核同意后办理。",
    "费用发生于{城}，相关票据均已按要求粘贴并附于报销单后。",
    "因项目进度调整，原定于上月完成的工作延至{月}月，相关费用一并在本单中报销。",
    "其中部分票据为电子发票，已打印并加盖经办人签章。",
    "请财务部按规定审核后支付至经办人工资卡。",
    "如有疑问请与经办部门联系，联系人已在附件中注明。",
    "此项支出已纳入部门季度费用控制表，未超出核定额度。",
    "经办人已于返回后三个工作日内提交全部原始凭证。",
};

const std::vector<const char*> kCities{"北京", "上海", "广州", "深圳", "成都", "武汉",
                                       "西安", "南京", "杭州", "重庆", "天津", "长沙"};

constexpr int kMonths = 36; // January of the first year to December of the third

std::string fill(std::string_view text, std::string_view city, unsigned month) {
    std::string out;
    const std::string monthText = std::to_string(month);
    for (std::size_t i = 0; i < text.size();) {
        if (text.substr(i).starts_with("{城}")) {
            out += city;
            i += std::string_view("{城}").size();
        } else if (text.substr(i).starts_with("{月}")) {
            out += monthText;
            i += std::string_view("{月}").size();
        } else {
            out += text[i++];
        }
    }
    return out;
}

std::string dateText(sys_days day) {
    const year_month_day ymd{day};
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%04d-%02u-%02u", int(ymd.year()), unsigned(ymd.month()),
                  unsigned(ymd.day()));
    return buffer;
}

// A date, or with timeChance percent a date with the time of day it was entered.
std::string dateMaybeWithTime(sys_days day, DemoRandom& random, int timeChance) {
    std::string text = dateText(day);
    if (random.percent(timeChance)) {
        char buffer[16];
        std::snprintf(buffer, sizeof buffer, " %02d:%02d:%02d", random.between(8, 18),
                      random.below(60), random.below(60));
        text += buffer;
    }
    return text;
}

sys_days dayInMonth(int firstYear, int monthIndex, DemoRandom& random) {
    const year y{firstYear + monthIndex / 12};
    const month m{unsigned(monthIndex % 12 + 1)};
    const unsigned last = unsigned(year_month_day_last{y, month_day_last{m}}.day());
    return sys_days{y / m / day{unsigned(random.between(1, int(last)))}};
}

// rate percent of amount, rounded half away from zero to whole fen.
std::int64_t percentOf(std::int64_t amountFen, int rate) {
    const std::int64_t scaled = amountFen * rate;
    return (scaled >= 0 ? scaled + 50 : scaled - 50) / 100;
}

class ClaimMaker {
public:
    ClaimMaker(Data& data, int firstYear, DemoRandom& random)
        : m_data(data), m_firstYear(firstYear), m_random(random) {
        for (const auto& e : data.employees)
            if (!e.leftDate)
                m_claimants.push_back(&e.name);
        for (const auto& s : subjects())
            if (s.maxYuan > 0)
                m_bookable.push_back(&s);
    }

    // A claim header dated in the given month; approval and payment follow it.
    void addClaim(const std::string& dept, int monthIndex, std::string type) {
        Data::Claim c;
        c.deptCode = dept;
        c.type = std::move(type);
        const sys_days submitted = dayInMonth(m_firstYear, monthIndex, m_random);
        c.submitDate = dateMaybeWithTime(submitted, m_random, 30);
        c.claimant = *m_random.pick(m_claimants);
        // About one in twelve is still waiting for approval, and so unpaid.
        if (!m_random.percent(8)) {
            c.approved = true;
            const sys_days approvedOn = submitted + days{m_random.between(0, 7)};
            c.approvalDate = dateMaybeWithTime(approvedOn, m_random, 50);
            if (!m_random.percent(12))
                c.paymentDate = dateText(approvedOn + days{m_random.between(1, 15)});
        }
        m_data.claims.push_back(std::move(c));
    }

    // Orders the claims by date, numbers them and adds 1-4 lines to each.
    void finish() {
        std::stable_sort(m_data.claims.begin(), m_data.claims.end(),
                         [](const auto& a, const auto& b) { return a.submitDate < b.submitDate; });
        int serial = 0;
        std::string serialYear;
        const std::string oldSystemYear = std::to_string(m_firstYear);
        for (std::size_t i = 0; i < m_data.claims.size(); ++i) {
            auto& c = m_data.claims[i];
            const std::string y = c.submitDate.substr(0, 4);
            serial = y == serialYear ? serial + 1 : 1;
            serialYear = y;
            char buffer[32];
            // The old system (first year) numbered claims with six digits;
            // BX<year>-<serial> since.
            if (y == oldSystemYear)
                std::snprintf(buffer, sizeof buffer, "%06d", serial);
            else
                std::snprintf(buffer, sizeof buffer, "BX%s-%05d", y.c_str(), serial);
            c.number = buffer;
            const int lines = m_random.between(1, 4);
            for (int l = 0; l < lines; ++l)
                addLine(std::int64_t(i + 1), unsigned(std::stoi(c.submitDate.substr(5, 2))));
        }
    }

private:
    void addLine(std::int64_t claimId, unsigned month) {
        const SubjectInfo& s = *m_random.pick(m_bookable);
        Data::ClaimLine line;
        line.claimId = claimId;
        line.subjectCode = s.code;
        std::int64_t fen = std::int64_t(m_random.between(s.minYuan * 100, s.maxYuan * 100));
        const int rounding = m_random.below(10);
        if (rounding < 3)
            fen = fen / 100 * 100; // whole yuan
        else if (rounding < 5)
            fen = fen / 10 * 10; // whole jiao, e.g. 1234.5
        const bool correction = m_random.percent(3);
        line.amountFen = correction ? -fen : fen;

        if (!m_random.percent(15)) {
            const int kind = m_random.below(100);
            line.taxFen = kind < 35 ? 0 : percentOf(line.amountFen, kind < 80 ? 6 : 13);
        }

        const char* city = m_random.pick(kCities);
        if (m_random.percent(12)) {
            // no summary
        } else if (correction) {
            line.summary = fill(m_random.pick(kCorrections), city, month);
        } else if (m_random.percent(5)) {
            std::string text = fill(m_random.pick(s.summaries), city, month) + "。";
            for (int n = m_random.between(4, 8); n > 0; --n)
                text += fill(m_random.pick(kExplanations), city, month);
            line.summary = std::move(text);
        } else {
            line.summary = fill(m_random.pick(s.summaries), city, month);
        }
        m_data.claimLines.push_back(std::move(line));
    }

    Data& m_data;
    const int m_firstYear;
    DemoRandom& m_random;
    std::vector<const std::string*> m_claimants;
    std::vector<const SubjectInfo*> m_bookable;
};

} // namespace

void DemoClaims::build(Data& data, int scale, int baseYear, DemoRandom& random) {
    for (const auto& s : subjects())
        data.subjects.push_back({s.code, s.name});

    std::vector<std::string> active;
    for (const auto& d : data.departments)
        if (!d.endDate)
            active.push_back(d.code);

    ClaimMaker maker(data, baseYear - 1, random);
    const std::string nonBudget = "非预算";
    const std::string budget = "预算";
    const std::string quiet = DemoOrganisation::kQuietDepartment;

    // Every active department but the quiet one has non-budget claims in the base year.
    for (const auto& dept : active)
        if (dept != quiet)
            maker.addClaim(dept, 12 + random.below(12), nonBudget);
    // The terminated department filed claims until the middle of the first year.
    for (int i = 0; i < 4 * scale; ++i)
        maker.addClaim(DemoOrganisation::kTerminatedDepartment, random.below(6), nonBudget);

    const int total = kClaimsPerScale * scale;
    for (int i = int(data.claims.size()); i < total; ++i) {
        const int monthIndex = i % kMonths;
        const std::string& dept = random.pick(active);
        const bool quietInBaseYear = dept == quiet && monthIndex / 12 == 1;
        maker.addClaim(dept, monthIndex,
                       quietInBaseYear || random.percent(25) ? budget : nonBudget);
    }
    maker.finish();
}

} // namespace nbr::demo
