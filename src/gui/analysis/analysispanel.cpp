#include "gui/analysis/analysispanel.h"

#include "core/format.h"
#include "core/mainwindowstate.h"
#include "core/replacingfile.h"
#include "gui/analysis/analysistablemodel.h"
#include "gui/app/dialogkeys.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSortFilterProxyModel>
#include <QTableView>
#include <QVBoxLayout>

namespace
{

/** Sorts by the raw values; an empty cell (no value) below every number and text. */
class RawSort : public QSortFilterProxyModel
{
public:
    using QSortFilterProxyModel::QSortFilterProxyModel;

protected:
    bool lessThan(const QModelIndex& left, const QModelIndex& right) const override
    {
        const QVariant a = left.data(AnalysisTableModel::SortRole),
                       b = right.data(AnalysisTableModel::SortRole);
        if (!a.isValid() || !b.isValid())
            return !a.isValid() && b.isValid();
        return QVariant::compare(a, b) == QPartialOrdering::Less;
    }
};

QLineEdit* weekBox(const QString& name)
{
    auto* box = new QLineEdit;
    box->setObjectName(name);
    box->setMaxLength(5);
    box->setFixedWidth(box->fontMetrics().horizontalAdvance(QStringLiteral("000000")) + 12);
    return box;
}

} // namespace

AnalysisPanel::AnalysisPanel(const QString& name, const QString& title, MainWindowState& state, Runner run,
                             QWidget* mainWindow)
    : QWidget(mainWindow, Qt::Window), m_state(state), m_run(std::move(run))
{
    setObjectName(name);
    setWindowTitle(title);
    setAttribute(Qt::WA_DeleteOnClose);
    txtfirstweek = weekBox(QStringLiteral("txtfirstweek"));
    txtlastweek = weekBox(QStringLiteral("txtlastweek"));
    txtfirstweek->setToolTip(
        QStringLiteral("The first week of the window; empty: 364 weeks before the last."));
    txtlastweek->setToolTip(QStringLiteral("The last week of the window; empty: the newest stored week."));
    cmdrun = new QPushButton(QStringLiteral("&Run"));
    cmdrun->setObjectName(QStringLiteral("cmdrun"));
    cmdcancel = new QPushButton(QStringLiteral("&Cancel"));
    cmdcancel->setObjectName(QStringLiteral("cmdcancel"));
    cmdcancel->setEnabled(false);
    cmdexport = new QPushButton(QStringLiteral("E&xport..."));
    cmdexport->setObjectName(QStringLiteral("cmdexport"));
    lblstatus = new QLabel;
    lblstatus->setObjectName(QStringLiteral("lblstatus"));
    lblstatus->setWordWrap(true);
    // Moves while an analysis runs; its room is kept when hidden, so that the buttons stay put.
    m_busyBar = new QProgressBar;
    m_busyBar->setObjectName(QStringLiteral("busybar"));
    m_busyBar->setRange(0, 0);
    m_busyBar->setTextVisible(false);
    m_busyBar->setFixedWidth(60);
    QSizePolicy kept = m_busyBar->sizePolicy();
    kept.setRetainSizeWhenHidden(true);
    m_busyBar->setSizePolicy(kept);
    m_busyBar->hide();

    m_weeks = new QWidget;
    auto* weeks = new QHBoxLayout(m_weeks);
    weeks->setContentsMargins(0, 0, 0, 0);
    weeks->addWidget(new QLabel(QStringLiteral("First week:")));
    weeks->addWidget(txtfirstweek);
    weeks->addWidget(new QLabel(QStringLiteral("Last week:")));
    weeks->addWidget(txtlastweek);
    m_controls = new QHBoxLayout;
    m_controls->addWidget(m_weeks);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_busyBar);
    buttons->addWidget(cmdrun);
    buttons->addWidget(cmdcancel);
    buttons->addWidget(cmdexport);
    auto* top = new QHBoxLayout;
    top->addLayout(m_controls);
    top->addLayout(buttons, 1);
    m_content = new QVBoxLayout(this);
    m_content->addLayout(top);
    m_content->addWidget(lblstatus);

    connect(cmdrun, &QPushButton::clicked, this, [this] { cmdrun_Click(); });
    connect(cmdcancel, &QPushButton::clicked, this, &AnalysisPanel::cmdcancel_Click);
    connect(cmdexport, &QPushButton::clicked, this, &AnalysisPanel::cmdexport_Click);
    giveDialogKeys(this, cmdrun);
    resize(900, 560);
}

QTableView* AnalysisPanel::addTable(const QString& name, int stretch)
{
    auto* model = new AnalysisTableModel(this);
    auto* proxy = new RawSort(this);
    proxy->setSourceModel(model);
    auto* view = new QTableView;
    view->setObjectName(name);
    view->setModel(proxy);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->setSelectionMode(QAbstractItemView::SingleSelection);
    view->verticalHeader()->hide();
    view->verticalHeader()->setDefaultSectionSize(view->fontMetrics().height() + 6);
    view->horizontalHeader()->setSortIndicator(-1, Qt::AscendingOrder);
    view->setSortingEnabled(true);
    m_content->addWidget(view, stretch);
    m_tables << view;
    view->installEventFilter(this);
    return view;
}

