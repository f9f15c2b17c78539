#pragma once

#include <QObject>
#include <QStringList>

#include <functional>

class QWidget;

/**
 * Lets local files be dropped on a window: a drag of files is accepted while `accepting` says so (anything
 * but local files never is), and the files dropped go to `dropped` once the drop has ended, so that the
 * program they came from is not kept waiting.
 */
class FileDrop : public QObject
{
public:
    FileDrop(QWidget* target, std::function<bool()> accepting,
             std::function<void(const QStringList&)> dropped);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::function<bool()> m_accepting;
    std::function<void(const QStringList&)> m_dropped;
};
