#include "output/gridsettings.h"

#include "core/mainwindowstate.h"
#include "core/replacingfile.h"

void msfgridcaption(MainWindowState& f)
{
    for (int c = 0; c < GridSettings::Columns && c < f.MSFlexGrid1.cols(); ++c)
        f.MSFlexGrid1.setText(0, c, QString::fromLatin1(GridSettings::captions[c]));
}

static void apply(MainWindowState& f, const GridSettings::Values& v)
{
    for (int c = 0; c < GridSettings::Columns && c < f.MSFlexGrid1.cols(); ++c)
        f.MSFlexGrid1.setColWidth(c, v.widths[c]);
    f.MSFlexGrid1.setBackColor(v.backColor);
    f.MSFlexGrid1.touch();
}

void msfgridgetsettings(MainWindowState& f)
{
    const GridSettings::Loaded loaded = GridSettings::load(f.settingsPath());
    if (loaded.status == GridSettings::Loaded::Status::Missing)
        return;
    if (loaded.status == GridSettings::Loaded::Status::Values) {
        apply(f, loaded.values);
        return;
    }
    // Empty asks for the defaults; a damaged or huge file is replaced by a sound one. A pipe or anything else
    // that is not a file is left as it is: the defaults then hold for this run.
    msfgridreset_Click(f);
}

void msfgridsavesettings(MainWindowState& f)
{
    if (!f.MSFSGrid.visible() || !f.settingsWritable)
        return;
    GridSettings::Values v;
    for (int c = 0; c < GridSettings::Columns; ++c) {
        const int w = c < f.MSFlexGrid1.cols() ? f.MSFlexGrid1.colWidth(c) : GridSettings::defaultWidths[c];
        // A width the grid never set (-1) or one beyond the file's range is kept at the nearest sound value.
        v.widths[c] = std::int16_t(w < 0 ? GridSettings::defaultWidths[c] : std::min(w, 32767));
    }
    v.backColor = f.MSFlexGrid1.backColor();
    // A file that cannot be written is skipped; the layout on screen is unaffected.
    writeWholeFile(f.settingsPath(), GridSettings::format(v));
}

void msfgridreset_Click(MainWindowState& f)
{
    f.MSFlexGrid1.setCol(0);
    apply(f, GridSettings::defaults());
    msfgridsavesettings(f);
    f.setStatusLine(QStringLiteral("Columns reset to their standard widths."));
}

void msfgridback_Click(MainWindowState& f)
{
    f.MSFlexGrid1.setBackColor(f.MSFlexGrid1.backColor() == BackColor::ThreeDLight ? BackColor::Window
                                                                                   : BackColor::ThreeDLight);
    f.MSFlexGrid1.touch();
    if (!f.MSFmaxgrid.visible())
        msfgridsavesettings(f);
    f.setStatusLine(f.MSFlexGrid1.backColor() == BackColor::Window ? QStringLiteral("Background: plain.")
                                                                   : QStringLiteral("Background: shaded."));
}

void showNormalLayout(MainWindowState& f)
{
    if (!f.MSFSRGrid.visible())
        return;
    f.MSFSRGrid.setVisible(false);
    f.MSFSGrid.setVisible(true);
    f.MSFWGrid.setVisible(true);
    f.MSFlexGrid1.setCols(18);
    msfgridgetsettings(f);
    f.MSFmaxgrid.setVisible(false);
    f.lblfastestVisible = false;
    f.cmdprintEnabled = true;
    f.MSFSGrid.touch();
    f.MSFWGrid.touch();
}

void showSireLayout(MainWindowState& f)
{
    if (!f.MSFSGrid.visible())
        return;
    f.MSFSRGrid.setVisible(true);
    f.MSFSGrid.setVisible(false);
    f.MSFWGrid.setVisible(false);
    msfgridsavesettings(f); // hidden normal layout: writes nothing
    f.MSFmaxgrid.setVisible(true);
    f.lblfastestVisible = true;
    f.MSFlexGrid1.setCols(19);
    f.cmdprintEnabled = false;
    f.MSFmaxgrid.touch();
    f.MSFSRGrid.touch();
}
