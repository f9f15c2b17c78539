#include "output/gridsettings.h"

#include "core/mainwindowstate.h"

#include <QFile>
#include <QSaveFile>

#include <limits>

namespace GridSettings
{

static void appendNumber(QByteArray& out, qint64 value)
{
    out += value < 0 ? '-' : ' ';
    out += QByteArray::number(value < 0 ? -value : value);
    out += ' ';
}

QByteArray format(const Values& values)
{
    QByteArray out;
    for (std::int16_t w : values.widths)
        appendNumber(out, w);
    appendNumber(out, values.backColor);
    out += "\r\n";
    return out;
}

std::optional<Values> parse(const QByteArray& text)
{
    Values v;
    int count = 0;
    qsizetype i = 0;
    const qsizetype n = text.size();
    auto isSeparator = [](char c) { return c == ' ' || c == ',' || c == '\r' || c == '\n' || c == '\t'; };
    while (count < Columns + 1) {
        while (i < n && isSeparator(text[i]))
            ++i;
        if (i >= n)
            return std::nullopt;
        const qsizetype start = i;
        while (i < n && !isSeparator(text[i]))
            ++i;
        bool ok = false;
        const qlonglong number = text.mid(start, i - start).toLongLong(&ok);
        if (!ok)
            return std::nullopt;
        if (count < Columns) {
            if (number < 0 || number > std::numeric_limits<std::int16_t>::max())
                return std::nullopt;
            v.widths[count] = std::int16_t(number);
        } else {
            if (number < std::numeric_limits<std::int32_t>::min() ||
                number > std::numeric_limits<std::int32_t>::max())
                return std::nullopt;
            v.backColor = std::int32_t(number);
        }
        ++count;
    }
    return v;
}

Values defaults()
{
    Values v;
    for (int c = 0; c < Columns; ++c)
        v.widths[c] = std::int16_t(defaultWidths[c]);
    v.backColor = BackColor::ThreeDLight;
    return v;
}

} // namespace GridSettings

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
    QFile file(f.settingsPath());
    if (!file.exists())
        return;
    if (!file.open(QIODevice::ReadOnly))
        return; // unreadable: leave the layout as it is, as for a missing file
    const QByteArray text = file.read(64 * 1024);
    file.close();
    if (text.trimmed().isEmpty()) {
        msfgridreset_Click(f);
        return;
    }
    if (const auto values = GridSettings::parse(text)) {
        apply(f, *values);
        return;
    }
    // A damaged file: start again from the defaults and write a sound one.
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
    QSaveFile file(f.settingsPath());
    if (!file.open(QIODevice::WriteOnly))
        return;
    const QByteArray line = GridSettings::format(v);
    if (file.write(line) != line.size()) {
        file.cancelWriting();
        return;
    }
    file.commit(); // a file that cannot be written is skipped; the layout on screen is unaffected
}

void msfgridreset_Click(MainWindowState& f)
{
    f.MSFlexGrid1.setCol(0);
    apply(f, GridSettings::defaults());
    msfgridsavesettings(f);
}

void msfgridback_Click(MainWindowState& f)
{
    f.MSFlexGrid1.setBackColor(f.MSFlexGrid1.backColor() == BackColor::ThreeDLight ? BackColor::Window
                                                                                   : BackColor::ThreeDLight);
    f.MSFlexGrid1.touch();
    if (!f.MSFmaxgrid.visible())
        msfgridsavesettings(f);
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
