#pragma once

class GridView;
class MainWindowState;
class QWidget;

/** The results grid as the main window shows it: a narrow face, texts cut rather than ended with dots, the
    columns filling the width, a tip on each heading that needs one, and Tab moving on to the next control. */
GridView* makeResultsGrid(MainWindowState& state, QWidget* parent);
