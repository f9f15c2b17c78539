#pragma once

#include "search/watchlist.h"

#include <QWidget>

class MainWindowState;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

/**
 * "Watch List": the horses and owners whose starts the player wants to see after every import. Each change
 * goes to KZTWatchlist.txt at once; the window only shows the file's list.
 */
class frmwatchlist : public QWidget
{
    Q_OBJECT
public:
    frmwatchlist(MainWindowState& f, QWidget* mainWindow);

    void cmdaddhorse_Click();
    void cmdaddowner_Click();
    void cmdremove_Click();

    QLabel* lblname = nullptr;
    QLineEdit* txtname = nullptr;
    QLabel* lblid = nullptr;
    QLineEdit* txtid = nullptr;
    QPushButton* cmdaddhorse = nullptr;
    QPushButton* cmdaddowner = nullptr;
    QListWidget* lstwatch = nullptr;
    QPushButton* cmdremove = nullptr;
    QPushButton* cmdclose = nullptr;

private:
    void add(WatchEntry::Kind kind);
    void showList(const QList<WatchEntry>& entries);

    MainWindowState& m_f;
    QList<WatchEntry> m_entries;
};
