#include "app/frmmainfinder.h"

#include "app/gridview.h"
#include "app/lineagefetch.h"
#include "app/statusprogress.h"
#include "app/steadywidgets.h"
#include "app/windowgeometry.h"
#include "core/format.h"
#include "core/startup.h"
#include "db/frmedittracks.h"
#include "db/frmremovedata.h"
#include "db/maintenance.h"
#include "import/importdriver.h"
#include "lineage/frmlineage.h"
#include "lineage/getlineage.h"
#include "output/formchart.h"
#include "output/frmdatecalculator.h"
#include "output/frmformchart.h"
#include "output/gridsettings.h"
#include "output/printing.h"
#include "output/textexport.h"
#include "progeny/getsires.h"
#include "search/frmstable.h"
#include "search/gethorse.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QScreen>
#include <QScrollBar>
#include <QVBoxLayout>

template <typename W, typename... Args> static W* named(const char* name, Args&&... args)
{
    W* w = new W(std::forward<Args>(args)...);
    w->setObjectName(QString::fromLatin1(name));
    return w;
}

frmmainfinder::frmmainfinder(Platform& platform, const QString& programDir, const QString& breedingPath,
                             QWidget* parent)
    : QMainWindow(parent), m_state(platform, programDir, breedingPath)
{
    setObjectName(QStringLiteral("frmmainfinder"));
    setWindowTitle(QStringLiteral("Turf Trawler v4.33"));

    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(6, 6, 6, 6);
    auto* panel = new QWidget(central);
    buildPanel(panel);
    layout->addWidget(panel);

    MSFlexGrid1 = named<GridView>("MSFlexGrid1", m_state.MSFlexGrid1, true, central);
    // The results grid's widths are tight; a condensed face (where the font has one) and clipping instead
    // of ellipses show as much of each text as fits, as the user expects from a spreadsheet-like grid.
    QFont condensed = MSFlexGrid1->font();
    condensed.setStretch(QFont::SemiCondensed);
    MSFlexGrid1->setFont(condensed);
    MSFlexGrid1->setTextElideMode(Qt::ElideNone);
    layout->addWidget(MSFlexGrid1, 1);

    auto* stats = new QWidget(central);
    buildStats(stats);
    layout->addWidget(stats);
    setCentralWidget(central);
    buildMenus();

    m_grids = {MSFlexGrid1, MSFSGrid, MSFWGrid, MSFSRGrid, MSFmaxgrid, MSFColorGridKey};
    connect(MSFlexGrid1, &GridView::popupRequested, this, &frmmainfinder::showPopup);
    connect(MSFlexGrid1, &QAbstractItemView::doubleClicked, this, &frmmainfinder::MSFlexGrid1_DblClick);
    buildConveniences();
    resize(1240, 800);
}

frmmainfinder::~frmmainfinder()
{
    // The grid views read the MainWindowState's grids, which go with this object: the views must go first,
    // before a shown window hides its children on the way out and they ask their models for sizes.
    delete centralWidget();
}

