#include "gui/search/frmwatchlist.h"

#include "core/mainwindowstate.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

frmwatchlist::frmwatchlist(MainWindowState& f, QWidget* mainWindow) : QWidget(mainWindow, Qt::Window), m_f(f)
{
    setObjectName(QStringLiteral("frmwatchlist"));
    setWindowTitle(QStringLiteral("Watch List"));
    setAttribute(Qt::WA_DeleteOnClose);

    lblname = new QLabel(QStringLiteral("&Name:"));
    txtname = new QLineEdit;
    txtname->setObjectName(QStringLiteral("txtname"));
    txtname->setMinimumWidth(240);
    lblname->setBuddy(txtname);
    lblid = new QLabel(QStringLiteral("&ID (optional):"));
    txtid = new QLineEdit;
    txtid->setObjectName(QStringLiteral("txtid"));
    txtid->setMaximumWidth(110);
    lblid->setBuddy(txtid);
    cmdaddhorse = new QPushButton(QStringLiteral("Add &Horse"));
    cmdaddhorse->setObjectName(QStringLiteral("cmdaddhorse"));
    cmdaddowner = new QPushButton(QStringLiteral("Add &Owner"));
    cmdaddowner->setObjectName(QStringLiteral("cmdaddowner"));
    lstwatch = new QListWidget;
    lstwatch->setObjectName(QStringLiteral("lstwatch"));
    lstwatch->setMinimumSize(360, 220);
    cmdremove = new QPushButton(QStringLiteral("&Remove"));
    cmdremove->setObjectName(QStringLiteral("cmdremove"));
    cmdclose = new QPushButton(QStringLiteral("Close"));
    cmdclose->setObjectName(QStringLiteral("cmdclose"));

    auto* boxes = new QGridLayout;
    boxes->addWidget(lblname, 0, 0);
    boxes->addWidget(txtname, 0, 1);
    boxes->addWidget(cmdaddhorse, 0, 2);
    boxes->addWidget(lblid, 1, 0);
    boxes->addWidget(txtid, 1, 1, Qt::AlignLeft);
    boxes->addWidget(cmdaddowner, 1, 2);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(cmdremove);
    buttons->addStretch(1);
    buttons->addWidget(cmdclose);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(boxes);
    layout->addWidget(lstwatch, 1);
    layout->addLayout(buttons);

    connect(cmdaddhorse, &QPushButton::clicked, this, &frmwatchlist::cmdaddhorse_Click);
    connect(cmdaddowner, &QPushButton::clicked, this, &frmwatchlist::cmdaddowner_Click);
    connect(cmdremove, &QPushButton::clicked, this, &frmwatchlist::cmdremove_Click);
    connect(cmdclose, &QPushButton::clicked, this, &QWidget::close);

    // A list that cannot be read is shown empty after its message; every change then says the same and
    // leaves the file alone.
    const Watchlist::ReadResult r = Watchlist::read(Watchlist::path(m_f));
    if (!r.error.isEmpty())
        m_f.platform().message(r.error);
    showList(r.entries);
}

void frmwatchlist::showList(const QList<WatchEntry>& entries)
{
    m_entries = entries;
    lstwatch->clear();
    for (const WatchEntry& e : entries)
        lstwatch->addItem(e.text());
}

void frmwatchlist::add(WatchEntry::Kind kind)
{
    const Watchlist::Checked c = Watchlist::check(kind, txtname->text(), txtid->text());
    if (!c.error.isEmpty()) {
        m_f.platform().message(c.error);
        return;
    }
    QList<WatchEntry> entries;
    if (!Watchlist::add(m_f, c.entry, entries))
        return;
    showList(entries);
    lstwatch->setCurrentRow(int(entries.size()) - 1);
    txtname->clear();
    txtid->clear();
    txtname->setFocus();
}

void frmwatchlist::cmdaddhorse_Click()
{
    add(WatchEntry::Kind::Horse);
}

void frmwatchlist::cmdaddowner_Click()
{
    add(WatchEntry::Kind::Owner);
}

void frmwatchlist::cmdremove_Click()
{
    const int row = lstwatch->currentRow();
    if (row < 0 || row >= m_entries.size() || lstwatch->selectedItems().isEmpty()) {
        m_f.platform().message(QStringLiteral("Please select an entry to remove."));
        return;
    }
    QList<WatchEntry> entries;
    if (Watchlist::remove(m_f, m_entries.at(row), entries))
        showList(entries);
}
