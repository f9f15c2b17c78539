#include "gui/app/frmmainfinder.h"

#include "core/format.h"
#include "db/databasesummary.h"
#include "db/maintenance.h"
#include "gui/app/analysiswindows.h"
#include "gui/app/backgroundimport.h"
#include "gui/app/filedrop.h"
#include "gui/app/lineagefetch.h"
#include "gui/app/listingkeeper.h"
#include "gui/app/mainmenus.h"
#include "gui/app/resultsgrid.h"
#include "gui/app/searchpanel.h"
#include "gui/app/smallwindows.h"
#include "gui/app/startpanel.h"
#include "gui/app/statspanel.h"
#include "gui/app/statusprogress.h"
#include "gui/app/windowgeometry.h"
#include "gui/widgets/gridview.h"
#include "import/importdriver.h"
#include "lineage/getlineage.h"
#include "output/formchart.h"
#include "output/gridsettings.h"
#include "output/printing.h"
#include "output/textexport.h"
#include "progeny/breedingchoice.h"
#include "progeny/getsires.h"
#include "search/gethorse.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QStatusBar>
#include <QVBoxLayout>

frmmainfinder::frmmainfinder(Platform& platform, const QString& programDir, const QString& breedingPath,
                             QWidget* parent)
    : QMainWindow(parent), m_state(platform, programDir, breedingPath)
{
    setObjectName(QStringLiteral("frmmainfinder"));
    setWindowTitle(QStringLiteral("Turf Trawler v" TURF_VERSION));

    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(6, 6, 6, 6);
    m_search = new SearchPanel(platform, central);
    connect(m_search, &SearchPanel::searchRequested, this, &frmmainfinder::cmdgethorse_Click);
    connect(m_search, &SearchPanel::stableSearchRequested, this, [this] { m_windows->stableSearch(); });
    layout->addWidget(m_search);
    m_listing = std::make_unique<ListingKeeper>(m_state, *m_search);
    buildResultsGrid(central);
    layout->addWidget(MSFlexGrid1, 1);
    m_stats = new StatsPanel(m_state, central);
    layout->addWidget(m_stats);
    setCentralWidget(central);
    m_windows = std::make_unique<SmallWindows>(this, m_state, [this](const auto& op) { run(op); });
    m_analyses = std::make_unique<AnalysisWindows>(this, m_state, [this](const auto& op) { run(op); });

    m_statusProgress = std::make_unique<StatusProgress>(statusBar());
    m_import = new BackgroundImport(platform, *m_statusProgress, this);
    connect(m_statusProgress->cancelButton(), &QPushButton::clicked, m_import, &BackgroundImport::cancel);
    connect(m_import, &BackgroundImport::finished, this, &frmmainfinder::importFinished);
    buildMenus();
    // One import at a time: files dropped while one runs are refused at the door.
    new FileDrop(
        this, [this] { return !importing(); }, [this](const QStringList& paths) { importDropped(paths); });
    m_startPanel = new StartPanel(MSFlexGrid1, m_state, m_menus->action(QStringLiteral("cmdimportdata")));
    // Room for the statistics of a large owner beside the grid, on screens that have it.
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    resize(std::min(1400, screen.width()), std::min(880, screen.height()));
}

frmmainfinder::~frmmainfinder()
{
    // An import still running stops first, with nothing half stored.
    delete m_import;
    // The grid views read the MainWindowState's grids, which go with this object: the views must go first,
    // before a shown window hides its children on the way out and they ask their models for sizes.
    delete centralWidget();
}

void frmmainfinder::buildResultsGrid(QWidget* parent)
{
    MSFlexGrid1 = makeResultsGrid(m_state, parent);
    connect(MSFlexGrid1, &GridView::popupRequested, this, &frmmainfinder::showPopup);
    connect(MSFlexGrid1, &QAbstractItemView::doubleClicked, this, &frmmainfinder::MSFlexGrid1_DblClick);
    connect(MSFlexGrid1->horizontalHeader(), &QHeaderView::sectionDoubleClicked, this,
            &frmmainfinder::header_DblClick);
    // A click on a heading selects its column; only a sort moves the arrow.
    connect(MSFlexGrid1->horizontalHeader(), &QHeaderView::sortIndicatorChanged, this, [this] {
        if (m_sortColumn >= 0)
            MSFlexGrid1->horizontalHeader()->setSortIndicator(m_sortColumn, m_sortOrder);
    });
}

