#pragma once

#include <QPointer>
#include <QStringList>

#include <functional>

class FormChart;
class LineageState;
class MainWindowState;
class QWidget;
class frmdatecalculator;
class frmlineage;
class frmwatchedstarts;
class frmwatchlist;

/**
 * The small windows that the main window opens, each with the keys of a dialog: those kept one at a time
 * (date calculator, watch list, watched starts, lineage) are made when first asked for, the others anew for
 * each request. Those that search or write to the database can be disabled while an import writes.
 */
class SmallWindows
{
public:
    /** Runs an operation on the main window's state, reading its panel before and showing the result after.
     */
    using Runner = std::function<void(const std::function<void(MainWindowState&)>&)>;

    SmallWindows(QWidget* mainWindow, MainWindowState& state, Runner run);

    void dateCalculator();
    void watchList();
    /** "Watched starts" of the weeks an import stored, when any of their starts is watched. */
    void watchedStarts(const QList<int>& weeks);
    /** "Remove Data" over the stored weeks; `changed` after each removal. */
    void removeData(const QStringList& weeks, const std::function<void()>& changed);
    /** "Edit Tracks"; `changed` with what the change did. */
    void editTracks(const std::function<void(const QString&)>& changed);
    /** The stable search of "Multi.". */
    void stableSearch();
    /** A chart window per horse, so that two horses' form can be set side by side. */
    void formChart(const FormChart& chart);
    /** The lineage window's state, the window made when first needed; showLineage() shows it. */
    LineageState& lineageState();
    void showLineage();
    /** Disables (or enables again) the open windows that search or write. */
    void setDatabaseWindowsEnabled(bool enabled);

private:
    QWidget* m_main;
    MainWindowState& m_state;
    Runner m_run;
    QPointer<frmdatecalculator> m_dateCalculator;
    QPointer<frmwatchlist> m_watchlist;
    QPointer<frmwatchedstarts> m_watched;
    QPointer<frmlineage> m_lineage;
};
