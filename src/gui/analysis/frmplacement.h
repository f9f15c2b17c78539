#pragma once

#include "analysis/placement.h"
#include "gui/analysis/analysispanel.h"

/** "Where Can It Win": a horse (its id, or a name as the search panel takes it), its form figure in each
    category, its last class and par, and every band whose par its form reaches, the richest first. A double
    click lists the band's winners in the results grid. */
class frmplacement : public AnalysisPanel
{
    Q_OBJECT
public:
    frmplacement(MainWindowState& state, Runner run, QWidget* mainWindow);

    QLineEdit* txthorse = nullptr;
    QLabel* lblhorse = nullptr;
    QTableView* MSFplaces = nullptr;

    void cmdrun_Click() override;
    void MSFplaces_DblClick(const QModelIndex& index);
    const Analysis::Placement& placement() const { return m_placement; }

private:
    Analysis::Placement m_placement;
};