void frmmainfinder::buildMenus()
{
    // A core operation, run with the panel read before and the window shown again after.
    using Op = void (*)(MainWindowState&);
    const auto command = [this](Op op) { return [this, op] { run(op); }; };
    // The menu bar, menu by menu in its order: each entry's control name, caption, handler and shortcut.
    // clang-format off
    m_menus = new MainMenus(this);
    m_menus->addMenu("filemenu", "&File", {
        {"cmdimportdata", "&Import Race Data", [this] { cmdimportdata_Click(); }},
        {"cmdremoverace", "R&emove Race Data", [this] { cmdremoverace_Click(); }},
        {"cmdbreeding", "Choose &Breeding File...", command([](MainWindowState& f) { choosebreedingfile(f); })},
        {"bar4"},
        {"cmdprint", "&Print Findings", command([](MainWindowState& f) { cmdprint_Click(f); })},
        {"ExportText", "E&xport to Text File", command([](MainWindowState& f) { ExportText_Click(f); })},
        {""},
        {"cmdexit", "Exi&t", [this] { close(); }, Qt::CTRL | Qt::Key_Q}, // "x" is Export's
    });
    // Undo names the change it puts back; Ctrl+Z reaches it unless a text box takes the key for its own text.
    m_menus->addMenu("editmenu", "&Edit", {
        {"cmdundo", "Can't Undo", command([](MainWindowState& f) { cmdundo_Click(f); }), QKeySequence::Undo},
    });
    // The results grid's zoom; printing keeps its own sizes.
    m_menus->addMenu("viewmenu", "&View", {
        {"cmdzoomin", "Zoom &In", [this] { zoom(1); }, QKeySequence::ZoomIn},
        {"cmdzoomout", "Zoom &Out", [this] { zoom(-1); }, QKeySequence::ZoomOut},
        {"cmdactualsize", "&Actual Size", [this] { zoom(0); }, Qt::CTRL | Qt::Key_0},
    });
    m_menus->addMenu("Utilitiesmenu", "&Utilities", {
        {"datecalculator", "&Date Calculator", [this] { m_windows->dateCalculator(); }},
        {"bar5"},
        {"cmdcompact", "&Compact Database", command([](MainWindowState& f) { cmdcompact_Click(f); })},
        {"edittracks", "&Edit Tracks", [this] { edittracks_Click(); }},
        {"cmdbackup", "&Back Up Database...", command([](MainWindowState& f) { backupdatabase(f); })},
        {"watchlist", "&Watch List...", [this] { m_windows->watchList(); }},
    });
    m_menus->addMenu("analysismenu", "&Analysis", {
        {"cmdclasspars", "Class &Pars", [this] { m_analyses->classPars(); }},
        {"cmdwherecanitwin", "&Where Can It Win...", [this] { m_analyses->whereCanItWin(); }},
        {"cmdclaimfinder", "&Claim Finder", [this] { m_analyses->claimFinder(); }},
        {"cmdclaimsmade", "Claims &Made", [this] { m_analyses->claimsMade(); }},
        {"cmdangles", "&Angles", [this] { m_analyses->angles(); }},
        {"cmdleaders", "&Leaders", [this] { m_analyses->leaders(); }},
        {"cmdheadtohead", "&Head to Head...", [this] { m_analyses->headToHead(); }},
    });
    m_menus->addMenu("helpmenu", "&Help", {
        {"cmdabout", "&About Turf Trawler", [this] { cmdabout_Click(); }},
    });
    // The results grid's pop-up: its entries are the grid's own; these are their key letters and handlers.
    m_menus->buildPopup(m_popup, {
        {"datecalc", u'w'}, // shows a date, does nothing
        {"getlineage", u'l', [this] { getlineage_Click(); }},
        {"chartspeed", u'c', [this] { chartspeed_Click(); }},
        {"wherecanitwin", u'e', [this] { m_analyses->whereCanItWin(rowHorse()); }},
        {"headtohead", u'a', [this] { m_analyses->headToHead(rowHorse()); }},
        {"listhorse", u'h', command(&listhorse_Click)},
        {"listrace", u'r', command(&listrace_Click)},
        {"listowner", u'o', command(&listowner_Click)},
        {"listfilter", u'f', [this] { listfilter_Click(); }},
        {"msfgridreset", u'u', command(&msfgridreset_Click)},
        {"msfgridback", u't', command(&msfgridback_Click)},
    });
    // clang-format on
    connect(m_menus->menu(QStringLiteral("editmenu")), &QMenu::aboutToShow, this, &frmmainfinder::updateUndo);
    // Ctrl+= as well: the + of most keyboards needs the shift key.
    m_menus->action(QStringLiteral("cmdzoomin"))
        ->setShortcuts({QKeySequence(QKeySequence::ZoomIn), QKeySequence(Qt::CTRL | Qt::Key_Equal)});
}

