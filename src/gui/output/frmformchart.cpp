#include "gui/output/frmformchart.h"

#include "core/platform.h"
#include "gui/widgets/formchartplot.h"

#include <QChartView>
#include <QDir>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

frmformchart::frmformchart(const FormChart& chart, Platform& platform, QWidget* parent)
    : QWidget(parent, Qt::Window), m_platform(platform), m_chart(chart)
{
    setObjectName(QStringLiteral("frmformchart"));
    setWindowTitle(m_chart.title());
    chartview = FormChartPlot::makeView(m_chart, platform.shortDateFormat(), this);
    chartview->setObjectName(QStringLiteral("chartview"));
    cmdsavepng = new QPushButton(QStringLiteral("&Save as PNG..."), this);
    cmdsavepng->setObjectName(QStringLiteral("cmdsavepng"));

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdsavepng);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(chartview, 1);
    layout->addLayout(buttons);
    connect(cmdsavepng, &QPushButton::clicked, this, &frmformchart::cmdsavepng_Click);
    resize(960, 600);
}

void frmformchart::cmdsavepng_Click()
{
    Platform::FileDialog dialog;
    dialog.title = QStringLiteral("Save Chart as");
    dialog.filters = {QStringLiteral("All Files (*.*)|*.*"), QStringLiteral("PNG Images (*.png)|*.png")};
    dialog.selectedFilter = 1;
    dialog.defaultName = m_chart.horse + QStringLiteral(".png");
    const QString path = m_platform.saveFile(dialog);
    if (path.isEmpty())
        return;
    const QString why = FormChartPlot::savePng(*chartview, path);
    if (!why.isEmpty())
        m_platform.message(QStringLiteral("The chart could not be saved to %1: %2")
                               .arg(QDir::toNativeSeparators(path), why));
}
