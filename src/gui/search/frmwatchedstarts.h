#pragma once

#include "search/watchlist.h"

#include <QWidget>

#include <functional>

class MainWindowState;
class QLabel;
class QStandardItemModel;
class QTableView;

/** "Watched Starts": after an import, the starts of the watched horses and owners in the weeks imported. A
    double click on a row lists that horse in the main window. */
class frmwatchedstarts : public QWidget
{
    Q_OBJECT
public:
    /** Runs an operation on the main window's state, reading its panel before and showing the result after.
     */
    using MainWindowRunner = std::function<void(const std::function<void(MainWindowState&)>&)>;

    frmwatchedstarts(MainWindowRunner run, QWidget* mainWindow);

    /** Shows the starts of an import of the weeks, in place of any shown before. */
    void setStarts(const QList<WatchedStart>& starts, const QList<int>& weeks);
    /** The horse search (name and id) for the horse of a row, as "List Horse" does from the results grid. */
    void MSFwatched_DblClick(int row);

    QLabel* lblweeks = nullptr;
    QTableView* MSFwatched = nullptr;

private:
    MainWindowRunner m_run;
    QStandardItemModel* m_model;
    QList<WatchedStart> m_starts;
};
