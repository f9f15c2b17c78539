#pragma once

#include <QWidget>

class Platform;
class QLabel;
class QLineEdit;
class QPushButton;

/** The week date calculator: a week number typed in, its calendar date shown. */
class frmdatecalculator : public QWidget
{
    Q_OBJECT
public:
    explicit frmdatecalculator(Platform& platform, QWidget* parent = nullptr);

    void cmdgetdate_Click();

    QLabel* lblenterdate = nullptr;
    QLineEdit* txtdate = nullptr;
    QPushButton* cmdgetdate = nullptr;
    QLabel* lbldateinfo = nullptr;

private:
    Platform& m_platform;
};
