#include "gui/search/frmwatchedstarts.h"

#include "core/gridstate.h"
#include "search/gethorse.h"

#include <QHeaderView>
#include <QLabel>
#include <QStandardItemModel>
#include <QTableView>
#include <QVBoxLayout>

frmwatchedstarts::frmwatchedstarts(MainWindowRunner run, QWidget* mainWindow)
    : QWidget(mainWindow, Qt::Window), m_run(std::move(run)), m_model(new QStandardItemModel(this))
{
    setObjectName(QStringLiteral("frmwatchedstarts"));
    setWindowTitle(QStringLiteral("Watched Starts"));
    setAttribute(Qt::WA_DeleteOnClose);

    lblweeks = new QLabel;
    lblweeks->setObjectName(QStringLiteral("lblweeks"));
    MSFwatched = new QTableView;
    MSFwatched->setObjectName(QStringLiteral("MSFwatched"));
    MSFwatched->setModel(m_model);
    MSFwatched->setEditTriggers(QAbstractItemView::NoEditTriggers);
    MSFwatched->setSelectionBehavior(QAbstractItemView::SelectRows);
    MSFwatched->setSelectionMode(QAbstractItemView::SingleSelection);
    MSFwatched->verticalHeader()->hide();
    MSFwatched->verticalHeader()->setDefaultSectionSize(MSFwatched->fontMetrics().height() + 6);
    MSFwatched->horizontalHeader()->setStretchLastSection(true);
    MSFwatched->setMinimumSize(600, 200);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lblweeks);
    layout->addWidget(MSFwatched, 1);
    resize(900, 480);
    connect(MSFwatched, &QTableView::doubleClicked, this,
            [this](const QModelIndex& index) { MSFwatched_DblClick(index.row()); });
}

void frmwatchedstarts::setStarts(const QList<WatchedStart>& starts, const QList<int>& weeks)
{
    m_starts = starts;
    QStringList numbers;
    for (int w : weeks)
        numbers << QString::number(w);
    lblweeks->setText(QStringLiteral("%1 of the watched horses and owners in week%2 %3. Double-click a "
                                     "start to list the horse.")
                          .arg(starts.size() == 1 ? QStringLiteral("1 start")
                                                  : QStringLiteral("%1 starts").arg(starts.size()),
                               weeks.size() == 1 ? QString() : QStringLiteral("s"),
                               numbers.join(QStringLiteral(", "))));
    m_model->clear();
    QStringList captions;
    for (const char* c : WatchedStart::captions)
        captions << QString::fromLatin1(c);
    m_model->setHorizontalHeaderLabels(captions);
    // A few hundred rows at most (one import's weeks): an item per cell costs nothing here.
    for (const WatchedStart& s : starts) {
        QList<QStandardItem*> items;
        int r = 0, g = 0, b = 0;
        if (s.colour != Palette::Default)
            Palette::rgb(s.colour, r, g, b);
        for (int c = 0; c < WatchedStart::Columns; ++c) {
            auto* item = new QStandardItem(s.cells[std::size_t(c)]);
            if (s.colour != Palette::Default)
                item->setForeground(QColor(r, g, b));
            // Numbers to the right, as the results grid has them; names, codes and place to the left.
            if (c == 1 || c == 2 || c == 5 || c == 7 || c == 9)
                item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            items << item;
        }
        m_model->appendRow(items);
    }
    MSFwatched->resizeColumnsToContents();
}

void frmwatchedstarts::MSFwatched_DblClick(int row)
{
    if (row < 0 || row >= m_starts.size())
        return;
    const QString name = m_starts.at(row).cells[0], id = m_starts.at(row).cells[1];
    m_run([name, id](MainWindowState& f) { gethorse(f, 1, name, id); });
    if (QWidget* main = parentWidget()) {
        main->raise();
        main->activateWindow();
    }
}
