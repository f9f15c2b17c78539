#include "gui/app/frmmainfinder.h"

#include "core/format.h"
#include "db/maintenance.h"
#include "gui/app/dialogkeys.h"
#include "gui/app/lineagefetch.h"
#include "gui/app/startpanel.h"
#include "gui/app/statusprogress.h"
#include "gui/app/steadywidgets.h"
#include "gui/app/windowgeometry.h"
#include "gui/db/frmedittracks.h"
#include "gui/db/frmremovedata.h"
#include "gui/lineage/frmlineage.h"
#include "gui/output/frmdatecalculator.h"
#include "gui/output/frmformchart.h"
#include "gui/search/frmstable.h"
#include "gui/widgets/gridview.h"
#include "import/importdriver.h"
#include "lineage/getlineage.h"
#include "output/formchart.h"
#include "output/gridsettings.h"
#include "output/printing.h"
#include "output/textexport.h"
#include "progeny/getsires.h"
#include "search/gethorse.h"
#include "startup/startup.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHash>
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
#include <QScrollArea>
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
    setWindowTitle(QStringLiteral("Turf Trawler v" TURF_VERSION));

    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(6, 6, 6, 6);
    auto* panel = new QWidget(central);
    buildPanel(panel);
    layout->addWidget(panel);

    MSFlexGrid1 = named<GridView>("MSFlexGrid1", m_state.MSFlexGrid1, true, central);
    // The columns' widths in twips were made for narrow letters: a narrow face fits their usual texts at
    // 7 points (Liberation Sans Narrow, metric-compatible with Arial Narrow), a condensed one where it is
    // missing. A text that is still too long is cut, not ended with dots, as in a spreadsheet.
    QFont narrow = MSFlexGrid1->font();
    narrow.setFamilies({QStringLiteral("Liberation Sans Narrow"), QStringLiteral("Arial Narrow"),
                        QStringLiteral("Nimbus Sans Narrow"), narrow.family()});
    narrow.setStretch(QFont::SemiCondensed);
    MSFlexGrid1->setFont(narrow);
    MSFlexGrid1->setTextElideMode(Qt::ElideNone);
    MSFlexGrid1->setFillWidth(true);
    layout->addWidget(MSFlexGrid1, 1);

    auto* stats = new QWidget(central);
    buildStats(stats);
    layout->addWidget(stats);
    setCentralWidget(central);
    buildMenus();

    m_grids = {MSFlexGrid1, MSFSGrid, MSFWGrid, MSFSRGrid, MSFmaxgrid, MSFColorGridKey};
    connect(MSFlexGrid1, &GridView::popupRequested, this, &frmmainfinder::showPopup);
    connect(MSFlexGrid1, &QAbstractItemView::doubleClicked, this, &frmmainfinder::MSFlexGrid1_DblClick);
    connect(MSFlexGrid1->horizontalHeader(), &QHeaderView::sectionDoubleClicked, this,
            &frmmainfinder::header_DblClick);
    // A click on a heading selects its column; only a sort moves the arrow.
    connect(MSFlexGrid1->horizontalHeader(), &QHeaderView::sortIndicatorChanged, this, [this] {
        if (m_sortColumn >= 0)
            MSFlexGrid1->horizontalHeader()->setSortIndicator(m_sortColumn, m_sortOrder);
    });
    buildConveniences();
    startPanel = new StartPanel(*this);
    // Room for the statistics of a large owner beside the grid, on screens that have it.
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    resize(std::min(1400, screen.width()), std::min(880, screen.height()));
}

frmmainfinder::~frmmainfinder()
{
    // The grid views read the MainWindowState's grids, which go with this object: the views must go first,
    // before a shown window hides its children on the way out and they ask their models for sizes.
    delete centralWidget();
}

void frmmainfinder::buildModes()
{
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
}

void frmmainfinder::buildPanel(QWidget* panel)
{
    auto* row = new QHBoxLayout(panel);
    row->setContentsMargins(0, 0, 0, 0);
    buildModes();
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
    applyInputRules();
}

