#include "gui/app/windowgeometry.h"

#include <QFileInfo>
#include <QSettings>
#include <QWidget>

static const QString GeometryKey = QStringLiteral("window/geometry");
static const QString FolderKey = QStringLiteral("import/folder");

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

void WindowGeometry::save(const QWidget* window, const QString& programPath, const QString& importFolder)
{
    QSettings file(programPath + fileName(), QSettings::IniFormat);
    file.setValue(GeometryKey, window->saveGeometry());
    if (!importFolder.isEmpty())
        file.setValue(FolderKey, importFolder);
}
