#include "report/ui/DeptSearchBox.h"

#include "report/models/DeptTreeModel.h"
#include "report/ui/DeptTreeView.h"

#include <QKeyEvent>
#include <algorithm>

using namespace Qt::StringLiterals;

namespace nbr {

DeptSearchBox::DeptSearchBox(DeptTreeModel* departments, DeptTreeView* tree, QWidget* parent)
    : QLineEdit(parent), m_departments(departments), m_tree(tree) {
    setPlaceholderText(u"查找部门（代号或名称）"_s);
    setClearButtonEnabled(true);
    connect(this, &QLineEdit::textChanged, this, &DeptSearchBox::search);
}

void DeptSearchBox::search(const QString& text) {
    m_matches = m_departments->tree().find(text.trimmed());
    if (text.trimmed().isEmpty())
        m_departments->showAll();
    else
        m_departments->showOnly(m_matches);
}

// The match after the tree's current department, from the first again after
// the last.
void DeptSearchBox::selectNextMatch() {
    if (m_matches.empty())
        return;
    const auto next =
        std::upper_bound(m_matches.begin(), m_matches.end(), m_tree->currentDepartment());
    m_tree->setCurrentDepartment(next == m_matches.end() ? m_matches.front() : *next);
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
