#include "report/DeptSelection.h"

#include "report/DeptTree.h"

#include <algorithm>

using namespace Qt::StringLiterals;

namespace nbr {

DeptSelection::DeptSelection(const DeptTree& tree)
    : m_tree(&tree), m_ticked(size_t(tree.size()), false) {}

bool DeptSelection::hasTickedBelow(int i) const {
    const auto end = m_ticked.begin() + m_tree->node(i).subtreeEnd;
    return std::find(m_ticked.begin() + i + 1, end, true) != end;
}

int DeptSelection::tickedCount() const {
    return int(std::count(m_ticked.begin(), m_ticked.end(), true));
}

void DeptSelection::tick(int i, bool ticked) {
    // A subtree is the run of indexes from the department to its end.
    std::fill(m_ticked.begin() + i, m_ticked.begin() + m_tree->node(i).subtreeEnd, ticked);
}

void DeptSelection::selectAll(bool ticked) {
    for (int i = 0; i < m_tree->size(); ++i) {
        // The shown text "code name" holds the mark: it cannot span the blank.
        const Department& d = m_tree->department(i);
        if (!ticked || !(d.code.contains(u"Tervo中心"_s) || d.name.contains(u"Tervo中心"_s)))
            m_ticked[size_t(i)] = ticked;
    }
}

void DeptSelection::tickCodes(const QStringList& codes) {
    for (const QString& code : codes)
        if (const int i = m_tree->indexOf(code); i >= 0)
            m_ticked[size_t(i)] = true;
}

std::vector<Department> DeptSelection::tickedDepartments() const {
    std::vector<Department> ticked;
    for (int i = 0; i < m_tree->size(); ++i)
        if (m_ticked[size_t(i)])
            ticked.push_back(m_tree->department(i));
    return ticked;
}

QStringList DeptSelection::tickedCodes() const {
    QStringList codes;
    for (const Department& d : tickedDepartments())
        codes << d.code;
    return codes;
}

} // namespace nbr
