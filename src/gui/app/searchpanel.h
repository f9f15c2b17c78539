#pragma once

#include "core/mainwindowstate.h"

#include <QWidget>

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

/**
 * The upper part of the main window: the six search modes, the name and ID boxes with their ticks, the
 * week range, "Current Owner Only", "GO!", "Multi." and the injury exclusion. It keeps its own input rules
 * (what each box takes, what Enter does, the presets of each mode) and says when a search is asked for; the
 * window runs it. Its controls carry the names the program's handlers use.
 */
class SearchPanel : public QWidget
{
    Q_OBJECT
public:
    SearchPanel(Platform& platform, QWidget* parent = nullptr);

    /** The search mode that "GO!" passes to gethorse (1 to 5, 0 when no option applies). */
    qint16 searchMode() const;
    /** True when one of the three progeny searches (S, DS, DDS) is chosen. */
    bool progenyChosen() const;
    /** The name box's and the ID box's texts as typed. */
    QString nameText() const;
    QString idText() const;
    /** Copies what the searches read (week range, ticks, thresholds, progeny mode) into the state. */
    void read(PanelState& panel) const;
    /** Enables the three progeny options, or greys them out for a run without a breeding file; their
        tooltip then says why. */
    void setProgenyEnabled(bool enabled, const QString& whyNot = {});
    /** Shows the search that filled the results grid: its mode, name and ID. A list that no search of the
        panel can make (several stables at once, none) empties the name and ID boxes;
        an analysis's list empties the week boxes and unticks "Current Owner Only" too. */
    void showSearch(const ListingSearch& search);

    /** The presets of the modes, as the option buttons' clicks apply them. */
    void setupnormalsearch();
    void setupsiresearch();
    /** The race mode's presets: the ID box is the one used, the name box is greyed out. */
    void setuprace();
    /** Shows the injury exclusion for the searches that use it: horse, owner and race. */
    void showInjuryExclusion();
    /** Sets the text of the injury exclusion's label (lines joined with carriage returns). */
    void setInjuryCaption(const QString& text);

signals:
    /** "GO!", or Enter in the name or ID box. */
    void searchRequested();
    /** "Multi.": the stable search window. */
    void stableSearchRequested();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    /** The frame of the search modes: Horse, Owner, Race and the three progeny searches with "#". */
    QWidget* buildModes();
    QWidget* buildInputs();
    QWidget* buildCriteria();
    /** What the boxes take (lengths, digits), the handlers of the options and buttons, and the tooltips. */
    void applyInputRules();
    void opthorse_Click();
    void optowner_Click();
    void optrace_Click();
    void optsire_Click();
    /** The key filters of the boxes: true when the key is taken (rejected with a beep, or Enter). */
    bool filterKey(QObject* watched, int key, const QString& text);

    Platform& m_platform;
    QGroupBox* frahorsesorowners = nullptr;
    QRadioButton* opthorse = nullptr;
    QRadioButton* optowner = nullptr;
    QRadioButton* optrace = nullptr;
    QRadioButton* optsire = nullptr;
    QRadioButton* optdamsire = nullptr;
    QRadioButton* optdamdamsire = nullptr;
    QGroupBox* Frame2 = nullptr;
    QLabel* lblname = nullptr;
    QLineEdit* txthorse = nullptr;
    QLabel* lblid = nullptr;
    QLineEdit* txtid = nullptr;
    QCheckBox* chkname = nullptr;
    QCheckBox* chkid = nullptr;
    QCheckBox* chk2yo = nullptr;
    QLabel* lblnum = nullptr;
    QLineEdit* txtnum = nullptr;
    QGroupBox* frasearchcriteria = nullptr;
    QLabel* lblfirstweek = nullptr;
    QLineEdit* txtfirstweek = nullptr;
    QLabel* lbllastweek = nullptr;
    QLineEdit* txtlastweek = nullptr;
    QCheckBox* chkowner = nullptr;
    QPushButton* cmdspecial = nullptr;
    QPushButton* cmdgethorse = nullptr;
    QLabel* lblinjurytest = nullptr;
    QLineEdit* txtinjury = nullptr;
};
