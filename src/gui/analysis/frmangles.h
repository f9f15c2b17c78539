#pragma once

#include "analysis/angles.h"
#include "gui/analysis/analysispanel.h"

/** "Angles": which patterns of a horse's starts win and pay (after a rest, a claim, a change of price,
   surface, trip or maiden class), over the window's starts, an owner's or a sire's progeny's, with the sample
   size beside each. A double click lists the angle's starts in the results grid. */
class frmangles : public AnalysisPanel
{
    Q_OBJECT
public:
    frmangles(MainWindowState& state, Runner run, QWidget* mainWindow);

    QLineEdit* txtowner = nullptr;
    QLineEdit* txtsire = nullptr;
    QLineEdit* txtlayoff = nullptr;
    QTableView* MSFangles = nullptr;

    void cmdrun_Click() override;
    void MSFangles_DblClick(const QModelIndex& index);
    const Analysis::Angles& angles() const { return m_angles; }

protected:
    void followMainWindow() override;

private:
    /** The owner or sire and the layoff the boxes ask for; nullopt, after a message, when they are not
     * usable. */
    std::optional<Analysis::AngleFilter> filter();

    Analysis::Angles m_angles;
};