void frmmainfinder::buildPanel(QWidget* panel)
{
    auto* row = new QHBoxLayout(panel);
    row->setContentsMargins(0, 0, 0, 0);

    frahorsesorowners = named<QGroupBox>(
        "frahorsesorowners", QStringLiteral("Type of Search -- Horse Information or Sire Searches"));
    auto* modes = new QGridLayout(frahorsesorowners);
    opthorse = named<QRadioButton>("opthorse", QStringLiteral("Horse"));
    optowner = named<QRadioButton>("optowner", QStringLiteral("Owner"));
    optrace = named<QRadioButton>("optrace", QStringLiteral("Race"));
    optsire = named<QRadioButton>("optsire", QStringLiteral("S"));
    optdamsire = named<QRadioButton>("optdamsire", QStringLiteral("DS"));
    optdamdamsire = named<QRadioButton>("optdamdamsire", QStringLiteral("DDS"));
    lblnum = named<QLabel>("lblnum", QStringLiteral("#"));
    txtnum = named<QLineEdit>("txtnum", QStringLiteral("5"));
    modes->addWidget(opthorse, 0, 0);
    modes->addWidget(optowner, 0, 1);
    modes->addWidget(optrace, 0, 2);
    modes->addWidget(optsire, 1, 0);
    modes->addWidget(optdamsire, 1, 1);
    modes->addWidget(optdamdamsire, 1, 2);
    auto* numRow = new QHBoxLayout;
    numRow->addWidget(lblnum);
    numRow->addWidget(txtnum);
    modes->addLayout(numRow, 1, 3);
    opthorse->setChecked(true);
    row->addWidget(frahorsesorowners);

    Frame2 = named<QGroupBox>("Frame2");
    auto* inputs = new QGridLayout(Frame2);
    lblname = named<QLabel>("lblname", QStringLiteral("Name:"));
    txthorse = named<QLineEdit>("txthorse");
    chkname = named<QCheckBox>("chkname");
    lblid = named<QLabel>("lblid", QStringLiteral("ID:"));
    txtid = named<QLineEdit>("txtid");
    chkid = named<QCheckBox>("chkid");
    chk2yo = named<QCheckBox>("chk2yo", QStringLiteral("2yo"));
    chkname->setChecked(true);
    inputs->addWidget(lblname, 0, 0);
    inputs->addWidget(txthorse, 0, 1);
    inputs->addWidget(chkname, 0, 2);
    inputs->addWidget(lblid, 1, 0);
    inputs->addWidget(txtid, 1, 1);
    inputs->addWidget(chkid, 1, 2);
    inputs->addWidget(chk2yo, 1, 3);
    row->addWidget(Frame2, 1);

    frasearchcriteria = named<QGroupBox>("frasearchcriteria", QStringLiteral("Search Criteria"));
    auto* criteria = new QGridLayout(frasearchcriteria);
    lblfirstweek = named<QLabel>("lblfirstweek", QStringLiteral("First Week #:"));
    txtfirstweek = named<QLineEdit>("txtfirstweek");
    lbllastweek = named<QLabel>("lbllastweek", QStringLiteral("Last Week #:"));
    txtlastweek = named<QLineEdit>("txtlastweek");
    chkowner = named<QCheckBox>("chkowner", QStringLiteral("Current Owner Only"));
    criteria->addWidget(lblfirstweek, 0, 0);
    criteria->addWidget(txtfirstweek, 0, 1);
    criteria->addWidget(lbllastweek, 1, 0);
    criteria->addWidget(txtlastweek, 1, 1);
    criteria->addWidget(chkowner, 2, 0, 1, 2);
    row->addWidget(frasearchcriteria);

    auto* buttons = new QVBoxLayout;
    cmdgethorse = named<QPushButton>("cmdgethorse", QStringLiteral("GO!"));
    cmdspecial = named<QPushButton>("cmdspecial", QStringLiteral("Multi."));
    buttons->addWidget(cmdgethorse);
    buttons->addWidget(cmdspecial);
    row->addLayout(buttons);

    auto* injury = new QVBoxLayout;
    lblinjurytest = named<QLabel>("lblinjurytest");
    txtinjury = named<QLineEdit>("txtinjury", QStringLiteral("30"));
    injury->addWidget(lblinjurytest);
    injury->addWidget(txtinjury);
    row->addLayout(injury);

    // No limit on the name box: an owner's name is searched whole; horse and stallion names are cut to their
    // first 25 characters by "GO!".
    txtid->setMaxLength(9);
    txtfirstweek->setMaxLength(4);
    txtlastweek->setMaxLength(4);
    txtinjury->setMaxLength(3);
    // The key filters below decide what typing may add; the validators keep pasted text to the same rules.
    auto* digits = new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), this);
    for (QLineEdit* box : {txtfirstweek, txtlastweek, txtinjury, txtnum}) {
        box->setValidator(digits);
        box->setMaximumWidth(60);
        box->installEventFilter(this);
    }
    txtid->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9.*?]*")), this));
    txtid->installEventFilter(this);
    txthorse->installEventFilter(this);
    txthorse->setMinimumWidth(180);

    connect(opthorse, &QRadioButton::clicked, this, &frmmainfinder::opthorse_Click);
    connect(optowner, &QRadioButton::clicked, this, &frmmainfinder::optowner_Click);
    connect(optrace, &QRadioButton::clicked, this, &frmmainfinder::optrace_Click);
    for (QRadioButton* b : {optsire, optdamsire, optdamdamsire})
        connect(b, &QRadioButton::clicked, this, &frmmainfinder::optsire_Click);
    connect(cmdgethorse, &QPushButton::clicked, this, &frmmainfinder::cmdgethorse_Click);
    connect(cmdspecial, &QPushButton::clicked, this, &frmmainfinder::cmdspecial_Click);
}

