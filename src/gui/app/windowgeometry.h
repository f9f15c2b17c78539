#pragma once

#include <QPoint>
#include <QString>

class QWidget;

/**
 * The main window's size, position and maximised state, the zoom of its results grid, and the folder the
 * import dialog opens in, kept between runs in a file of their own beside the program (the settings file
 * keeps its one line of column widths).
 */
namespace WindowGeometry
{
/** The file's name in the program directory. */
QString fileName();
/** Puts the window where the file says; false (and the window untouched) when there is no usable file. */
bool restore(QWidget* window, const QString& programPath);
/** The folder the last import chose its files in; empty when none is known. */
QString importFolder(const QString& programPath);
/** The results grid's zoom the player left (1 when none is known). */
double gridZoom(const QString& programPath);
/** Writes the window's geometry, the grid's zoom and the import's folder; a read-only program directory only
    means they are not remembered. */
void save(const QWidget* window, const QString& programPath, const QString& importFolder = {},
          double gridZoom = 1);

/** Places a small window, before it is shown, centred on the main window and wholly on that window's screen
    (made smaller when the screen is). */
void centreOn(QWidget* window, const QWidget* mainWindow);
/** Places a second main window a step below and to the right of the first one's top-left corner `first`,
    wholly on the screen. */
void placeAfter(QWidget* window, QPoint first);
} // namespace WindowGeometry
