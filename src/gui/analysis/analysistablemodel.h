#pragma once

#include "analysis/table.h"

#include <QAbstractTableModel>

/**
 * An analysis table as a Qt model: each cell's text to show, its raw value under SortRole for sorting,
 * numbers to the right, and "few" rows grey with their reason as the tooltip.
 */
class AnalysisTableModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    /** The role that holds a cell's raw value, which the windows sort by. */
    static constexpr int SortRole = Qt::UserRole + 1;

    using QAbstractTableModel::QAbstractTableModel;

    void setTable(Analysis::AnalysisTable table);
    const Analysis::AnalysisTable& table() const { return m_table; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    Analysis::AnalysisTable m_table;
};
