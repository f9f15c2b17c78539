#include "gui/db/frmremovedata.h"

#include "core/mainwindowstate.h"
#include "db/maintenance.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

frmremovedata::frmremovedata(MainWindowState& f, const QStringList& weeks, QWidget* parent)
    : QWidget(parent, Qt::Window), m_f(f)
{
    setObjectName(QStringLiteral("frmremovedata"));
    setWindowTitle(QStringLiteral("Remove Which Week of Data?"));
    lstweeks = new QListWidget(this);
    lstweeks->setObjectName(QStringLiteral("lstweeks"));
    // Each click selects or clears its entry, whatever else is selected; the keys move the current entry
    // without selecting, and Space selects or clears it.
    lstweeks->setSelectionMode(QAbstractItemView::MultiSelection);
    lstweeks->addItems(weeks);
    // A tick beside each selected entry and the line below the list show the selection whatever entry has
    // the focus and wherever the list is scrolled.
    for (int i = 0; i < lstweeks->count(); ++i) {
        QListWidgetItem* item = lstweeks->item(i);
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(Qt::Unchecked);
    }
    lblselected = new QLabel(this);
    lblselected->setObjectName(QStringLiteral("lblselected"));
    lblselected->setWordWrap(true);
    cmdremove = new QPushButton(QStringLiteral("Remove Data"), this);
    cmdremove->setObjectName(QStringLiteral("cmdremove"));
    cmdcancel = new QPushButton(QStringLiteral("Cancel"), this);
    cmdcancel->setObjectName(QStringLiteral("cmdcancel"));

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lstweeks);
    layout->addWidget(lblselected);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(cmdremove);
    buttons->addWidget(cmdcancel);
    layout->addLayout(buttons);
    resize(300, 360);

    connect(lstweeks, &QListWidget::itemSelectionChanged, this, &frmremovedata::showSelection);
    connect(lstweeks, &QListWidget::itemChanged, this, [this](QListWidgetItem* item) {
        // A click on the tick itself selects or clears the entry as a click on its text does.
        const bool ticked = item->checkState() == Qt::Checked;
        if (item->isSelected() != ticked)
            item->setSelected(ticked);
    });
    showSelection();
    connect(cmdremove, &QPushButton::clicked, this, &frmremovedata::cmdremove_Click);
    connect(cmdcancel, &QPushButton::clicked, this, &frmremovedata::cmdcancel_Click);
}

QStringList frmremovedata::selectedWeeks() const
{
    // The selection in list order, newest week first, whatever order it was clicked in.
    QStringList selected;
    for (int i = 0; i < lstweeks->count(); ++i) {
        if (lstweeks->item(i)->isSelected())
            selected << lstweeks->item(i)->text();
    }
    return selected;
}

void frmremovedata::showSelection()
{
    const QStringList selected = selectedWeeks();
    const QSignalBlocker quiet(lstweeks);
    for (int i = 0; i < lstweeks->count(); ++i) {
        QListWidgetItem* item = lstweeks->item(i);
        item->setCheckState(item->isSelected() ? Qt::Checked : Qt::Unchecked);
    }
    lblselected->setText(selected.isEmpty()
                             ? QStringLiteral("No week selected.")
                             : QStringLiteral("Selected: ") + selected.join(QStringLiteral(", ")));
    cmdremove->setEnabled(!selected.isEmpty());
}

void frmremovedata::cmdremove_Click()
{
    const QStringList selected = selectedWeeks();
    hide();
    removeweeks(m_f, selected);
    emit stateChanged();
    close();
}

void frmremovedata::cmdcancel_Click()
{
    close();
}
