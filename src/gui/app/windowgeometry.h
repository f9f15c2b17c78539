#pragma once

#include <QString>

class QWidget;

/**
 * The main window's size, position and maximised state, and the folder the import dialog opens in, kept
 * between runs in a file of their own beside the program (the settings file keeps its one line of column
 * widths).
 */
namespace WindowGeometry
{
/** The file's name in the program directory. */
QString fileName();
/** Puts the window where the file says; false (and the window untouched) when there is no usable file. */
bool restore(QWidget* window, const QString& programPath);
/** The folder the last import chose its files in; empty when none is known. */
QString importFolder(const QString& programPath);
/** Writes the window's geometry and the import's folder; a read-only program directory only means they are
    not remembered. */
void save(const QWidget* window, const QString& programPath, const QString& importFolder = {});
} // namespace WindowGeometry
