#pragma once

#include "analysis/pars.h"
#include "gui/analysis/analysispanel.h"

class QChartView;
class QComboBox;

/** "Class Pars": the pars of every class, category and trip in the window, and for one category and trip the
    par of each claiming price of a class as a line, the ladder of classes at a glance. A double click lists
    the band's winners in the results grid. */
class frmclasspars : public AnalysisPanel
{
    Q_OBJECT
public:
    frmclasspars(MainWindowState& state, Runner run, QWidget* mainWindow);

    QComboBox* cbocategory = nullptr;
    QComboBox* cbotrip = nullptr;
    QTableView* MSFpars = nullptr;
    QChartView* chtladder = nullptr;

    void cmdrun_Click() override;
    /** The winners of the band of a row of the table (in the view's order). */
    void MSFpars_DblClick(const QModelIndex& index);
    const Analysis::Pars& pars() const { return m_pars; }

private:
    /** The ladder of the chosen category and trip: one line per class with claiming prices. */
    void drawLadder();

    Analysis::Pars m_pars;
};
