#include "app/finder.h"

#include "app/format.h"
#include "output/gridsettings.h"

Finder::Finder(Platform& platform, const QString& programDir, const QString& breedingPath)
    : m_platform(platform), m_programPath(Fmt::withSeparator(programDir)), m_breedingPath(breedingPath)
{
    MSFSRGrid.setVisible(false);
    MSFmaxgrid.setVisible(false);
    // The statistics grids are white, so that their shaded cells stand out.
    for (GridState* g : {&MSFSGrid, &MSFWGrid, &MSFSRGrid, &MSFmaxgrid, &MSFColorGridKey})
        g->setBackColor(BackColor::Window);
    // The results grid's initial widths, in force until a settings file says otherwise.
    for (int c = 0; c < GridSettings::Columns; ++c)
        MSFlexGrid1.setColWidth(c, GridSettings::defaultWidths[c]);
}

void Finder::setProgress(const QString& text)
{
    lblprogress = text;
    m_platform.repaintLabel(QStringLiteral("lblprogress"), text);
}

void Finder::showNormalLayout()
{
    if (!MSFSRGrid.visible())
        return;
    MSFSRGrid.setVisible(false);
    MSFSGrid.setVisible(true);
    MSFWGrid.setVisible(true);
    MSFlexGrid1.setCols(18);
    msfgridgetsettings(*this);
    MSFmaxgrid.setVisible(false);
    lblfastestVisible = false;
    cmdprintEnabled = true;
    MSFSGrid.touch();
    MSFWGrid.touch();
}

void Finder::showSireLayout()
{
    if (!MSFSGrid.visible())
        return;
    MSFSRGrid.setVisible(true);
    MSFSGrid.setVisible(false);
    MSFWGrid.setVisible(false);
    msfgridsavesettings(*this); // hidden normal layout: writes nothing
    MSFmaxgrid.setVisible(true);
    lblfastestVisible = true;
    MSFlexGrid1.setCols(19);
    cmdprintEnabled = false;
    MSFmaxgrid.touch();
    MSFSRGrid.touch();
}