void frmmainfinder::buildStats(QWidget* stats)
{
    auto* outer = new QVBoxLayout(stats);
    outer->setContentsMargins(0, 0, 0, 0);
    frainfo = named<ClippedGroupBox>("frainfo", QString());
    outer->addWidget(frainfo);
    auto* row = new QHBoxLayout(frainfo);

    MSFSGrid = named<GridView>("MSFSGrid", m_state.MSFSGrid, false);
    MSFWGrid = named<GridView>("MSFWGrid", m_state.MSFWGrid, false);
    MSFSRGrid = named<GridView>("MSFSRGrid", m_state.MSFSRGrid, false);
    MSFmaxgrid = named<GridView>("MSFmaxgrid", m_state.MSFmaxgrid, false);
    MSFColorGridKey = named<GridView>("MSFColorGridKey", m_state.MSFColorGridKey, false);

    fraspeedstats = named<QGroupBox>("fraspeedstats", QStringLiteral("Average Speed Stats"));
    (new QVBoxLayout(fraspeedstats))->addWidget(MSFSGrid);
    framaxspeedstats = named<QGroupBox>("framaxspeedstats", QStringLiteral("Max Speed And W-P-S"));
    (new QVBoxLayout(framaxspeedstats))->addWidget(MSFWGrid);
    row->addWidget(fraspeedstats, 0, Qt::AlignTop);
    row->addWidget(framaxspeedstats, 0, Qt::AlignTop);
    row->addWidget(MSFSRGrid, 0, Qt::AlignTop);
    row->addWidget(MSFmaxgrid, 0, Qt::AlignTop);

    auto* labels = new QVBoxLayout;
    lblprogress = named<QLabel>("lblprogress");
    lblprogress->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    lblprogress->setMinimumWidth(200);
    lblfastest = named<QLabel>("lblfastest");
    for (QLabel* label : {lblprogress, lblfastest})
        label->setTextFormat(Qt::PlainText);
    labels->addWidget(lblfastest);
    labels->addWidget(lblprogress, 1);
    row->addLayout(labels, 1);
    row->addWidget(MSFColorGridKey, 0, Qt::AlignTop);

    for (GridView* g : {MSFSGrid, MSFWGrid, MSFSRGrid, MSFmaxgrid, MSFColorGridKey}) {
        g->setSelectionMode(QAbstractItemView::NoSelection);
        g->setFocusPolicy(Qt::NoFocus);
        g->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
        g->setFitContents(true);
    }
    MSFColorGridKey->horizontalHeader()->setStretchLastSection(true);
    MSFColorGridKey->setFrameShape(QFrame::NoFrame);
}