bool frmmainfinder::Form_Load(MissingDatabase missing)
{
    // 10 twips from the left and top of the screen.
    const int offset = std::max(1, int(std::lround(10 * logicalDpiX() / 1440.0)));
    move(offset, offset);
    // Where the player left the window last time, when that is known, and the folder imported from last.
    WindowGeometry::restore(this, m_state.programPath());
    m_state.importFolder = WindowGeometry::importFolder(m_state.programPath());
    MSFlexGrid1->setZoom(WindowGeometry::gridZoom(m_state.programPath()));
    m_search->setupnormalsearch();
    const bool ok = formLoad(m_state, m_stats->rowHeightTwips(), missing);
    if (!ok)
        return false;
    refresh();
    // The least size shows the panel, a few rows of the list and the statistics as they are before a
    // search; figures wider than those scroll the statistics sideways rather than widen the window.
    MSFlexGrid1->setMinimumHeight(MSFlexGrid1->horizontalHeader()->sizeHint().height() +
                                  6 * MSFlexGrid1->rowHeightPixels() + 2 * MSFlexGrid1->frameWidth() +
                                  MSFlexGrid1->horizontalScrollBar()->sizeHint().height());
    m_stats->fixLeastWidth();
    return true;
}

void frmmainfinder::refresh()
{
    m_listing->sync();
    MSFlexGrid1->sync();
    m_stats->sync();
    m_startPanel->sync();
    m_search->showInjuryExclusion();
    m_search->setProgenyEnabled(m_state.panel.progenyEnabled, breedingFileNeeded(m_state));
    m_search->setInjuryCaption(m_state.lblinjurytest);
    m_menus->action(QStringLiteral("cmdprint"))->setEnabled(m_state.cmdprintEnabled);
    updateUndo();
    m_statusProgress->textLabel()->setText(m_state.statusline);
    m_statusProgress->textLabel()->setToolTip(m_state.statusline);
    // The arrow stays on the column sorted while the rows are the ones sorted.
    if (m_sortedList != m_state.MSFlexGrid1.generation())
        m_sortColumn = -1;
    QHeaderView* header = MSFlexGrid1->horizontalHeader();
    header->setSortIndicatorShown(m_sortColumn >= 0);
    if (m_sortColumn >= 0)
        header->setSortIndicator(m_sortColumn, m_sortOrder);
}

QLabel* frmmainfinder::progressLabel() const
{
    return m_stats->progressLabel();
}

template <typename Op> void frmmainfinder::run(Op op)
{
    m_search->read(m_state.panel);
    // Until the player has a settings file, a column too narrow for the list's texts is widened to them.
    const bool noSettings = !QFileInfo::exists(m_state.settingsPath());
    const unsigned listed = m_state.MSFlexGrid1.generation();
    const QString lastLine = m_state.statusline;
    m_state.statusline.clear();
    m_statusProgress->textLabel()->clear();
    op(m_state);
    // An action that says nothing of its own (About, a message) leaves the last line rather than none.
    if (m_state.statusline.isEmpty())
        m_state.statusline = lastLine;
    if (noSettings && !m_state.sireLayout() && m_state.MSFlexGrid1.generation() != listed &&
        MSFlexGrid1->widenToTexts())
        msfgridsavesettings(m_state);
    refresh();
}

void frmmainfinder::cmdimportdata_Click()
{
    QStringList paths;
    run([&](MainWindowState& f) { paths = chooseImportFiles(f); });
    importDropped(paths);
}

bool frmmainfinder::importing() const
{
    return m_import->running();
}

void frmmainfinder::importDropped(const QStringList& paths)
{
    if (paths.isEmpty() || importing())
        return;
    m_import->start({m_state.databasePath(), paths, DuplicateWeek::Ask});
    enableWriters(false);
}

