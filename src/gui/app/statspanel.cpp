#include "gui/app/statspanel.h"

#include "core/format.h"
#include "core/mainwindowstate.h"
#include "gui/app/named.h"
#include "gui/widgets/gridview.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QScrollBar>
#include <QVBoxLayout>

StatsPanel::StatsPanel(MainWindowState& state, QWidget* parent) : SidewaysScrollArea(parent), m_state(state)
{
    setObjectName(QStringLiteral("statsarea"));
    auto* contents = new QWidget;
    auto* outer = new QVBoxLayout(contents);
    outer->setContentsMargins(0, 0, 0, 0);
    frainfo = named<ClippedGroupBox>("frainfo", QString());
    outer->addWidget(frainfo);
    auto* row = new QHBoxLayout(frainfo);
    buildGrids(row);

    auto* labels = new QVBoxLayout;
    lblprogress = named<QLabel>("lblprogress");
    lblprogress->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    lblprogress->setMinimumWidth(200);
    lblfastest = named<QLabel>("lblfastest");
    for (QLabel* label : {lblprogress, lblfastest})
        label->setTextFormat(Qt::PlainText);
    labels->addWidget(lblfastest);
    labels->addWidget(lblprogress, 1);
    row->addLayout(labels, 1);
    row->addWidget(MSFColorGridKey, 0, Qt::AlignTop);

    for (GridView* g : {MSFSGrid, MSFWGrid, MSFSRGrid, MSFmaxgrid, MSFColorGridKey}) {
        g->setSelectionMode(QAbstractItemView::NoSelection);
        g->setFocusPolicy(Qt::NoFocus);
        g->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
        g->setFitContents(true);
    }
    MSFColorGridKey->horizontalHeader()->setStretchLastSection(true);
    MSFColorGridKey->setFrameShape(QFrame::NoFrame);
    keepSize(contents);
}

void StatsPanel::buildGrids(QHBoxLayout* row)
{
    MSFSGrid = named<GridView>("MSFSGrid", m_state.MSFSGrid, false);
    MSFWGrid = named<GridView>("MSFWGrid", m_state.MSFWGrid, false);
    MSFSRGrid = named<GridView>("MSFSRGrid", m_state.MSFSRGrid, false);
    MSFmaxgrid = named<GridView>("MSFmaxgrid", m_state.MSFmaxgrid, false);
    MSFColorGridKey = named<GridView>("MSFColorGridKey", m_state.MSFColorGridKey, false);
    fraspeedstats = named<QGroupBox>("fraspeedstats", QStringLiteral("Average Speed Stats"));
    (new QVBoxLayout(fraspeedstats))->addWidget(MSFSGrid);
    framaxspeedstats = named<QGroupBox>("framaxspeedstats", QStringLiteral("Max Speed And W-P-S"));
    (new QVBoxLayout(framaxspeedstats))->addWidget(MSFWGrid);
    row->addWidget(fraspeedstats, 0, Qt::AlignTop);
    row->addWidget(framaxspeedstats, 0, Qt::AlignTop);
    row->addWidget(MSFSRGrid, 0, Qt::AlignTop);
    row->addWidget(MSFmaxgrid, 0, Qt::AlignTop);
}

void StatsPanel::keepSize(QWidget* contents)
{
    // A window grows whenever the least size of a child does, and the statistics change with every search:
    // the grids widen to their figures, the labels take the summaries. The statistics therefore sit in an
    // area that scrolls when the window is narrower than they are, the labels are cut at the window's edge,
    // and lblprogress keeps the height of the longest summary from the start.
    for (QLabel* label : {lblprogress, lblfastest})
        label->setSizePolicy(QSizePolicy::Ignored, label->sizePolicy().verticalPolicy());
    const int summaryLines = 9;
    lblprogress->setMinimumHeight(summaryLines * lblprogress->fontMetrics().lineSpacing() +
                                  2 * lblprogress->margin());
    setFrameShape(QFrame::NoFrame);
    setWidgetResizable(true);
    setWidget(contents);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
}

int StatsPanel::rowHeightTwips() const
{
    return MSFSGrid->rowHeightTwips();
}

void StatsPanel::fixLeastWidth()
{
    setMinimumWidth(widget()->minimumSizeHint().width() + 2 * frameWidth());
}

void StatsPanel::sync()
{
    for (GridView* g : {MSFSGrid, MSFWGrid, MSFSRGrid, MSFmaxgrid, MSFColorGridKey})
        g->sync();
    const bool normal = m_state.MSFSGrid.visible();
    fraspeedstats->setVisible(normal);
    framaxspeedstats->setVisible(normal);
    lblfastest->setVisible(m_state.lblfastestVisible);
    lblprogress->setText(QString(m_state.lblprogress).replace(QLatin1Char('\r'), QLatin1Char('\n')));
    lblfastest->setText(m_state.lblfastest);
    // Names from the data (an owner "Brown, Hall & Hall") are shown as they are.
    frainfo->setTitle(Fmt::literalCaption(m_state.frainfo));
    fitGridWidths();
}

void StatsPanel::fitGridWidths()
{
    for (GridView* g : {MSFSGrid, MSFWGrid, MSFSRGrid, MSFmaxgrid, MSFColorGridKey}) {
        int w = 2 * g->frameWidth();
        for (int c = 0; c < g->model()->columnCount(); ++c)
            w += g == MSFColorGridKey ? g->sizeHintForColumn(c) : g->columnWidth(c);
        // Room for the vertical scroll bar when a capped height cannot show every row.
        const int rowsHeight = g->model()->rowCount() * g->rowHeightPixels() + 2 * g->frameWidth();
        if (rowsHeight > g->height())
            w += g->verticalScrollBar()->sizeHint().width();
        g->setFixedWidth(w);
    }
}
