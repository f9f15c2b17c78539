#include "gui/app/filedrop.h"

#include <QDropEvent>
#include <QFileInfo>
#include <QMimeData>
#include <QWidget>

FileDrop::FileDrop(QWidget* target, std::function<bool()> accepting,
                   std::function<void(const QStringList&)> dropped)
    : QObject(target), m_accepting(std::move(accepting)), m_dropped(std::move(dropped))
{
    target->setAcceptDrops(true);
    target->installEventFilter(this);
}

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

bool FileDrop::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::DragEnter && event->type() != QEvent::Drop)
        return QObject::eventFilter(watched, event);
    auto* drop = static_cast<QDropEvent*>(event);
    const QStringList paths = droppedFiles(drop->mimeData());
    if (paths.isEmpty() || !m_accepting())
        return true;
    drop->acceptProposedAction();
    if (event->type() == QEvent::Drop)
        QMetaObject::invokeMethod(
            this, [this, paths] { m_dropped(paths); }, Qt::QueuedConnection);
    return true;
}
