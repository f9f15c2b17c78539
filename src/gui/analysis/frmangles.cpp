#include "gui/analysis/frmangles.h"

#include "core/format.h"
#include "core/mainwindowstate.h"

#include <QBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QTableView>

using namespace Analysis;

frmangles::frmangles(MainWindowState& state, Runner run, QWidget* mainWindow)
    : AnalysisPanel(QStringLiteral("frmangles"), QStringLiteral("Angles"), state, std::move(run), mainWindow)
{
    txtowner = new QLineEdit;
    txtowner->setObjectName(QStringLiteral("txtowner"));
    txtowner->setPlaceholderText(QStringLiteral("every owner"));
    txtsire = new QLineEdit;
    txtsire->setObjectName(QStringLiteral("txtsire"));
    txtsire->setPlaceholderText(QStringLiteral("every sire"));
    txtsire->setMaxLength(25);
    txtlayoff = new QLineEdit(QString::number(DefaultLayoff));
    txtlayoff->setObjectName(QStringLiteral("txtlayoff"));
    txtlayoff->setMaxLength(4);
    txtlayoff->setFixedWidth(txtlayoff->fontMetrics().horizontalAdvance(QStringLiteral("00000")) + 12);
    txtlayoff->setToolTip(QStringLiteral("Weeks without a start after which a horse is back from a layoff."));
    controls()->addWidget(new QLabel(QStringLiteral("Owner:")));
    controls()->addWidget(txtowner);
    controls()->addWidget(new QLabel(QStringLiteral("Sire:")));
    controls()->addWidget(txtsire);
    controls()->addWidget(new QLabel(QStringLiteral("Layoff:")));
    controls()->addWidget(txtlayoff);
    MSFangles = addTable(QStringLiteral("MSFangles"));
    MSFangles->setToolTip(QStringLiteral("Double-click a row to list the angle's starts."));
    connect(MSFangles, &QTableView::doubleClicked, this, &frmangles::MSFangles_DblClick);
    resize(1000, 480);
}

std::optional<AngleFilter> frmangles::filter()
{
    AngleFilter f;
    const QString owner = txtowner->text().trimmed(), sire = txtsire->text(),
                  layoff = txtlayoff->text().trimmed();
    bool ok = Fmt::isWholeNumber(layoff);
    f.layoff = ok ? layoff.toInt(&ok) : 0;
    if (!ok || f.layoff < 1) {
        state().platform().message(
            QStringLiteral("The layoff \"%1\" is not a whole number of weeks from 1.").arg(layoff));
        return std::nullopt;
    }
    if (!owner.isEmpty() && !sire.isEmpty()) {
        state().platform().message(QStringLiteral("Give an owner or a sire, not both."));
        return std::nullopt;
    }
    f.kind = !owner.isEmpty()  ? AngleFilter::Kind::Owner
             : !sire.isEmpty() ? AngleFilter::Kind::Sire
                               : AngleFilter::Kind::All;
    f.name = !owner.isEmpty() ? owner : sire;
    return f;
}

void frmangles::followMainWindow()
{
    // As the progeny searches are, without a breeding file.
    const bool breeding = state().panel.progenyEnabled;
    txtsire->setEnabled(breeding);
    txtsire->setToolTip(breeding ? QString()
                                 : QStringLiteral("There is no breeding file to find a sire's progeny in."));
}

void frmangles::cmdrun_Click()
{
    const auto f = filter();
    if (!f)
        return;
    const QString breeding = state().breedingPath();
    start<Angles>([f = *f, breeding](Database& db,
                                     const Weeks& weeks) { return Analysis::angles(db, weeks, f, breeding); },
                  [this](Angles&& a) {
                      m_angles = std::move(a);
                      showTable(MSFangles, anglesTable(m_angles));
                      lblstatus->setText(
                          QStringLiteral("%1: %2. Grey rows rest on fewer than %3 starts or %4 "
                                         "winners expected by the odds.")
                              .arg(anglesHeading(m_angles).trimmed(),
                                   Fmt::count(m_angles.rows[0].stats.starts, QStringLiteral("start")))
                              .arg(FewStarts)
                              .arg(LowExpected));
                  });
}

void frmangles::MSFangles_DblClick(const QModelIndex& index)
{
    const int row = tableRow(MSFangles, index);
    if (row >= 0 && row < AngleCount && m_angles.rows[std::size_t(row)].stats.starts > 0)
        listStarts(angleStarts(m_angles, m_angles.rows[std::size_t(row)]));
}