void frmmainfinder::buildMenus()
{
    filemenu = menuBar()->addMenu(QStringLiteral("&File"));
    filemenu->setObjectName(QStringLiteral("filemenu"));
    cmdimportdata =
        filemenu->addAction(QStringLiteral("&Import Race Data"), this, &frmmainfinder::cmdimportdata_Click);
    cmdremoverace =
        filemenu->addAction(QStringLiteral("R&emove Race Data"), this, &frmmainfinder::cmdremoverace_Click);
    filemenu->addSeparator()->setObjectName(QStringLiteral("bar4"));
    cmdprint = filemenu->addAction(QStringLiteral("&Print Findings"), this, &frmmainfinder::cmdprint_Click);
    ExportText =
        filemenu->addAction(QStringLiteral("E&xport to Text File"), this, &frmmainfinder::ExportText_Click);

    Utilitiesmenu = menuBar()->addMenu(QStringLiteral("&Utilities"));
    Utilitiesmenu->setObjectName(QStringLiteral("Utilitiesmenu"));
    datecalculator = Utilitiesmenu->addAction(QStringLiteral("&Date Calculator"), this,
                                              &frmmainfinder::datecalculator_Click);
    Utilitiesmenu->addSeparator()->setObjectName(QStringLiteral("bar5"));
    cmdcompact =
        Utilitiesmenu->addAction(QStringLiteral("&Compact Database"), this, &frmmainfinder::cmdcompact_Click);
    edittracks =
        Utilitiesmenu->addAction(QStringLiteral("&Edit Tracks"), this, &frmmainfinder::edittracks_Click);
    cmdbackup = Utilitiesmenu->addAction(QStringLiteral("&Back Up Database..."), this,
                                         &frmmainfinder::cmdbackup_Click);
    watchlist =
        Utilitiesmenu->addAction(QStringLiteral("&Watch List..."), this, &frmmainfinder::watchlist_Click);
    watchlist->setObjectName(QStringLiteral("watchlist"));

    // The pop-up's entries in menu order; captions and visibility come from m_popup at each press.
    popmenu = new QMenu(this);
    popmenu->setObjectName(QStringLiteral("popmenu"));
    const auto command = [this](void (*op)(MainWindowState&)) { return [this, op] { run(op); }; };
    for (const PopupMenu::Entry& e : m_popup.entries()) {
        QAction* a = e.separator() ? popmenu->addSeparator() : popmenu->addAction(e.caption);
        a->setObjectName(e.name);
    }
    const auto entry = [this](const char* name) { return popmenu->findChild<QAction*>(QLatin1String(name)); };
    datecalc = entry("datecalc"); // shows a date, does nothing
    getlineage = entry("getlineage");
    chartspeed = entry("chartspeed");
    listhorse = entry("listhorse");
    listrace = entry("listrace");
    listowner = entry("listowner");
    listfilter = entry("listfilter");
    msfgridreset = entry("msfgridreset");
    msfgridback = entry("msfgridback");
    connect(getlineage, &QAction::triggered, this, &frmmainfinder::getlineage_Click);
    connect(chartspeed, &QAction::triggered, this, &frmmainfinder::chartspeed_Click);
    connect(listhorse, &QAction::triggered, this, command(&listhorse_Click));
    connect(listrace, &QAction::triggered, this, command(&listrace_Click));
    connect(listowner, &QAction::triggered, this, command(&listowner_Click));
    connect(listfilter, &QAction::triggered, this, command(&listfilter_Click));
    connect(msfgridreset, &QAction::triggered, this, command(&msfgridreset_Click));
    connect(msfgridback, &QAction::triggered, this, command(&msfgridback_Click));

    cmdimportdata->setObjectName(QStringLiteral("cmdimportdata"));
    cmdremoverace->setObjectName(QStringLiteral("cmdremoverace"));
    cmdprint->setObjectName(QStringLiteral("cmdprint"));
    ExportText->setObjectName(QStringLiteral("ExportText"));
    datecalculator->setObjectName(QStringLiteral("datecalculator"));
    cmdcompact->setObjectName(QStringLiteral("cmdcompact"));
    edittracks->setObjectName(QStringLiteral("edittracks"));
    cmdbackup->setObjectName(QStringLiteral("cmdbackup"));
}

bool frmmainfinder::Form_Load()
{
    // 10 twips from the left and top of the screen.
    const int offset = std::max(1, int(std::lround(10 * logicalDpiX() / 1440.0)));
    move(offset, offset);
    // Where the player left the window last time, when that is known.
    WindowGeometry::restore(this, m_state.programPath());
    setupnormalsearch();
    chk2yo->hide();
    lblnum->hide();
    txtnum->hide();
    const bool ok = formLoad(m_state, MSFSGrid->rowHeightTwips());
    if (!ok)
        return false;
    refresh();
    return true;
}

void frmmainfinder::refresh()
{
    for (GridView* g : m_grids)
        g->sync();
    const bool normal = m_state.MSFSGrid.visible();
    fraspeedstats->setVisible(normal);
    framaxspeedstats->setVisible(normal);
    lblinjurytest->setVisible(normal);
    txtinjury->setVisible(normal);
    lblfastest->setVisible(m_state.lblfastestVisible);
    cmdprint->setEnabled(m_state.cmdprintEnabled);
    lblinjurytest->setText(QString(m_state.lblinjurytest).replace(QLatin1Char('\r'), QLatin1Char('\n')));
    lblprogress->setText(QString(m_state.lblprogress).replace(QLatin1Char('\r'), QLatin1Char('\n')));
    lblfastest->setText(m_state.lblfastest);
    // Names from the data (an owner "Brown, Hall & Hall") are shown as they are.
    frainfo->setTitle(Fmt::literalCaption(m_state.frainfo));
    for (QRadioButton* b : {optsire, optdamsire, optdamdamsire})
        b->setEnabled(m_state.panel.progenyEnabled);
    // The statistics grids are as wide as their columns, so that the layout follows the font.
    for (GridView* g : {MSFSGrid, MSFWGrid, MSFSRGrid, MSFmaxgrid, MSFColorGridKey}) {
        int w = 2 * g->frameWidth();
        for (int c = 0; c < g->model()->columnCount(); ++c)
            w += g == MSFColorGridKey ? g->sizeHintForColumn(c) : g->columnWidth(c);
        // Room for the vertical scroll bar when a capped height cannot show every row.
        const int rowsHeight = g->model()->rowCount() * g->rowHeightPixels() + 2 * g->frameWidth();
        if (rowsHeight > g->height())
            w += g->verticalScrollBar()->sizeHint().width();
        g->setFixedWidth(w);
    }
}

