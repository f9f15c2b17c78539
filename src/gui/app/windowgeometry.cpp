#include "gui/app/windowgeometry.h"

#include <QFileInfo>
#include <QGuiApplication>
#include <QScreen>
#include <QSettings>
#include <QStyle>
#include <QWidget>

#include <algorithm>
#include <cmath>

static const QString GeometryKey = QStringLiteral("window/geometry");
static const QString FolderKey = QStringLiteral("import/folder");
static const QString ZoomKey = QStringLiteral("grid/zoom");

QString WindowGeometry::fileName()
{
    return QStringLiteral("TurfTrawlerWindow.ini");
}

bool WindowGeometry::restore(QWidget* window, const QString& programPath)
{
    const QString path = programPath + fileName();
    if (!QFileInfo::exists(path))
        return false;
    const QSettings file(path, QSettings::IniFormat);
    // restoreGeometry keeps the window on a screen that is there now, should the screens have changed.
    return window->restoreGeometry(file.value(GeometryKey).toByteArray());
}

QString WindowGeometry::importFolder(const QString& programPath)
{
    const QString path = programPath + fileName();
    return QFileInfo::exists(path) ? QSettings(path, QSettings::IniFormat).value(FolderKey).toString()
                                   : QString();
}

double WindowGeometry::gridZoom(const QString& programPath)
{
    const QString path = programPath + fileName();
    if (!QFileInfo::exists(path))
        return 1;
    // In percent; a value out of reason is none.
    const int percent = QSettings(path, QSettings::IniFormat).value(ZoomKey, 100).toInt();
    return percent >= 50 && percent <= 400 ? percent / 100.0 : 1;
}

void WindowGeometry::save(const QWidget* window, const QString& programPath, const QString& importFolder,
                          double gridZoom)
{
    QSettings file(programPath + fileName(), QSettings::IniFormat);
    file.setValue(GeometryKey, window->saveGeometry());
    file.setValue(ZoomKey, int(std::lround(gridZoom * 100)));
    if (!importFolder.isEmpty())
        file.setValue(FolderKey, importFolder);
}

namespace
{

/** The room a shown window's frame takes around its contents. */
QMargins frameMargins(const QWidget* window)
{
    const QRect inner = window->geometry(), outer = window->frameGeometry();
    return {inner.left() - outer.left(), inner.top() - outer.top(), outer.right() - inner.right(),
            outer.bottom() - inner.bottom()};
}

/** Moves the window, and shrinks it when need be, so that its frame lies wholly in the screen's free area. */
void placeWithin(QWidget* window, QRect frame, const QMargins& margins, const QRect& area)
{
    const QSize fits = frame.size().boundedTo(area.size());
    if (fits != frame.size()) {
        frame.setSize(fits);
        window->resize(fits.shrunkBy(margins));
    }
    frame.moveLeft(std::clamp(frame.left(), area.left(), area.right() - frame.width() + 1));
    frame.moveTop(std::clamp(frame.top(), area.top(), area.bottom() - frame.height() + 1));
    window->move(frame.topLeft());
}

} // namespace

void WindowGeometry::centreOn(QWidget* window, const QWidget* mainWindow)
{
    if (!window->testAttribute(Qt::WA_Resized))
        window->adjustSize();
    // Not shown yet, the small window has no frame: the main window's tells how much it will take.
    const QMargins margins = frameMargins(mainWindow);
    QRect frame(QPoint(), window->size().grownBy(margins));
    frame.moveCenter(mainWindow->frameGeometry().center());
    placeWithin(window, frame, margins, mainWindow->screen()->availableGeometry());
}

void WindowGeometry::placeAfter(QWidget* window, QPoint first)
{
    // Far enough for the first window's caption to show above this one's.
    const int step = 2 * window->style()->pixelMetric(QStyle::PM_TitleBarHeight);
    const QMargins margins(0, window->style()->pixelMetric(QStyle::PM_TitleBarHeight), 0, 0);
    const QScreen* screen = QGuiApplication::screenAt(first);
    const QRect area = (screen ? screen : window->screen())->availableGeometry();
    placeWithin(window, QRect(first + QPoint(step, step), window->size().grownBy(margins)), margins, area);
}
