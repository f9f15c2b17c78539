#pragma once

#include <QWidget>

class MainWindowState;
class QLabel;
class QListWidget;
class QPushButton;

/**
 * "Remove Which Week of Data?": the stored weeks, several selectable, removed on "Remove Data".
 * It does not block the main window; it closes itself after a removal or Cancel.
 */
class frmremovedata : public QWidget
{
    Q_OBJECT
public:
    /** weeks: the list entries ("Week 612"), newest first, as weeklist() gives them. */
    frmremovedata(MainWindowState& f, const QStringList& weeks, QWidget* parent = nullptr);

    void cmdremove_Click();
    void cmdcancel_Click();

    QListWidget* lstweeks = nullptr;
    /** Names the selected weeks. */
    QLabel* lblselected = nullptr;
    QPushButton* cmdremove = nullptr;
    QPushButton* cmdcancel = nullptr;

signals:
    /** The main window's state changed (progress label, stored weeks): it should show it again. */
    void stateChanged();

private:
    QStringList selectedWeeks() const;
    /** Ticks the selected entries, names them below the list, and enables Remove when there are any. */
    void showSelection();

    MainWindowState& m_f;
};
