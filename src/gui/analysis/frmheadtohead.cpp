#include "gui/analysis/frmheadtohead.h"

#include "analysis/placement.h"
#include "core/format.h"
#include "core/mainwindowstate.h"
#include "db/racekey.h"
#include "search/gethorse.h"

#include <QBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QTableView>

using namespace Analysis;

frmheadtohead::frmheadtohead(MainWindowState& state, Runner run, QWidget* mainWindow)
    : AnalysisPanel(QStringLiteral("frmheadtohead"), QStringLiteral("Head to Head"), state, std::move(run),
                    mainWindow)
{
    // Every stored race counts, whatever its week.
    hideWeeks();
    controls()->addWidget(new QLabel(QStringLiteral("Horses:")));
    for (std::size_t i = 0; i < txthorse.size(); ++i) {
        txthorse[i] = new QLineEdit;
        txthorse[i]->setObjectName(QStringLiteral("txthorse%1").arg(i + 1));
        txthorse[i]->setPlaceholderText(QStringLiteral("id or name"));
        txthorse[i]->setMinimumWidth(85);
        controls()->addWidget(txthorse[i]);
    }
    MSFraces = addTable(QStringLiteral("MSFraces"), 3);
    MSFraces->setToolTip(QStringLiteral("Double-click a race to list it."));
    content()->addWidget(new QLabel(QStringLiteral("Finished ahead (races both ran):")));
    MSFahead = addTable(QStringLiteral("MSFahead"), 1);
    connect(MSFraces, &QTableView::doubleClicked, this, &frmheadtohead::MSFraces_DblClick);
    resize(1100, 600);
}

void frmheadtohead::addHorse(const QString& horse)
{
    QLineEdit* box = txthorse.back();
    for (QLineEdit* b : txthorse) {
        if (b->text().trimmed().isEmpty()) {
            box = b;
            break;
        }
    }
    box->setText(horse);
    const auto given = std::count_if(txthorse.begin(), txthorse.end(),
                                     [](const QLineEdit* b) { return !b->text().trimmed().isEmpty(); });
    if (given >= MeetMin)
        cmdrun_Click();
    else
        txthorse[1]->setFocus();
}

void frmheadtohead::cmdrun_Click()
{
    QStringList horses;
    for (const QLineEdit* b : txthorse) {
        if (!b->text().trimmed().isEmpty())
            horses << b->text().trimmed();
    }
    if (horses.size() < MeetMin) {
        state().platform().message(QStringLiteral("Type at least two horses' ids or names."));
        return;
    }
    start<HeadToHead>(
        [horses](Database& db, const Weeks&) -> Result<HeadToHead> {
            std::vector<std::int32_t> ids;
            for (const QString& h : horses) {
                const auto hid = horseOf(db, h);
                if (!hid)
                    return Result<HeadToHead>::failure(hid.error());
                ids.push_back(*hid);
            }
            return headToHead(db, ids);
        },
        [this](HeadToHead&& h) {
            m_meeting = std::move(h);
            showTable(MSFraces, meetRacesTable(m_meeting));
            showTable(MSFahead, meetAheadTable(m_meeting));
            lblstatus->setText(
                QStringLiteral("%1 in which at least two of them ran, the newest first.")
                    .arg(Fmt::count(qint64(m_meeting.races.size()), QStringLiteral("stored race"))));
        });
}

void frmheadtohead::MSFraces_DblClick(const QModelIndex& index)
{
    const int row = tableRow(MSFraces, index);
    if (row < 0 || std::size_t(row) >= m_meeting.races.size())
        return;
    const QString key = RaceKey::text(m_meeting.races[std::size_t(row)].racenum);
    runOnMain([key](MainWindowState& f) { gethorse(f, 5, QString(), key); });
}