void frmmainfinder::readPanel()
{
    PanelState& p = m_state.panel;
    p.txtfirstweek = txtfirstweek->text();
    p.txtlastweek = txtlastweek->text();
    p.txtinjury = txtinjury->text();
    p.txtnum = txtnum->text();
    p.chkowner = chkowner->isChecked();
    p.chk2yo = chk2yo->isChecked();
    p.progenyMode = optdamsire->isChecked()      ? ProgenySearchMode::DamSire
                    : optdamdamsire->isChecked() ? ProgenySearchMode::DamDamSire
                                                 : ProgenySearchMode::Sire;
}

template <typename Op> void frmmainfinder::run(Op op)
{
    readPanel();
    op(m_state);
    refresh();
}
// What the secondary windows hand back to run (frmmainfinderwatch.cpp).
template void frmmainfinder::run(std::function<void(MainWindowState&)>);

void frmmainfinder::cmdimportdata_Click()
{
    QList<int> weeks;
    run([&](MainWindowState& f) { weeks = importRaceData(f, m_statusProgress.get()).weeks; });
    showWatchedStarts(weeks);
}

void frmmainfinder::importDropped(const QStringList& paths)
{
    QList<int> weeks;
    run([&](MainWindowState& f) {
        weeks = importFiles(f, paths, DuplicateWeek::Ask, m_statusProgress.get()).weeks;
    });
    showWatchedStarts(weeks);
}

qint16 frmmainfinder::searchMode() const
{
    if (opthorse->isChecked()) {
        if (chkname->isChecked())
            return chkid->isChecked() ? 1 : 2;
        return chkid->isChecked() ? 3 : 2;
    }
    if (optowner->isChecked())
        return 4;
    if (optrace->isChecked())
        return 5;
    return 0;
}

void frmmainfinder::cmdgethorse_Click()
{
    if (optsire->isChecked() || optdamsire->isChecked() || optdamdamsire->isChecked()) {
        const QString name = txthorse->text().left(25);
        run([&](MainWindowState& f) { getsires(f, name); });
        return;
    }
    const qint16 mode = searchMode();
    const QString name = nameBoxText(mode, txthorse->text());
    const QString id = txtid->text();
    run([&](MainWindowState& f) { gethorse(f, mode, name, id); });
}

