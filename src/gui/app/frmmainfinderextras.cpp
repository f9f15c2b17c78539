// The main window's conveniences around the program's own commands: the status bar that follows an import,
// dropping files to import, File > Exit, Help > About, column tooltips and a window that keeps its size.

#include "core/format.h"
#include "db/databasesummary.h"
#include "gui/app/columntips.h"
#include "gui/app/frmmainfinder.h"
#include "gui/app/statusprogress.h"
#include "gui/app/steadywidgets.h"
#include "gui/app/windowgeometry.h"
#include "gui/widgets/gridview.h"

#include <QAction>
#include <QCheckBox>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QLocale>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QStatusBar>

/** The local files among dropped items; empty when anything else is among them. */
static QStringList droppedFiles(const QMimeData* data)
{
    QStringList paths;
    if (!data || !data->hasUrls())
        return paths;
    for (const QUrl& url : data->urls()) {
        if (!url.isLocalFile() || !QFileInfo(url.toLocalFile()).isFile())
            return {};
        paths << url.toLocalFile();
    }
    return paths;
}

void frmmainfinder::buildConveniences()
{
    m_statusProgress = std::make_unique<StatusProgress>(statusBar());
    setAcceptDrops(true);

    filemenu->addSeparator();
    // "x" belongs to "E&xport to Text File".
    cmdexit = filemenu->addAction(QStringLiteral("Exi&t"), this, &QWidget::close);
    cmdexit->setObjectName(QStringLiteral("cmdexit"));
    cmdexit->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
    helpmenu = menuBar()->addMenu(QStringLiteral("&Help"));
    helpmenu->setObjectName(QStringLiteral("helpmenu"));
    cmdabout =
        helpmenu->addAction(QStringLiteral("&About Turf Trawler"), this, &frmmainfinder::cmdabout_Click);
    cmdabout->setObjectName(QStringLiteral("cmdabout"));

    chkname->setToolTip(QStringLiteral("Search by this name"));
    chkid->setToolTip(QStringLiteral("Search by this ID (or race number)"));
    txtinjury->setToolTip(QStringLiteral("Injury exclusion: the horse statistics leave out races run slower "
                                         "than this speed figure"));
    txtnum->setToolTip(QStringLiteral("Least number of starts a progeny needs to count in the statistics"));
    chk2yo->setToolTip(QStringLiteral("Count two-year-olds only (unticked: older horses only)"));
    MSFlexGrid1->gridModel()->headerTip = resultsColumnTip;
    // Tab moves on to the next control, as everywhere else in the window, instead of from cell to cell.
    MSFlexGrid1->setTabKeyNavigation(false);
    keepWindowSize();
}

void frmmainfinder::keepWindowSize()
{
    // A window grows whenever the least size of a child does, and the statistics change with every search:
    // the grids widen to their figures, the labels take the summaries. The statistics therefore sit in an
    // area that scrolls when the window is narrower than they are, the labels are cut at the window's edge,
    // and lblprogress keeps the height of the longest summary from the start.
    for (QLabel* label : {lblprogress, lblfastest})
        label->setSizePolicy(QSizePolicy::Ignored, label->sizePolicy().verticalPolicy());
    const int summaryLines = 9;
    lblprogress->setMinimumHeight(summaryLines * lblprogress->fontMetrics().lineSpacing() +
                                  2 * lblprogress->margin());
    QWidget* stats = frainfo->parentWidget();
    auto* area = new SidewaysScrollArea;
    area->setObjectName(QStringLiteral("statsarea"));
    area->setFrameShape(QFrame::NoFrame);
    area->setWidgetResizable(true);
    delete centralWidget()->layout()->replaceWidget(stats, area);
    area->setWidget(stats);
    area->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    area->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
}

void frmmainfinder::dragEnterEvent(QDragEnterEvent* event)
{
    if (!droppedFiles(event->mimeData()).isEmpty())
        event->acceptProposedAction();
}

void frmmainfinder::dropEvent(QDropEvent* event)
{
    const QStringList paths = droppedFiles(event->mimeData());
    if (paths.isEmpty())
        return;
    event->acceptProposedAction();
    // The program the files came from waits for the drop to end; the import runs once it has.
    QMetaObject::invokeMethod(
        this, [this, paths] { importDropped(paths); }, Qt::QueuedConnection);
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
