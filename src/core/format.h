#pragma once

#include <QByteArrayView>
#include <QString>

#include <cstdint>
#include <optional>

/** Number and text formatting shared by every window and report. */
namespace Fmt
{

/** Nearest whole number, an exact half to the even neighbour (96.5 -> 96, 95.5 -> 96). */
double roundHalfEven(double value);
/** Rounds to a number of decimals as the display patterns do: an exact half, as written in decimal, away from
 * zero. */
double roundTo(double value, int decimals);
/** roundTo() of a value already multiplied by its power of ten: the nearest whole number, a half away from
 * zero even when binary noise puts the value a hair below it. */
double roundScaled(double scaled);

/** Whole-number conversions with range checks; nullopt when out of range or not finite. */
std::optional<std::int16_t> toInt16(double value);
std::optional<std::int32_t> toInt32(double value);

/** "#0.0", "#0.00", "00.0", "#0.0000": at least `intDigits` integer digits and exactly `decimals` decimals.
 */
QString fixed(double value, int decimals, int intDigits = 1);
/** "#.0000": like fixed() but no integer digit when the whole part is zero (.5000). */
QString fixedNoLeadingZero(double value, int decimals);
/** "#,##0": thousands separators, at least one digit, no decimals. */
QString grouped(double value);
/** A count with its noun, grouped: "1 start", "2,548 starts". */
QString count(qint64 n, const QString& noun);
/** A size in megabytes of a million bytes, with one decimal: "730.2 MB", as every size the program shows. */
QString megabytes(qint64 bytes);
/** "$#,##0". */
QString dollars(double value);
/** "$0,000": a dollar sign, thousands separators, at least four digits. */
QString dollarsFourDigits(double value);
/** "#0.0%": the fraction times 100 with one decimal and a percent sign. */
QString percent(double fraction);
/** The shortest decimal text of a number (612.0507, 5.12, 580). */
QString shortest(double value);

/** First letter of every word in upper case, the rest in lower case. */
QString properCase(const QString& text);
/** Text of a file that may be UTF-8 or plain 8-bit: UTF-8 when the bytes are valid UTF-8, else Latin-1. */
QString decodeText(QByteArrayView bytes);
/** A text from data as a window caption must hold it to show it literally: "&" doubled, which the toolkit
 * would otherwise take for a shortcut key. */
QString literalCaption(const QString& text);
/** True when the text reads as a number (optional sign, digits, optional point and decimals). */
bool isNumeric(const QString& text);
/** True when the text is a whole number of decimal digits, optionally signed. */
bool isWholeNumber(const QString& text);

/** The program directory with a separator appended when it does not already end in one ("\" or "/"). */
QString withSeparator(const QString& dir);

/** A multi-line label text: lines joined with a carriage return alone. */
QString lines(std::initializer_list<QString> parts);

} // namespace Fmt