void frmmainfinder::cmdremoverace_Click()
{
    std::optional<QStringList> weeks;
    run([&weeks](MainWindowState& f) { weeks = weeklist(f); });
    if (!weeks)
        return;
    auto* dialog = new frmremovedata(m_state, *weeks, this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    connect(dialog, &frmremovedata::stateChanged, this, [this] {
        refresh();
        activateWindow();
    });
    dialog->show();
}

void frmmainfinder::cmdcompact_Click()
{
    // Compaction gives the file a new identity: no connection of this window may outlive it. The
    // searches and the import close theirs at their end, and the secondary windows open theirs per step.
    run([](MainWindowState& f) { ::cmdcompact_Click(f); });
}

void frmmainfinder::edittracks_Click()
{
    auto* editor = new frmedittracks(m_state.platform(), m_state.databasePath(), this);
    editor->setAttribute(Qt::WA_DeleteOnClose);
    editor->show();
}

void frmmainfinder::cmdbackup_Click()
{
    run([](MainWindowState& f) { backupdatabase(f); });
}

void frmmainfinder::cmdspecial_Click()
{
    BusyPointer busy(m_state.platform());
    auto* dialog = new frmstable(
        m_state, [this](const auto& op) { run(op); }, this);
    dialog->show();
}

void frmmainfinder::getlineage_Click()
{
    std::optional<LineageRequest> request;
    run([&](MainWindowState& f) { request = lineageRequest(f, lineageSite()); });
    if (!request)
        return;
    // The page is fetched while the window stays usable, with a Cancel in the status bar.
    auto* fetch = findChild<LineageFetch*>();
    if (!fetch)
        fetch = new LineageFetch(m_state, statusBar(), this);
    fetch->start(*request, [this](const LineageRequest& r, const QString& page, const QString& why) {
        bool show = false;
        run([&](MainWindowState& f) {
            show = showFetchedLineage(f.platform(), r, page, why, [this]() -> LineageState& {
                if (!m_lineage)
                    m_lineage = new frmlineage(this);
                return m_lineage->state();
            });
        });
        if (show) {
            m_lineage->refresh();
            m_lineage->show();
            m_lineage->raise();
            m_lineage->activateWindow();
        }
    });
}

void frmmainfinder::chartspeed_Click()
{
    std::optional<FormChart> chart;
    run([&](MainWindowState& f) { chart = ::chartspeed_Click(f); });
    if (!chart)
        return;
    // A window per horse, so that two horses' form can be set side by side.
    auto* window = new frmformchart(*chart, m_state.platform(), this);
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->show();
}

void frmmainfinder::setupnormalsearch()
{
    chkid->setEnabled(true);
    chkname->setEnabled(true);
    chkid->setChecked(false);
    chkname->setChecked(true);
    chk2yo->hide();
    lblnum->hide();
    txtnum->hide();
}

void frmmainfinder::setupsiresearch()
{
    chkid->setChecked(false);
    chkid->setEnabled(false);
    chkname->setEnabled(true);
    chkname->setChecked(true);
    chk2yo->show();
    lblnum->show();
    txtnum->show();
}

void frmmainfinder::opthorse_Click()
{
    setupnormalsearch();
}

void frmmainfinder::optowner_Click()
{
    setupnormalsearch();
    chkid->setEnabled(false);
}

void frmmainfinder::optrace_Click()
{
    chkid->setEnabled(true);
    chkname->setEnabled(false);
    chkname->setChecked(false);
    chkid->setChecked(true);
    chk2yo->hide();
    lblnum->hide();
    txtnum->hide();
}

void frmmainfinder::optsire_Click()
{
    setupsiresearch();
}

bool frmmainfinder::filterKey(QObject* watched, int key, const QString& text)
{
    const bool enter = key == Qt::Key_Return || key == Qt::Key_Enter;
    const bool backspace = key == Qt::Key_Backspace;
    if (watched == txthorse) {
        if (enter) {
            cmdgethorse_Click();
            return true;
        }
        return false;
    }
    // Keys that type nothing (arrows, Delete, Home, shortcuts) are editing, not input: let them through.
    if (!enter && !backspace && (text.isEmpty() || text.at(0).unicode() < 0x20))
        return false;
    const QChar ch = text.isEmpty() ? QChar() : text.at(0);
    const bool digit = ch >= QLatin1Char('0') && ch <= QLatin1Char('9');
    if (watched == txtid) {
        if (enter) {
            cmdgethorse_Click();
            return true;
        }
        if (digit || backspace || ch == QLatin1Char('.') || ch == QLatin1Char('*') || ch == QLatin1Char('?'))
            return false;
    } else if (digit || backspace) {
        return false;
    }
    m_state.platform().beep();
    return true;
}

bool frmmainfinder::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (filterKey(watched, key->key(), key->text()))
            return true;
    }
    return QMainWindow::eventFilter(watched, event);
}

void frmmainfinder::showPopup(const QPoint& globalPos)
{
    if (!MSFlexGrid1_MouseDown(m_state, MouseButton::Right, m_popup))
        return;
    for (const PopupMenu::Entry& e : m_popup.entries()) {
        QAction* a = popmenu->findChild<QAction*>(e.name);
        a->setText(QString(e.caption).replace(QLatin1Char('&'), QLatin1String("&&"))); // "&" is no shortcut
        a->setVisible(e.visible);
    }
    popmenu->popup(globalPos);
}

void frmmainfinder::MSFlexGrid1_DblClick()
{
    run([](MainWindowState& f) { ::MSFlexGrid1_DblClick(f); });
}

void frmmainfinder::cmdprint_Click()
{
    run([](MainWindowState& f) { ::cmdprint_Click(f); });
}

void frmmainfinder::ExportText_Click()
{
    run([](MainWindowState& f) { ::ExportText_Click(f); });
}

void frmmainfinder::datecalculator_Click()
{
    if (!dateCalculator)
        dateCalculator = new frmdatecalculator(m_state.platform(), this);
    dateCalculator->show();
    dateCalculator->raise();
    dateCalculator->activateWindow();
}

void frmmainfinder::closeEvent(QCloseEvent* event)
{
    WindowGeometry::save(this, m_state.programPath());
    event->accept();
    QApplication::quit();
}
