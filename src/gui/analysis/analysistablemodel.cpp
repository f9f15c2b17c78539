#include "gui/analysis/analysistablemodel.h"

#include <QBrush>
#include <QColor>

void AnalysisTableModel::setTable(Analysis::AnalysisTable table)
{
    beginResetModel();
    m_table = std::move(table);
    endResetModel();
}

int AnalysisTableModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_table.rows.size());
}

int AnalysisTableModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_table.columns.size());
}

QVariant AnalysisTableModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || std::size_t(index.row()) >= m_table.rows.size() ||
        std::size_t(index.column()) >= m_table.columns.size())
        return {};
    const Analysis::TableRow& row = m_table.rows[std::size_t(index.row())];
    const Analysis::Cell& cell = row.cells[std::size_t(index.column())];
    switch (role) {
    case Qt::DisplayRole:
        return cell.text;
    case SortRole:
        return cell.value;
    case Qt::TextAlignmentRole:
        return QVariant::fromValue(m_table.columns[std::size_t(index.column())].numeric
                                       ? Qt::AlignRight | Qt::AlignVCenter
                                       : Qt::AlignLeft | Qt::AlignVCenter);
    case Qt::ForegroundRole:
        return row.few.isEmpty() ? QVariant() : QVariant(QBrush(QColor(Qt::gray)));
    case Qt::ToolTipRole:
        return row.few.isEmpty() ? QVariant() : QVariant(row.few);
    default:
        return {};
    }
}

QVariant AnalysisTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || std::size_t(section) >= m_table.columns.size())
        return {};
    if (role == Qt::DisplayRole)
        return m_table.columns[std::size_t(section)].heading;
    if (role == Qt::TextAlignmentRole && m_table.columns[std::size_t(section)].numeric)
        return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
    return {};
}
