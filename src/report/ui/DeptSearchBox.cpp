#include "report/ui/DeptSearchBox.h"

#include "report/DeptTree.h"
#include "report/models/TreeNodesModel.h"

#include <QKeyEvent>
#include <algorithm>

using namespace Qt::StringLiterals;

namespace nbr {

DeptSearchBox::DeptSearchBox(TreeNodesModel* nodes, QWidget* parent)
    : QLineEdit(parent), m_nodes(nodes) {
    setPlaceholderText(u"查找部门（代号或名称）"_s);
    setClearButtonEnabled(true);
    connect(this, &QLineEdit::textChanged, this, &DeptSearchBox::search);
}

void DeptSearchBox::search(const QString& text) {
    m_matches = findDepartments(*m_nodes, text.trimmed());
    if (text.trimmed().isEmpty())
        m_nodes->showAll();
    else
        m_nodes->showOnly(m_matches);
}

// The match after the tree's selected node, from the first again after the last.
void DeptSearchBox::selectNextMatch() {
    if (m_matches.empty())
        return;
    const auto next = std::upper_bound(m_matches.begin(), m_matches.end(), m_nodes->selectedItem());
    m_nodes->setSelected(next == m_matches.end() ? m_matches.front() : *next, true);
}

void DeptSearchBox::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        selectNextMatch();
        return;
    }
    if (event->key() == Qt::Key_Escape && !text().isEmpty()) {
        clear();
        return;
    }
    QLineEdit::keyPressEvent(event);
}

} // namespace nbr
