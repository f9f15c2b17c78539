#pragma once

#include "analysis/definitions.h"
#include "analysis/table.h"
#include "db/database.h"
#include "search/startlisting.h"

#include <QCoreApplication>
#include <QPointer>
#include <QThreadPool>
#include <QWidget>

#include <functional>
#include <memory>
#include <optional>

class AnalysisTableModel;
class MainWindowState;
class QHBoxLayout;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QSortFilterProxyModel;
class QTableView;
class QVBoxLayout;

/**
 * What every analysis window has: the window of weeks (two week fields), Run (Enter), Cancel, Export...
 * (the table as CSV), a status line, and tables on Qt models that sort by a heading's click on their raw
 * values. Runs an analysis off the window's thread, on a connection of its own, while the window stays
 * usable; lists a row's starts in the results grid through the main window. Escape closes it.
 */
class AnalysisPanel : public QWidget
{
    Q_OBJECT
public:
    /** Runs an operation on the main window's state, reading its panel before and showing the result after.
     */
    using Runner = std::function<void(const std::function<void(MainWindowState&)>&)>;

    AnalysisPanel(const QString& name, const QString& title, MainWindowState& state, Runner run,
                  QWidget* mainWindow);

    QLineEdit* txtfirstweek = nullptr;
    QLineEdit* txtlastweek = nullptr;
    QPushButton* cmdrun = nullptr;
    QPushButton* cmdcancel = nullptr;
    QPushButton* cmdexport = nullptr;
    QLabel* lblstatus = nullptr;

    /** Runs the analysis with the window's weeks; what each window computes. */
    virtual void cmdrun_Click() = 0;
    /** Writes the table the player was last in (the first when none) to a CSV file the player chooses. */
    void cmdexport_Click();
    /** Forgets the analysis that runs: its outcome is not shown. */
    void cmdcancel_Click();
    /** True while an analysis runs. */
    bool busy() const { return m_busy; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    bool event(QEvent* event) override;
    /** Shows what the main window's state offers now (a breeding file chosen since, say); called whenever the
        window is shown or comes to the front. */
    virtual void followMainWindow() {}
    /** A sorting table on a model of its own, added below the controls; `stretch` as the layout's. */
    QTableView* addTable(const QString& name, int stretch = 1);
    /** Shows an analysis table in one of the window's tables, in the analysis's order. */
    void showTable(QTableView* view, Analysis::AnalysisTable table);
    /** The analysis table's row of a view's row (the view sorts). */
    int tableRow(QTableView* view, const QModelIndex& index) const;
    /** For an analysis of every stored week: hides the week fields. */
    void hideWeeks();
    /** Where a window adds its own boxes, before Run. */
    QHBoxLayout* controls() const { return m_controls; }
    QVBoxLayout* content() const { return m_content; }
    /** Lists starts in the results grid of the main window, and brings it up. */
    void listStarts(const StartListing& listing);
    /** Runs an operation on the main window, as listStarts() does. */
    void runOnMain(const std::function<void(MainWindowState&)>& op);
    MainWindowState& state() const { return m_state; }

    /**
     * Runs `work` on a connection of its own with the window's weeks, off the window's thread, and hands its
     * result to `done` on the window's thread; a failure, or weeks that cannot be read, show their message.
     * Nothing is shown when the window has closed or the run was cancelled meanwhile.
     */
    template <typename T>
    void start(std::function<Analysis::Result<T>(Database&, const Analysis::Weeks&)> work,
               std::function<void(T&&)> done)
    {
        const quint64 run = begin();
        QPointer<AnalysisPanel> self(this);
        const QString path = databasePath(), first = m_first, last = m_last;
        QThreadPool::globalInstance()->start([=] {
            Database db;
            const auto weeks = openWeeks(db, path, first, last);
            auto outcome = std::make_shared<std::optional<Analysis::Result<T>>>(
                weeks ? work(db, *weeks) : Analysis::Result<T>::failure(weeks.error()));
            db.close();
            QMetaObject::invokeMethod(
                QCoreApplication::instance(),
                [self, run, outcome, done] {
                    if (!self || !self->end(run, (*outcome)->error()))
                        return;
                    done(std::move(***outcome));
                },
                Qt::QueuedConnection);
        });
    }

private:
    /** Reads the week fields and disables Run; the run's number. */
    quint64 begin();
    /** Ends run `run`: false when it is not the one awaited (or it failed, with its message shown). */
    bool end(quint64 run, const QString& error);
    QString databasePath() const;
    static Analysis::Result<Analysis::Weeks> openWeeks(Database& db, const QString& path,
                                                       const QString& first, const QString& last);

    MainWindowState& m_state;
    Runner m_run;
    QWidget* m_weeks = nullptr; // the week fields with their labels
    QProgressBar* m_busyBar = nullptr;
    QHBoxLayout* m_controls = nullptr;
    QVBoxLayout* m_content = nullptr;
    QList<QTableView*> m_tables;
    QPointer<QTableView> m_lastTable;
    QString m_first, m_last;
    quint64 m_runs = 0;
    bool m_busy = false;
};
