#pragma once

#include <QString>

#include <array>
#include <cstdint>
#include <optional>

class Finder;

/** The results grid's normal layout: captions, default widths and the settings file KZTSettings.ini. */
namespace GridSettings
{

constexpr int Columns = 18;
extern const std::array<const char*, Columns> captions;
extern const std::array<int, Columns> defaultWidths;

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
void msfgridcaption(Finder& f);
/** Applies the settings file to the results grid (nothing when there is none). */
void msfgridgetsettings(Finder& f);
/** Writes the settings file, in the normal layout only. */
void msfgridsavesettings(Finder& f);
/** "Reset Columns": default widths and background, then save. */
void msfgridreset_Click(Finder& f);
/** "Toggle Background": switches between the two background colours, saving in the normal layout. */
void msfgridback_Click(Finder& f);
