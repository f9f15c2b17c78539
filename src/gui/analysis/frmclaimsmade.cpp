#include "gui/analysis/frmclaimsmade.h"

#include "core/format.h"
#include "core/mainwindowstate.h"

#include <QBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QTableView>

using namespace Analysis;

frmclaimsmade::frmclaimsmade(MainWindowState& state, Runner run, QWidget* mainWindow)
    : AnalysisPanel(QStringLiteral("frmclaimsmade"), QStringLiteral("Claims Made"), state, std::move(run),
                    mainWindow)
{
    txtowner = new QLineEdit;
    txtowner->setObjectName(QStringLiteral("txtowner"));
    txtowner->setPlaceholderText(QStringLiteral("every owner"));
    txtowner->setMinimumWidth(200);
    controls()->addWidget(new QLabel(QStringLiteral("Claimed by:")));
    controls()->addWidget(txtowner);
    MSFclaims = addTable(QStringLiteral("MSFclaims"), 3);
    MSFclaims->setToolTip(
        QStringLiteral("Double-click a claim to list its spell: the horse's starts for its new "
                       "owner until the next change."));
    content()->addWidget(new QLabel(QStringLiteral("By claiming owner:")));
    MSFowners = addTable(QStringLiteral("MSFowners"), 2);
    MSFowners->setToolTip(
        QStringLiteral("Double-click an owner to list the first start of each of its claims."));
    connect(MSFclaims, &QTableView::doubleClicked, this, &frmclaimsmade::MSFclaims_DblClick);
    connect(MSFowners, &QTableView::doubleClicked, this, &frmclaimsmade::MSFowners_DblClick);
    resize(1120, 720);
}

void frmclaimsmade::cmdrun_Click()
{
    const QString text = txtowner->text().trimmed();
    const QString owner = text.isEmpty() ? QString() : text;
    start<ClaimsMade>([owner](Database& db, const Weeks& weeks) { return claimsMade(db, weeks, owner); },
                      [this](ClaimsMade&& made) {
                          m_made = std::move(made);
                          showTable(MSFclaims, claimsTable(m_made));
                          showTable(MSFowners, claimOwnersTable(m_made));
                          lblstatus->setText(
                              QStringLiteral("%1 in %2 by %3, the newest first.")
                                  .arg(Fmt::count(qint64(m_made.claims.size()), QStringLiteral("claim")),
                                       m_made.weeks.text(),
                                       Fmt::count(qint64(m_made.owners.size()), QStringLiteral("owner"))));
                      });
}

void frmclaimsmade::MSFclaims_DblClick(const QModelIndex& index)
{
    const int row = tableRow(MSFclaims, index);
    if (row >= 0 && std::size_t(row) < m_made.claims.size())
        listStarts(claimSpell(m_made, m_made.claims[std::size_t(row)]));
}

void frmclaimsmade::MSFowners_DblClick(const QModelIndex& index)
{
    const int row = tableRow(MSFowners, index);
    if (row >= 0 && std::size_t(row) < m_made.owners.size())
        listStarts(ownerClaims(m_made, m_made.owners[std::size_t(row)]));
}
