#include "gui/analysis/frmplacement.h"

#include "core/format.h"
#include "core/mainwindowstate.h"

#include <QBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QTableView>

using namespace Analysis;

frmplacement::frmplacement(MainWindowState& state, Runner run, QWidget* mainWindow)
    : AnalysisPanel(QStringLiteral("frmplacement"), QStringLiteral("Where Can It Win"), state, std::move(run),
                    mainWindow)
{
    txthorse = new QLineEdit;
    txthorse->setObjectName(QStringLiteral("txthorse"));
    txthorse->setPlaceholderText(QStringLiteral("horse id or name"));
    txthorse->setMinimumWidth(220);
    controls()->insertWidget(0, txthorse);
    controls()->insertWidget(0, new QLabel(QStringLiteral("Horse:")));
    lblhorse = new QLabel;
    lblhorse->setObjectName(QStringLiteral("lblhorse"));
    lblhorse->setTextInteractionFlags(Qt::TextSelectableByMouse);
    content()->addWidget(lblhorse);
    MSFplaces = addTable(QStringLiteral("MSFplaces"));
    MSFplaces->setToolTip(QStringLiteral("Double-click a row to list the band's winners."));
    connect(MSFplaces, &QTableView::doubleClicked, this, &frmplacement::MSFplaces_DblClick);
}

void frmplacement::cmdrun_Click()
{
    const QString horse = txthorse->text().trimmed();
    if (horse.isEmpty()) {
        state().platform().message(QStringLiteral("Type a horse's id or name first."));
        return;
    }
    start<Placement>(
        [horse](Database& db, const Weeks& weeks) -> Result<Placement> {
            const auto hid = horseOf(db, horse);
            if (!hid)
                return Result<Placement>::failure(hid.error());
            return Analysis::placement(db, weeks, *hid);
        },
        [this](Placement&& p) {
            m_placement = std::move(p);
            lblhorse->setText(placementHeading(m_placement).trimmed());
            showTable(MSFplaces, placementTable(m_placement));
            lblstatus->setText(
                m_placement.rows.empty()
                    ? QStringLiteral("Its form reaches no par in %1.").arg(m_placement.pars.weeks.text())
                    : QStringLiteral("Its form reaches the par of %1 in %2; the richest first.")
                          .arg(Fmt::count(qint64(m_placement.rows.size()), QStringLiteral("band")),
                               m_placement.pars.weeks.text()));
        });
}

void frmplacement::MSFplaces_DblClick(const QModelIndex& index)
{
    const int row = tableRow(MSFplaces, index);
    if (row >= 0 && std::size_t(row) < m_placement.rows.size())
        listStarts(placementWinners(m_placement, m_placement.rows[std::size_t(row)]));
}