void frmmainfinder::applyInputRules()
{
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

    // Undo names the change it puts back; Ctrl+Z reaches it unless a text box takes the key for its own text.
    editmenu = menuBar()->addMenu(QStringLiteral("&Edit"));
    editmenu->setObjectName(QStringLiteral("editmenu"));
    cmdundo = editmenu->addAction(QStringLiteral("Can't Undo"), this, &frmmainfinder::cmdundo_Click);
    cmdundo->setObjectName(QStringLiteral("cmdundo"));
    cmdundo->setShortcut(QKeySequence::Undo);
    connect(editmenu, &QMenu::aboutToShow, this, &frmmainfinder::updateUndo);

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
    connect(listfilter, &QAction::triggered, this, [this] { listfilter_Click(); });
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

bool frmmainfinder::Form_Load(MissingDatabase missing)
{
    // 10 twips from the left and top of the screen.
    const int offset = std::max(1, int(std::lround(10 * logicalDpiX() / 1440.0)));
    move(offset, offset);
    // Where the player left the window last time, when that is known, and the folder imported from last.
    WindowGeometry::restore(this, m_state.programPath());
    m_state.importFolder = WindowGeometry::importFolder(m_state.programPath());
    setupnormalsearch();
    chk2yo->hide();
    lblnum->hide();
    txtnum->hide();
    const bool ok = formLoad(m_state, MSFSGrid->rowHeightTwips(), missing);
    if (!ok)
        return false;
    refresh();
    // The least size shows the panel, a few rows of the list and the statistics as they are before a
    // search; figures wider than those scroll the statistics sideways rather than widen the window.
    MSFlexGrid1->setMinimumHeight(MSFlexGrid1->horizontalHeader()->sizeHint().height() +
                                  6 * MSFlexGrid1->rowHeightPixels() + 2 * MSFlexGrid1->frameWidth() +
                                  MSFlexGrid1->horizontalScrollBar()->sizeHint().height());
    if (auto* area = findChild<QScrollArea*>(QStringLiteral("statsarea")))
        area->setMinimumWidth(area->widget()->minimumSizeHint().width() + 2 * area->frameWidth());
    return true;
}

void frmmainfinder::refresh()
{
    for (GridView* g : m_grids)
        g->sync();
    startPanel->sync();
    const bool normal = m_state.MSFSGrid.visible();
    fraspeedstats->setVisible(normal);
    framaxspeedstats->setVisible(normal);
    showInjuryExclusion();
    lblfastest->setVisible(m_state.lblfastestVisible);
    cmdprint->setEnabled(m_state.cmdprintEnabled);
    updateUndo();
    lblinjurytest->setText(QString(m_state.lblinjurytest).replace(QLatin1Char('\r'), QLatin1Char('\n')));
    lblprogress->setText(QString(m_state.lblprogress).replace(QLatin1Char('\r'), QLatin1Char('\n')));
    lblfastest->setText(m_state.lblfastest);
    m_statusProgress->textLabel()->setText(m_state.statusline);
    m_statusProgress->textLabel()->setToolTip(m_state.statusline);
    // The arrow stays on the column sorted while the rows are the ones sorted.
    if (m_sortedList != m_state.MSFlexGrid1.generation())
        m_sortColumn = -1;
    QHeaderView* header = MSFlexGrid1->horizontalHeader();
    header->setSortIndicatorShown(m_sortColumn >= 0);
    if (m_sortColumn >= 0)
        header->setSortIndicator(m_sortColumn, m_sortOrder);
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
    // Until the player has a settings file, a column too narrow for the list's texts is widened to them.
    const bool noSettings = !QFileInfo::exists(m_state.settingsPath());
    const unsigned listed = m_state.MSFlexGrid1.generation();
    m_state.statusline.clear();
    m_statusProgress->textLabel()->clear();
    op(m_state);
    if (noSettings && !m_state.sireLayout() && m_state.MSFlexGrid1.generation() != listed &&
        MSFlexGrid1->widenToTexts())
        msfgridsavesettings(m_state);
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
    // Enter presses Remove Data, whose question names the weeks and answers No to Enter again.
    giveDialogKeys(dialog, dialog->cmdremove);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    connect(dialog, &frmremovedata::stateChanged, this, [this] {
        refresh();
        activateWindow();
    });
    dialog->show();
}

void frmmainfinder::cmdcompact_Click()
{
    run([](MainWindowState& f) { ::cmdcompact_Click(f); });
}

void frmmainfinder::cmdundo_Click()
{
    run([](MainWindowState& f) { ::cmdundo_Click(f); });
}

void frmmainfinder::updateUndo()
{
    const std::optional<QString> caption = undoCaption(m_state);
    cmdundo->setText(caption.value_or(QStringLiteral("Can't Undo")));
    cmdundo->setEnabled(caption.has_value());
}

void frmmainfinder::edittracks_Click()
{
    auto* editor = new frmedittracks(m_state.platform(), m_state.databasePath(), this);
    editor->setAttribute(Qt::WA_DeleteOnClose);
    giveDialogKeys(editor, editor->cmdaddtrack);
    connect(editor, &frmedittracks::changed, this, [this](const QString& what) {
        m_state.setStatusLine(what);
        refresh();
    });
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
    giveDialogKeys(dialog, dialog->cmdgo);
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
                if (!m_lineage) {
                    m_lineage = new frmlineage(this);
                    giveDialogKeys(m_lineage);
                }
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
    giveDialogKeys(window);
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
    showInjuryExclusion();
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
    showInjuryExclusion();
}

void frmmainfinder::showInjuryExclusion()
{
    // An input of the next search: it is there whenever that search is a horse, owner or race search,
    // whatever list the last search left.
    const bool used = !(optsire->isChecked() || optdamsire->isChecked() || optdamdamsire->isChecked());
    lblinjurytest->setVisible(used);
    txtinjury->setVisible(used);
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
    showInjuryExclusion();
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
    // Each entry's key letter, underlined where the caption first has it; "&" in a name is no key.
    static const QHash<QString, QChar> keys{
        {QStringLiteral("datecalc"), u'w'},   {QStringLiteral("getlineage"), u'l'},
        {QStringLiteral("chartspeed"), u'c'}, {QStringLiteral("listhorse"), u'h'},
        {QStringLiteral("listrace"), u'r'},   {QStringLiteral("listowner"), u'o'},
        {QStringLiteral("listfilter"), u'f'}, {QStringLiteral("msfgridreset"), u'u'},
        {QStringLiteral("msfgridback"), u't'}};
    for (const PopupMenu::Entry& e : m_popup.entries()) {
        QAction* a = popmenu->findChild<QAction*>(e.name);
        QString text = QString(e.caption).replace(QLatin1Char('&'), QLatin1String("&&"));
        const qsizetype at = text.indexOf(keys.value(e.name), 0, Qt::CaseInsensitive);
        if (keys.contains(e.name) && at >= 0)
            text.insert(at, QLatin1Char('&'));
        a->setText(text);
        a->setVisible(e.visible);
    }
    popmenu->popup(globalPos);
}

void frmmainfinder::MSFlexGrid1_DblClick()
{
    run([this](MainWindowState& f) {
        const auto order = ::MSFlexGrid1_DblClick(f);
        if (!order)
            return;
        m_sortColumn = f.MSFlexGrid1.col();
        m_sortOrder = order == SortOrder::TextAscending || order == SortOrder::NumericAscending
                          ? Qt::AscendingOrder
                          : Qt::DescendingOrder;
        m_sortedList = f.MSFlexGrid1.generation();
    });
}

void frmmainfinder::header_DblClick(int column)
{
    const QModelIndex current = MSFlexGrid1->currentIndex();
    MSFlexGrid1->setCurrentIndex(MSFlexGrid1->model()->index(std::max(current.row(), 0), column));
    MSFlexGrid1_DblClick();
}

void frmmainfinder::listfilter_Click()
{
    run([this](MainWindowState& f) {
        const bool sorted = m_sortedList == f.MSFlexGrid1.generation();
        ::listfilter_Click(f);
        if (sorted) // the rows that stay keep their order
            m_sortedList = f.MSFlexGrid1.generation();
    });
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
    if (!dateCalculator) {
        dateCalculator = new frmdatecalculator(m_state.platform(), this);
        giveDialogKeys(dateCalculator, dateCalculator->cmdgetdate);
    }
    dateCalculator->show();
    dateCalculator->raise();
    dateCalculator->activateWindow();
}

void frmmainfinder::closeEvent(QCloseEvent* event)
{
    WindowGeometry::save(this, m_state.programPath(), m_state.importFolder);
    event->accept();
    QApplication::quit();
}
