#pragma once

#include "output/formchart.h"

#include <QWidget>

class Platform;
class QChartView;
class QPushButton;

/** A horse's form chart: its speed figures over time, saved as a PNG on request. */
class frmformchart : public QWidget
{
    Q_OBJECT
public:
    frmformchart(const FormChart& chart, Platform& platform, QWidget* parent = nullptr);

    /** "Save as PNG...": asks for a file name and writes the chart there. */
    void cmdsavepng_Click();

    QChartView* chartview = nullptr;
    QPushButton* cmdsavepng = nullptr;

private:
    Platform& m_platform;
    FormChart m_chart;
};
