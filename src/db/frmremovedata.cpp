#include "db/frmremovedata.h"

#include "core/mainwindowstate.h"
#include "db/maintenance.h"

#include <QHBoxLayout>
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
    // Each click selects or clears its entry, whatever else is selected.
    lstweeks->setSelectionMode(QAbstractItemView::MultiSelection);
    lstweeks->addItems(weeks);
    cmdremove = new QPushButton(QStringLiteral("Remove Data"), this);
    cmdremove->setObjectName(QStringLiteral("cmdremove"));
    cmdcancel = new QPushButton(QStringLiteral("Cancel"), this);
    cmdcancel->setObjectName(QStringLiteral("cmdcancel"));

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lstweeks);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(cmdremove);
    buttons->addWidget(cmdcancel);
    layout->addLayout(buttons);
    resize(300, 360);

    connect(cmdremove, &QPushButton::clicked, this, &frmremovedata::cmdremove_Click);
    connect(cmdcancel, &QPushButton::clicked, this, &frmremovedata::cmdcancel_Click);
}

void frmremovedata::cmdremove_Click()
{
    // The selection in list order, newest week first, whatever order it was clicked in.
    QStringList selected;
    for (int i = 0; i < lstweeks->count(); ++i) {
        if (lstweeks->item(i)->isSelected())
            selected << lstweeks->item(i)->text();
    }
    hide();
    removeweeks(m_f, selected);
    emit stateChanged();
    close();
}

void frmremovedata::cmdcancel_Click()
{
    close();
}
