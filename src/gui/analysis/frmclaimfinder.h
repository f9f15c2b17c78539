#pragma once

#include "analysis/claims.h"
#include "gui/analysis/analysispanel.h"

/** "Claim Finder": horses entered for a price in the window's last weeks whose form beats the par of the band
    they ran in, the widest margin first. A double click lists the horse, as "List Horse" does. */
class frmclaimfinder : public AnalysisPanel
{
    Q_OBJECT
public:
    frmclaimfinder(MainWindowState& state, Runner run, QWidget* mainWindow);

    QLineEdit* txtmaxprice = nullptr;
    QTableView* MSFcandidates = nullptr;

    void cmdrun_Click() override;
    void MSFcandidates_DblClick(const QModelIndex& index);
    const Analysis::ClaimFinder& found() const { return m_found; }

private:
    Analysis::ClaimFinder m_found;
};