void AnalysisPanel::showTable(QTableView* view, Analysis::AnalysisTable table)
{
    auto* proxy = static_cast<QSortFilterProxyModel*>(view->model());
    // The analysis's own order first; a heading's click sorts from there.
    view->horizontalHeader()->setSortIndicator(-1, Qt::AscendingOrder);
    proxy->sort(-1);
    static_cast<AnalysisTableModel*>(proxy->sourceModel())->setTable(std::move(table));
    view->resizeColumnsToContents();
}

void AnalysisPanel::hideWeeks()
{
    m_weeks->hide();
}

int AnalysisPanel::tableRow(QTableView* view, const QModelIndex& index) const
{
    const auto* proxy = static_cast<const QSortFilterProxyModel*>(view->model());
    const QModelIndex source = proxy->mapToSource(index.siblingAtColumn(0));
    return source.isValid() ? source.row() : -1;
}

void AnalysisPanel::runOnMain(const std::function<void(MainWindowState&)>& op)
{
    m_run(op);
    if (QWidget* main = parentWidget()) {
        main->raise();
        main->activateWindow();
    }
}

void AnalysisPanel::listStarts(const StartListing& listing)
{
    runOnMain([listing](MainWindowState& f) { ::listStarts(f, listing); });
}

bool AnalysisPanel::event(QEvent* event)
{
    if (event->type() == QEvent::Show || event->type() == QEvent::WindowActivate)
        followMainWindow();
    return QWidget::event(event);
}

bool AnalysisPanel::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::FocusIn)
        if (auto* table = qobject_cast<QTableView*>(watched))
            m_lastTable = table;
    return QWidget::eventFilter(watched, event);
}

void AnalysisPanel::cmdexport_Click()
{
    // The button takes the focus when clicked: the table the player was in is the one last focused.
    QTableView* view = m_lastTable ? m_lastTable.data() : m_tables.value(0);
    if (!view)
        return;
    // The rows in the order the table shows them.
    const auto* proxy = static_cast<const QSortFilterProxyModel*>(view->model());
    const auto* model = static_cast<const AnalysisTableModel*>(proxy->sourceModel());
    Analysis::AnalysisTable shown{model->table().columns, {}};
    for (int r = 0; r < proxy->rowCount(); ++r)
        shown.rows.push_back(model->table().rows[std::size_t(proxy->mapToSource(proxy->index(r, 0)).row())]);
    Platform::FileDialog dialog;
    dialog.title = QStringLiteral("Export");
    dialog.filters = {QStringLiteral("CSV Files (*.csv)|*.csv"), QStringLiteral("All Files (*.*)|*.*")};
    dialog.defaultName = objectName().mid(3) + QStringLiteral(".csv");
    const QString path = m_state.platform().saveFile(dialog);
    if (path.isEmpty())
        return;
    if (const QString failure = writeWholeFile(path, shown.toCsv()); !failure.isEmpty()) {
        m_state.platform().message(failure);
        return;
    }
    lblstatus->setText(QStringLiteral("%1 written to %2.")
                           .arg(Fmt::count(qint64(shown.rows.size()), QStringLiteral("row")), path));
}

void AnalysisPanel::cmdcancel_Click()
{
    ++m_runs; // the outcome of the run under way is not the one awaited any more
    m_busy = false;
    m_busyBar->hide();
    cmdrun->setEnabled(true);
    cmdcancel->setEnabled(false);
    lblstatus->setText(QStringLiteral("Cancelled."));
}

quint64 AnalysisPanel::begin()
{
    m_first = txtfirstweek->text();
    m_last = txtlastweek->text();
    m_busy = true;
    m_busyBar->show();
    cmdrun->setEnabled(false);
    cmdcancel->setEnabled(true);
    lblstatus->setText(QStringLiteral("Working..."));
    return ++m_runs;
}

bool AnalysisPanel::end(quint64 run, const QString& error)
{
    if (run != m_runs)
        return false;
    m_busy = false;
    m_busyBar->hide();
    cmdrun->setEnabled(true);
    cmdcancel->setEnabled(false);
    lblstatus->clear();
    if (!error.isEmpty()) {
        lblstatus->setText(error);
        m_state.platform().message(error);
        return false;
    }
    return true;
}

QString AnalysisPanel::databasePath() const
{
    return m_state.databasePath();
}

Analysis::Result<Analysis::Weeks> AnalysisPanel::openWeeks(Database& db, const QString& path,
                                                           const QString& first, const QString& last)
{
    if (!db.open(path))
        return Analysis::Result<Analysis::Weeks>::failure(db.error());
    return Analysis::resolveWeeks(db, first, last);
}
