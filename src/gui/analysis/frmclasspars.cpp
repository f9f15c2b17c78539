#include "gui/analysis/frmclasspars.h"

#include "core/format.h"

#include <QBoxLayout>
#include <QCategoryAxis>
#include <QChart>
#include <QChartView>
#include <QComboBox>
#include <QLabel>
#include <QLineSeries>
#include <QSplitter>
#include <QTableView>
#include <QValueAxis>

#include <cmath>
#include <map>

using namespace Analysis;

frmclasspars::frmclasspars(MainWindowState& state, Runner run, QWidget* mainWindow)
    : AnalysisPanel(QStringLiteral("frmclasspars"), QStringLiteral("Class Pars"), state, std::move(run),
                    mainWindow)
{
    cbocategory = new QComboBox;
    cbocategory->setObjectName(QStringLiteral("cbocategory"));
    for (int c = 0; c < CategoryCount; ++c)
        cbocategory->addItem(categoryName(Category(c)));
    cbotrip = new QComboBox;
    cbotrip->setObjectName(QStringLiteral("cbotrip"));
    cbotrip->addItems({tripName(Trip::Sprint), tripName(Trip::Route)});
    controls()->addWidget(new QLabel(QStringLiteral("Ladder of:")));
    controls()->addWidget(cbocategory);
    controls()->addWidget(cbotrip);

    MSFpars = addTable(QStringLiteral("MSFpars"), 3);
    MSFpars->setToolTip(QStringLiteral("Double-click a row to list the band's winners."));
    chtladder = new QChartView(new QChart);
    chtladder->setObjectName(QStringLiteral("chtladder"));
    chtladder->setRenderHint(QPainter::Antialiasing);
    chtladder->setMinimumHeight(220);
    content()->addWidget(chtladder, 2);
    connect(MSFpars, &QTableView::doubleClicked, this, &frmclasspars::MSFpars_DblClick);
    connect(cbocategory, &QComboBox::currentIndexChanged, this, &frmclasspars::drawLadder);
    connect(cbotrip, &QComboBox::currentIndexChanged, this, &frmclasspars::drawLadder);
    resize(960, 720);
}

void frmclasspars::cmdrun_Click()
{
    start<Pars>([](Database& db, const Weeks& weeks) { return classPars(db, weeks); },
                [this](Pars&& pars) {
                    m_pars = std::move(pars);
                    showTable(MSFpars, parsTable(m_pars));
                    lblstatus->setText(
                        QStringLiteral("Class pars of %1: %2 with a winner. A par needs %3 winners; \"?\" "
                                       "marks one from fewer than %4.")
                            .arg(m_pars.weeks.text())
                            .arg(Fmt::count(qint64(m_pars.rows.size()), QStringLiteral("band")))
                            .arg(ParWinners)
                            .arg(SureParWinners));
                    drawLadder();
                });
}

void frmclasspars::MSFpars_DblClick(const QModelIndex& index)
{
    const int row = tableRow(MSFpars, index);
    if (row >= 0 && std::size_t(row) < m_pars.rows.size())
        listStarts(parWinners(m_pars, m_pars.rows[std::size_t(row)]));
}

void frmclasspars::drawLadder()
{
    QChart* chart = chtladder->chart();
    chart->removeAllSeries();
    // Taken off the chart, an axis is no longer the chart's to delete.
    for (QAbstractAxis* axis : chart->axes()) {
        chart->removeAxis(axis);
        delete axis;
    }
    const auto category = Category(cbocategory->currentIndex());
    const auto trip = Trip(cbotrip->currentIndex());
    chart->setTitle(
        QStringLiteral("Pars by claiming price, %1 %2").arg(categoryName(category), tripName(trip)));
    // Each class with claiming prices: its pars, cheapest price first.
    std::map<QString, std::map<qint64, double>> ladders;
    for (const ParRow& r : m_pars.rows) {
        if (r.band.category == category && r.band.trip == trip && r.band.raceClass.price > 0 && r.par)
            ladders[r.band.raceClass.restr][r.band.raceClass.price] = *r.par;
    }
    if (ladders.empty())
        return;
    // Prices on a log scale, each price of the ladder labelled as the player knows it.
    auto* x = new QCategoryAxis;
    x->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
    x->setTitleText(QStringLiteral("Claiming price"));
    auto* y = new QValueAxis;
    y->setTitleText(QStringLiteral("Par"));
    chart->addAxis(x, Qt::AlignBottom);
    chart->addAxis(y, Qt::AlignLeft);
    double low = 1e9, high = -1e9;
    std::map<qint64, double> prices;
    for (const auto& [restr, points] : ladders) {
        auto* line = new QLineSeries;
        line->setName(restr);
        line->setPointsVisible(true);
        for (const auto& [price, par] : points) {
            line->append(std::log10(double(price)), par);
            prices[price] = std::log10(double(price));
            low = std::min(low, par);
            high = std::max(high, par);
        }
        chart->addSeries(line);
        line->attachAxis(x);
        line->attachAxis(y);
    }
    for (const auto& [price, at] : prices)
        x->append(Fmt::grouped(double(price)), at);
    x->setRange(prices.begin()->second - 0.1, prices.rbegin()->second + 0.1);
    y->setRange(std::floor(low - 1), std::ceil(high + 1));
}
