#include "db/Recordset.h"

#include "db/DbError.h"

using namespace Qt::StringLiterals;

namespace nbr {

Recordset::Recordset(QStringList columns) : m_columns(std::move(columns)) {
    for (int i = 0; i < m_columns.size(); ++i) {
        m_index.insert(m_columns[i], i);
        const QString folded = m_columns[i].toLower();
        if (!m_index.contains(folded))
            m_index.insert(folded, i);
    }
}

qsizetype Recordset::rowCount() const {
    return m_columns.isEmpty() ? 0 : qsizetype(m_values.size()) / m_columns.size();
}

int Recordset::columnIndex(const QString& name) const {
    auto it = m_index.constFind(name);
    if (it == m_index.constEnd())
        it = m_index.constFind(name.toLower());
    return it == m_index.constEnd() ? -1 : *it;
}

const DbValue& Recordset::value(qsizetype row, int column) const {
    return m_values[size_t(row * m_columns.size() + column)];
}

const DbValue& Recordset::field(const QString& name) const {
    const int column = columnIndex(name);
    if (column < 0)
        throw DbError(3265, u"在对应所需名称或序数的集合中，未找到项目：%1"_s.arg(name));
    if (eof())
        throw DbError(3021, u"BOF 或 EOF 中有一个是“真”，或者当前记录已被删除"_s);
    return value(m_position, column);
}

void Recordset::replaceRow(std::vector<DbValue>& row) {
    row.resize(size_t(m_columns.size()));
    m_values.swap(row);
    m_position = 0;
}

void Recordset::appendRow(std::vector<DbValue> row) {
    row.resize(size_t(m_columns.size()));
    for (auto& v : row)
        m_values.push_back(std::move(v));
}

} // namespace nbr
