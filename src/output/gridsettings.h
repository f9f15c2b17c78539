#pragma once

#include "core/resultslayout.h"

#include <QString>

#include <array>
#include <cstdint>
#include <optional>

class MainWindowState;

/** The results grid's normal layout: captions, default widths and the settings file KZTSettings.ini. */
namespace GridSettings
{

using ResultsLayout::captions;
using ResultsLayout::Columns;
using ResultsLayout::defaultWidths;

/** The 18 widths and the background colour that the file keeps. */
struct Values {
    std::array<std::int16_t, Columns> widths{};
    std::int32_t backColor = 0;
};

/** The file's one line: each number as sign position, digits and a blank, then CR LF. */
QByteArray format(const Values& values);
/** Reads the first 19 numbers (blanks, commas and line ends separate them; the rest is ignored).
    nullopt when there are fewer than 19, one is not a number, or one is out of range. */
std::optional<Values> parse(const QByteArray& text);
/** The defaults of "Reset Columns". */
Values defaults();

} // namespace GridSettings

/** Writes the 18 captions of the normal layout into row 0. */
void msfgridcaption(MainWindowState& f);
/** Applies the settings file to the results grid (nothing when there is none). */
void msfgridgetsettings(MainWindowState& f);
/** Writes the settings file, in the normal layout only. */
void msfgridsavesettings(MainWindowState& f);
/** "Reset Columns": default widths and background, then save. */
void msfgridreset_Click(MainWindowState& f);
/** "Toggle Background": switches between the two background colours, saving in the normal layout. */
void msfgridback_Click(MainWindowState& f);
/** Switches to the normal layout when the sire layout is shown (before a horse, owner or race search). */
void showNormalLayout(MainWindowState& f);
/** Switches to the sire layout when the normal layout is shown (before a progeny search). */
void showSireLayout(MainWindowState& f);
