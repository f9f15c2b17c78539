#pragma once

#include "lineage/lineagepage.h"

#include <QWidget>

class GridView;
class QGroupBox;
class QLabel;

/**
 * "Lineage and Statistics": one horse's heading, statistics and pedigree as the lineage request wrote them.
 * It is not modal; closing it deletes it, so that the next request loads it afresh.
 */
class frmlineage : public QWidget
{
    Q_OBJECT
public:
    explicit frmlineage(QWidget* owner = nullptr);
    ~frmlineage() override;

    LineageState& state() { return m_state; }
    /** Shows the state on every control. */
    void refresh();

    QGroupBox* fra1 = nullptr;
    QLabel* lblmisc = nullptr;
    QGroupBox* fra2 = nullptr;
    QLabel* lblwinstats = nullptr;
    QLabel* lbllineage = nullptr;
    GridView* MSFlexGrid1 = nullptr;

private:
    int twips(int t) const { return int(std::lround(t * logicalDpiX() / 1440.0)); }

    LineageState m_state;
};
