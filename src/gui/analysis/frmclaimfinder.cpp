#include "gui/analysis/frmclaimfinder.h"

#include "core/format.h"
#include "core/mainwindowstate.h"
#include "search/gethorse.h"

#include <QBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QTableView>

using namespace Analysis;

frmclaimfinder::frmclaimfinder(MainWindowState& state, Runner run, QWidget* mainWindow)
    : AnalysisPanel(QStringLiteral("frmclaimfinder"), QStringLiteral("Claim Finder"), state, std::move(run),
                    mainWindow)
{
    txtmaxprice = new QLineEdit;
    txtmaxprice->setObjectName(QStringLiteral("txtmaxprice"));
    txtmaxprice->setPlaceholderText(QStringLiteral("any"));
    txtmaxprice->setMaxLength(9);
    txtmaxprice->setFixedWidth(txtmaxprice->fontMetrics().horizontalAdvance(QStringLiteral("0000000000")) +
                               12);
    controls()->addWidget(new QLabel(QStringLiteral("Price at most:")));
    controls()->addWidget(txtmaxprice);
    MSFcandidates = addTable(QStringLiteral("MSFcandidates"));
    MSFcandidates->setToolTip(QStringLiteral("Double-click a row to list the horse."));
    connect(MSFcandidates, &QTableView::doubleClicked, this, &frmclaimfinder::MSFcandidates_DblClick);
}

void frmclaimfinder::cmdrun_Click()
{
    std::optional<std::int64_t> maxPrice;
    if (const QString text = txtmaxprice->text().trimmed(); !text.isEmpty()) {
        bool ok = false;
        maxPrice = text.toLongLong(&ok);
        if (!ok || *maxPrice < 0) {
            state().platform().message(
                QStringLiteral("The price \"%1\" is not a whole number of dollars.").arg(text));
            return;
        }
    }
    start<ClaimFinder>(
        [maxPrice](Database& db, const Weeks& weeks) { return claimFinder(db, weeks, maxPrice); },
        [this](ClaimFinder&& found) {
            m_found = std::move(found);
            showTable(MSFcandidates, claimFinderTable(m_found));
            lblstatus->setText(
                QStringLiteral("%1 whose last start, in the last %2 weeks of %3, was for a price "
                               "and whose form beats that band's par.")
                    .arg(Fmt::count(qint64(m_found.rows.size()), QStringLiteral("horse")))
                    .arg(RecentWeeks)
                    .arg(m_found.weeks.text()));
        });
}

void frmclaimfinder::MSFcandidates_DblClick(const QModelIndex& index)
{
    const int row = tableRow(MSFcandidates, index);
    if (row < 0 || std::size_t(row) >= m_found.rows.size())
        return;
    const ClaimCandidate& c = m_found.rows[std::size_t(row)];
    const QString name = c.name, id = QString::number(c.hid);
    runOnMain([name, id](MainWindowState& f) { gethorse(f, 1, name, id); });
}
