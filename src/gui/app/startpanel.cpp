#include "gui/app/startpanel.h"

#include "core/datafolder.h"
#include "core/mainwindowstate.h"
#include "db/database.h"
#include "gui/widgets/gridview.h"

#include <QAction>
#include <QCoreApplication>
#include <QDir>
#include <QEvent>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

StartPanel::StartPanel(GridView* grid, MainWindowState& state, QAction* import)
    : QFrame(grid), m_grid(grid), m_state(state)
{
    setObjectName(QStringLiteral("startpanel"));
    setAutoFillBackground(true);
    setFrameShape(QFrame::StyledPanel);
    // The window's own font, not the small condensed one of the grid it lies on.
    QFont font = grid->window()->font();
    // Set again so that they count as this panel's own: what is not set is taken from the grid.
    font.setPointSizeF(font.pointSizeF());
    font.setStretch(QFont::Unstretched);
    setFont(font);
    lblhowto = new QLabel(this);
    lblhowto->setObjectName(QStringLiteral("lblhowto"));
    lblhowto->setWordWrap(true);
    lblhowto->setTextFormat(Qt::RichText);
    lblhowto->setText(
        QStringLiteral(
            "<h2>Your database is empty</h2>"
            "<p>Import the weekly results files of the simulation: choose <b>File &gt; Import Race "
            "Data</b> and pick one or more results files (<tt>raceout612.txt</tt> and the like) or "
            "zip archives of them, or drop them on this window. Each week is stored once; the "
            "status bar says how the import went.</p>"
            "<p>To see what the program does first, try it on sample data: %1 generated weeks with "
            "their breeding file, in a folder of their own, opened in a second window. Your own "
            "database stays as it is.</p>")
            .arg(sampleWeeks));
    cmdimport = new QPushButton(QStringLiteral("&Import Race Data..."), this);
    cmdimport->setObjectName(QStringLiteral("cmdimport"));
    cmdsample = new QPushButton(QStringLiteral("Try &Sample Data"), this);
    cmdsample->setObjectName(QStringLiteral("cmdsample"));
    barsample = new QProgressBar(this);
    barsample->setObjectName(QStringLiteral("barsample"));
    barsample->setFormat(QStringLiteral("Making sample data: %p%"));
    barsample->hide();
    connect(cmdimport, &QPushButton::clicked, import, &QAction::trigger);
    // Not while an import runs.
    connect(import, &QAction::enabledChanged, cmdimport, &QWidget::setEnabled);
    connect(cmdsample, &QPushButton::clicked, this, &StartPanel::cmdsample_Click);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(cmdimport);
    buttons->addWidget(cmdsample);
    buttons->addStretch();
    auto* column = new QVBoxLayout;
    column->addWidget(lblhowto);
    column->addLayout(buttons);
    column->addWidget(barsample);
    column->addStretch();
    auto* centred = new QHBoxLayout(this);
    centred->addStretch(1);
    centred->addLayout(column, 4);
    centred->addStretch(1);

    grid->installEventFilter(this);
    setGeometry(grid->rect());
    hide();
}

bool StartPanel::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_grid && event->type() == QEvent::Resize)
        setGeometry(m_grid->rect());
    return QFrame::eventFilter(watched, event);
}

/** True when the database holds no race; a database that cannot be read is left to the searches to report. */
static bool emptyDatabase(const QString& path)
{
    Database db;
    if (!db.open(path, 0))
        return false;
    Sql::Statement q = db.prepare("SELECT 1 FROM tblraces LIMIT 1");
    return q && !q.next() && !q.failed();
}

void StartPanel::sync()
{
    const GridState& grid = m_state.MSFlexGrid1;
    const bool unsearched = grid.rows() == 2 && grid.text(1, 0).isEmpty();
    const bool show = unsearched && emptyDatabase(m_state.databasePath());
    setVisible(show);
    if (show)
        raise();
}

void StartPanel::cmdsample_Click()
{
    Platform& platform = m_state.platform();
    const QString dir = SampleData::folderFor(playerDataFolder());
    // Made once: later clicks, and later runs, open the sample already there.
    if (!QFileInfo::exists(QDir(dir).filePath(QStringLiteral("horses.mdb")))) {
        BusyPointer busy(platform);
        cmdsample->setEnabled(false);
        barsample->show();
        QString error;
        const bool made = SampleData::make(dir, sampleWeeks, 1, error, [this](int done, int total) {
            barsample->setRange(0, total);
            barsample->setValue(done);
            barsample->repaint();
        });
        barsample->hide();
        cmdsample->setEnabled(true);
        if (!made) {
            platform.message(QStringLiteral("The sample data could not be made.\r\r") + error);
            return;
        }
    }
    if (!platform.startProgram(QCoreApplication::applicationFilePath(), {QStringLiteral("--dir"), dir}))
        platform.message(QStringLiteral("Turf Trawler could not be started on the sample data in %1.")
                             .arg(QDir::toNativeSeparators(dir)));
}
