#pragma once

#include <array>

/** The results grid's normal layout: its 18 columns, their captions and their initial widths in twips. */
namespace ResultsLayout
{

constexpr int Columns = 18;
inline constexpr std::array<const char*, Columns> captions = {
    "Name", "H.ID.", "Race #", "Age",   "Tr",   "Typ",   "Dis",   "S",   "Sp",
    "PL",   "FD",    "PP",     "Purse", "Odds", "Earn.", "Owner", "Clm", "St"};
inline constexpr std::array<int, Columns> defaultWidths = {1450, 500, 760, 410, 350, 350, 320, 200, 450,
                                                           280,  280, 280, 655, 500, 650, 750, 500, 300};

} // namespace ResultsLayout
