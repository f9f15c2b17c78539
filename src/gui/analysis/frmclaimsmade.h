#pragma once

#include "analysis/claims.h"
#include "gui/analysis/analysispanel.h"

/** "Claims Made": every claim of the window with what the horse did for its new owner until the next
    change, and below, each claiming owner's claims, spending and return. A double click lists a claim's
    spell, or an owner's claims, in the results grid. */
class frmclaimsmade : public AnalysisPanel
{
    Q_OBJECT
public:
    frmclaimsmade(MainWindowState& state, Runner run, QWidget* mainWindow);

    QLineEdit* txtowner = nullptr;
    QTableView* MSFclaims = nullptr;
    QTableView* MSFowners = nullptr;

    void cmdrun_Click() override;
    void MSFclaims_DblClick(const QModelIndex& index);
    void MSFowners_DblClick(const QModelIndex& index);
    const Analysis::ClaimsMade& made() const { return m_made; }

private:
    Analysis::ClaimsMade m_made;
};
