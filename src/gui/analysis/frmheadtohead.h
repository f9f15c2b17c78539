#pragma once

#include "analysis/headtohead.h"
#include "gui/analysis/analysispanel.h"

#include <array>

/** "Head to Head": the stored races in which two to four horses met, newest first, with each one's place and
    figure, and how often each finished ahead of each other. A double click lists the race, as "List Race"
    does. */
class frmheadtohead : public AnalysisPanel
{
    Q_OBJECT
public:
    frmheadtohead(MainWindowState& state, Runner run, QWidget* mainWindow);

    /** The horses' boxes: an id, or a name as the search panel takes it. */
    std::array<QLineEdit*, Analysis::MeetMax> txthorse{};
    QTableView* MSFraces = nullptr;
    QTableView* MSFahead = nullptr;

    /** Puts a horse into the first empty box (the last box when none is), and runs once two are given. */
    void addHorse(const QString& horse);
    void cmdrun_Click() override;
    void MSFraces_DblClick(const QModelIndex& index);
    const Analysis::HeadToHead& meeting() const { return m_meeting; }

private:
    Analysis::HeadToHead m_meeting;
};
