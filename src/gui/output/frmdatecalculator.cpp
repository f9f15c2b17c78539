#include "gui/output/frmdatecalculator.h"

#include "core/platform.h"
#include "output/weekdate.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

frmdatecalculator::frmdatecalculator(Platform& platform, QWidget* parent)
    : QWidget(parent, Qt::Window), m_platform(platform)
{
    setObjectName(QStringLiteral("frmdatecalculator"));
    setWindowTitle(QStringLiteral("Date Calculator"));
    lblenterdate = new QLabel(QStringLiteral("Enter Date:"), this);
    txtdate = new QLineEdit(this);
    cmdgetdate = new QPushButton(QStringLiteral("Get Date"), this);
    lbldateinfo = new QLabel(this);
    lblenterdate->setObjectName(QStringLiteral("lblenterdate"));
    txtdate->setObjectName(QStringLiteral("txtdate"));
    cmdgetdate->setObjectName(QStringLiteral("cmdgetdate"));
    lbldateinfo->setObjectName(QStringLiteral("lbldateinfo"));
    lbldateinfo->setAlignment(Qt::AlignCenter);
    lbldateinfo->setMinimumHeight(3 * fontMetrics().height() + 8);

    auto* layout = new QGridLayout(this);
    layout->addWidget(lblenterdate, 0, 0);
    layout->addWidget(txtdate, 0, 1);
    layout->addWidget(cmdgetdate, 1, 0, 1, 2);
    layout->addWidget(lbldateinfo, 2, 0, 1, 2);
    connect(cmdgetdate, &QPushButton::clicked, this, &frmdatecalculator::cmdgetdate_Click);
}

void frmdatecalculator::cmdgetdate_Click()
{
    if (const auto label = WeekDate::label(txtdate->text(), m_platform.shortDateFormat()))
        lbldateinfo->setText(QString(*label).replace(QLatin1Char('\r'), QLatin1Char('\n')));
    else
        m_platform.message(WeekDate::refusal(txtdate->text()).value_or(QString()));
}
