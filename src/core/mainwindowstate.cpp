#include "core/mainwindowstate.h"

#include "core/format.h"
#include "core/resultslayout.h"

MainWindowState::MainWindowState(Platform& platform, const QString& programDir, const QString& breedingPath)
    : m_platform(platform), m_programPath(Fmt::withSeparator(programDir)), m_breedingPath(breedingPath)
{
    MSFSRGrid.setVisible(false);
    MSFmaxgrid.setVisible(false);
    // The statistics grids are white, so that their shaded cells stand out.
    for (GridState* g : {&MSFSGrid, &MSFWGrid, &MSFSRGrid, &MSFmaxgrid, &MSFColorGridKey})
        g->setBackColor(BackColor::Window);
    // The results grid's initial widths, in force until a settings file says otherwise.
    for (int c = 0; c < ResultsLayout::Columns; ++c)
        MSFlexGrid1.setColWidth(c, ResultsLayout::defaultWidths[c]);
}

void MainWindowState::setProgress(const QString& text)
{
    lblprogress = text;
    m_platform.repaintLabel(QStringLiteral("lblprogress"), text);
}

void MainWindowState::setStatusLine(const QString& text)
{
    statusline = text;
    m_platform.repaintLabel(QStringLiteral("statusline"), text);
}
