#pragma once

#include "search/stablesearch.h"

#include <QWidget>

#include <array>
#include <functional>

class MainWindowState;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

/**
 * "Special Stable Search": up to four stables searched as one owner search in the main window, and the
 * saved sets of stables. An ordinary window that goes away after its search, on "Cancel" or when closed.
 */
class frmstable : public QWidget
{
    Q_OBJECT
public:
    /** Runs an operation on the main window's state, reading its panel before and showing the result after.
     */
    using MainWindowRunner = std::function<void(const std::function<void(MainWindowState&)>&)>;

    frmstable(MainWindowState& f, MainWindowRunner run, QWidget* mainWindow);

    void cmdgo_Click();
    void cmdcancel_Click();
    void cmdadd_Click();
    void cmddelete_Click();
    void cmdload_Click();
    void cmduse_Click();

    QGroupBox* fraowners = nullptr;
    std::array<QLabel*, 4> Label{};
    std::array<QLineEdit*, 4> txto1{};
    QPushButton* cmdgo = nullptr;
    QPushButton* cmdcancel = nullptr;
    QLabel* lbl = nullptr;
    QLabel* lblquerystring = nullptr;
    QGroupBox* frasaveload = nullptr;
    QListWidget* lstnames = nullptr;
    QPushButton* cmdadd = nullptr;
    QPushButton* cmddelete = nullptr;
    QPushButton* cmdload = nullptr;
    QPushButton* cmduse = nullptr;

private:
    /** Runs a core handler with the controls read before and shown again after. */
    template <typename Op> void run(Op op);

    MainWindowState& m_f;
    MainWindowRunner m_run;
    StableState m_state;
};
