#include "gui/analysis/frmleaders.h"

#include "core/format.h"
#include "core/mainwindowstate.h"

#include <QBoxLayout>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QStandardItemModel>
#include <QTableView>

using namespace Analysis;

frmleaders::frmleaders(MainWindowState& state, Runner run, QWidget* mainWindow)
    : AnalysisPanel(QStringLiteral("frmleaders"), QStringLiteral("Leaders"), state, std::move(run),
                    mainWindow)
{
    cboby = new QComboBox;
    cboby->setObjectName(QStringLiteral("cboby"));
    // In the order of LeaderKind.
    cboby->addItems({QStringLiteral("Owners"), QStringLiteral("Sires"), QStringLiteral("Dam-sires"),
                     QStringLiteral("Dam's dam-sires")});
    txtminstarts = new QLineEdit(QString::number(DefaultMinStarts));
    txtminstarts->setObjectName(QStringLiteral("txtminstarts"));
    txtminstarts->setMaxLength(6);
    txtminstarts->setFixedWidth(txtminstarts->fontMetrics().horizontalAdvance(QStringLiteral("0000000")) +
                                12);
    controls()->addWidget(new QLabel(QStringLiteral("Leading:")));
    controls()->addWidget(cboby);
    controls()->addWidget(new QLabel(QStringLiteral("Starts at least:")));
    controls()->addWidget(txtminstarts);
    MSFleaders = addTable(QStringLiteral("MSFleaders"));
    MSFleaders->setToolTip(QStringLiteral("Double-click a row to list the owner's starts or the progeny's."));
    connect(MSFleaders, &QTableView::doubleClicked, this, &frmleaders::MSFleaders_DblClick);
    // The runs of starts and wins by surface and trip make a wide table.
    resize(1240, 640);
}

void frmleaders::followMainWindow()
{
    // The stallions come from the breeding file, as the progeny searches' do.
    const bool breeding = state().panel.progenyEnabled;
    auto* items = static_cast<QStandardItemModel*>(cboby->model());
    for (int i = 1; i < cboby->count(); ++i)
        items->item(i)->setEnabled(breeding);
    cboby->setToolTip(breeding ? QString()
                               : QStringLiteral("There is no breeding file to find the stallions in."));
}

void frmleaders::cmdrun_Click()
{
    const QString least = txtminstarts->text().trimmed();
    bool ok = Fmt::isWholeNumber(least);
    const int minStarts = ok ? least.toInt(&ok) : 0;
    if (!ok || minStarts < 0) {
        state().platform().message(QStringLiteral("\"%1\" is not a whole number of starts.").arg(least));
        return;
    }
    const auto by = LeaderKind(cboby->currentIndex());
    const QString breeding = state().breedingPath();
    start<Leaders>(
        [by, minStarts, breeding](Database& db, const Weeks& weeks) {
            return Analysis::leaders(db, weeks, by, minStarts, breeding);
        },
        [this](Leaders&& l) {
            m_leaders = std::move(l);
            showTable(MSFleaders, leadersTable(m_leaders));
            lblstatus->setText(QStringLiteral("%1: %2, by wins. Grey rows rest on fewer than %3 starts or %4 "
                                              "winners expected by the odds.")
                                   .arg(leadersHeading(m_leaders).trimmed(),
                                        Fmt::count(qint64(m_leaders.rows.size()), QStringLiteral("row")))
                                   .arg(FewStarts)
                                   .arg(LowExpected));
        });
}

void frmleaders::MSFleaders_DblClick(const QModelIndex& index)
{
    const int row = tableRow(MSFleaders, index);
    if (row >= 0 && std::size_t(row) < m_leaders.rows.size())
        listStarts(leaderStarts(m_leaders, m_leaders.rows[std::size_t(row)]));
}
