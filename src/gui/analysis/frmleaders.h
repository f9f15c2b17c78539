#pragma once

#include "analysis/leaders.h"
#include "gui/analysis/analysispanel.h"

class QComboBox;

/** "Leaders": the owners, or the stallions as sire, dam-sire or dam's dam-sire, with the most wins in the
    window, each with its statistics, earnings and record by surface and trip. A double click lists the
   owner's starts, or the stallion's progeny's, in the results grid. */
class frmleaders : public AnalysisPanel
{
    Q_OBJECT
public:
    frmleaders(MainWindowState& state, Runner run, QWidget* mainWindow);

    QComboBox* cboby = nullptr;
    QLineEdit* txtminstarts = nullptr;
    QTableView* MSFleaders = nullptr;

    void cmdrun_Click() override;
    void MSFleaders_DblClick(const QModelIndex& index);
    const Analysis::Leaders& leaders() const { return m_leaders; }

protected:
    void followMainWindow() override;

private:
    Analysis::Leaders m_leaders;
};