void frmmainfinder::importFinished(const ImportResult& result)
{
    enableWriters(true);
    run([&](MainWindowState& f) { showImportResult(f, result); });
    if (m_closeAfterImport)
        close();
    else
        m_windows->watchedStarts(result.weeks);
}

void frmmainfinder::enableWriters(bool enabled)
{
    // The import holds the database's write lock: the searches and the other writers would wait for it.
    m_search->setEnabled(enabled);
    for (const char* name : {"cmdimportdata", "cmdremoverace", "cmdcompact", "edittracks", "cmdbackup",
                             "listhorse", "listrace", "listowner"})
        m_menus->action(QString::fromLatin1(name))->setEnabled(enabled);
    updateUndo();
    m_windows->setDatabaseWindowsEnabled(enabled);
    m_analyses->setListingEnabled(enabled);
}

void frmmainfinder::cmdgethorse_Click()
{
    if (m_search->progenyChosen()) {
        const QString name = m_search->nameText().left(25);
        run([&](MainWindowState& f) { getsires(f, name); });
        return;
    }
    const qint16 mode = m_search->searchMode();
    const QString name = nameBoxText(mode, m_search->nameText());
    const QString id = m_search->idText();
    run([&](MainWindowState& f) { gethorse(f, mode, name, id); });
}

void frmmainfinder::cmdremoverace_Click()
{
    std::optional<QStringList> weeks;
    run([&weeks](MainWindowState& f) { weeks = weeklist(f); });
    if (weeks)
        m_windows->removeData(*weeks, [this] {
            refresh();
            activateWindow();
        });
}

void frmmainfinder::updateUndo()
{
    QAction* cmdundo = m_menus->action(QStringLiteral("cmdundo"));
    // Not while an import writes: the database is not to be read for it then.
    const std::optional<QString> caption = importing() ? std::nullopt : undoCaption(m_state);
    cmdundo->setText(caption.value_or(QStringLiteral("Can't Undo")));
    cmdundo->setEnabled(caption.has_value());
}

void frmmainfinder::edittracks_Click()
{
    m_windows->editTracks([this](const QString& what) {
        m_state.setStatusLine(what);
        refresh();
    });
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
            show = showFetchedLineage(f.platform(), r, page, why,
                                      [this]() -> LineageState& { return m_windows->lineageState(); });
            f.setStatusLine(show             ? QStringLiteral("The lineage of %1 is shown.").arg(r.id)
                            : page.isEmpty() ? QStringLiteral("No lineage page of %1: %2").arg(r.id, why)
                                             : QStringLiteral("The lineage of %1 was not shown.").arg(r.id));
        });
        if (show)
            m_windows->showLineage();
    });
}

void frmmainfinder::chartspeed_Click()
{
    std::optional<FormChart> chart;
    run([&](MainWindowState& f) { chart = ::chartspeed_Click(f); });
    if (chart)
        m_windows->formChart(*chart);
}

QString frmmainfinder::rowHorse() const
{
    const GridState& g = m_state.MSFlexGrid1;
    return g.text(g.row(), 1);
}

void frmmainfinder::showPopup(const QPoint& globalPos)
{
    if (MSFlexGrid1_MouseDown(m_state, MouseButton::Right, m_popup))
        m_menus->showPopup(m_popup, globalPos);
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

void frmmainfinder::zoom(int steps)
{
    if (steps == 0)
        MSFlexGrid1->setZoom(1);
    else
        MSFlexGrid1->zoomBy(steps);
    m_state.setStatusLine(QStringLiteral("Zoom: %1%").arg(std::lround(MSFlexGrid1->zoom() * 100)));
    refresh();
}

void frmmainfinder::cmdabout_Click()
{
    QString error;
    QStringList lines = {windowTitle(), QString()};
    lines << describeFolder(m_state.programPath(), error);
    if (!error.isEmpty())
        lines << error;
    m_state.platform().message(lines.join(QLatin1Char('\r')));
}

void frmmainfinder::closeEvent(QCloseEvent* event)
{
    if (importing()) {
        // The import stops before its next file; the window closes once it has, with nothing half stored.
        m_closeAfterImport = true;
        m_import->cancel();
        event->ignore();
        return;
    }
    WindowGeometry::save(this, m_state.programPath(), m_state.importFolder, MSFlexGrid1->zoom());
    event->accept();
    QApplication::quit();
}
