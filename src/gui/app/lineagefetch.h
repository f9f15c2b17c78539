#pragma once

#include "lineage/getlineage.h"

#include <QObject>
#include <QPointer>

class MainWindowState;
class QPushButton;
class QStatusBar;

/**
 * A lineage request that leaves the main window usable while the page is on its way: the busy pointer and
 * "Fetching the page of 502771..." in the status line while it waits, and a Cancel button in the status bar
 * that drops it. One request at a time; a new one replaces the one before.
 */
class LineageFetch : public QObject
{
    Q_OBJECT
public:
    /** What to do with the page that came, or with why none did. */
    using Then = std::function<void(const LineageRequest& request, const QString& page, const QString& why)>;

    LineageFetch(MainWindowState& f, QStatusBar* bar, QObject* parent);
    ~LineageFetch() override;

    /** Fetches the request's page, then runs `then` with it unless the request is cancelled first. */
    void start(const LineageRequest& request, Then then);
    /** The status bar's Cancel: drops the request in progress and says so. */
    void cancel();
    QPushButton* cancelButton() const;

private:
    void drop();
    void finish();

    MainWindowState& m_f;
    QPointer<QPushButton> m_cancel;
    bool m_waiting = false;
};
