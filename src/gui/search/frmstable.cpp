#include "gui/search/frmstable.h"

#include "core/mainwindowstate.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace
{

template <typename W> W* named(const QString& name, const QString& text = QString())
{
    W* w = new W(text);
    w->setObjectName(name);
    return w;
}

} // namespace

frmstable::frmstable(MainWindowState& f, MainWindowRunner run, QWidget* mainWindow)
    : QWidget(mainWindow, Qt::Window), m_f(f), m_run(std::move(run))
{
    setObjectName(QStringLiteral("frmstable"));
    setWindowTitle(QStringLiteral("Special Stable Search"));
    setAttribute(Qt::WA_DeleteOnClose);

    fraowners = named<QGroupBox>(QStringLiteral("fraowners"), QStringLiteral("Trainer Names"));
    auto* boxes = new QGridLayout(fraowners);
    for (int i = 0; i < 4; ++i) {
        Label[i] =
            named<QLabel>(QStringLiteral("Label%1").arg(i + 1), QStringLiteral("Stable #%1:").arg(i + 1));
        txto1[i] = named<QLineEdit>(QStringLiteral("txto1_%1").arg(i));
        txto1[i]->setMinimumWidth(220);
        boxes->addWidget(Label[i], i, 0);
        boxes->addWidget(txto1[i], i, 1);
    }
    lbl = named<QLabel>(
        QStringLiteral("lbl"),
        QStringLiteral("Note: wildcard searches may not work with this procedure.  Do not use a * or ? in a "
                       "name."));
    lbl->setWordWrap(true);
    // Only the holder of the expression that the search passes on.
    lblquerystring = named<QLabel>(QStringLiteral("lblquerystring"));
    lblquerystring->hide();
    cmdgo = named<QPushButton>(QStringLiteral("cmdgo"), QStringLiteral("Search!"));
    cmdcancel = named<QPushButton>(QStringLiteral("cmdcancel"), QStringLiteral("Cancel"));
    auto* goRow = new QHBoxLayout;
    goRow->addWidget(cmdgo);
    goRow->addWidget(cmdcancel);
    auto* left = new QVBoxLayout;
    left->addWidget(fraowners);
    left->addWidget(lbl);
    left->addWidget(lblquerystring);
    left->addLayout(goRow);
    left->addStretch(1);

    frasaveload = named<QGroupBox>(QStringLiteral("frasaveload"), QStringLiteral("Save / Load Names"));
    auto* saveLoad = new QVBoxLayout(frasaveload);
    lstnames = new QListWidget;
    lstnames->setObjectName(QStringLiteral("lstnames"));
    lstnames->setMinimumWidth(360);
    saveLoad->addWidget(lstnames);
    auto* listButtons = new QHBoxLayout;
    cmdadd = named<QPushButton>(QStringLiteral("cmdadd"), QStringLiteral("Add"));
    cmddelete = named<QPushButton>(QStringLiteral("cmddelete"), QStringLiteral("Delete"));
    cmdload = named<QPushButton>(QStringLiteral("cmdload"), QStringLiteral("Load"));
    cmduse = named<QPushButton>(QStringLiteral("cmduse"), QStringLiteral("Use"));
    for (QPushButton* b : {cmdadd, cmddelete, cmdload, cmduse})
        listButtons->addWidget(b);
    saveLoad->addLayout(listButtons);

    auto* layout = new QHBoxLayout(this);
    layout->addLayout(left);
    layout->addWidget(frasaveload, 1);

    connect(cmdgo, &QPushButton::clicked, this, &frmstable::cmdgo_Click);
    connect(cmdcancel, &QPushButton::clicked, this, &frmstable::cmdcancel_Click);
    connect(cmdadd, &QPushButton::clicked, this, &frmstable::cmdadd_Click);
    connect(cmddelete, &QPushButton::clicked, this, &frmstable::cmddelete_Click);
    connect(cmdload, &QPushButton::clicked, this, &frmstable::cmdload_Click);
    connect(cmduse, &QPushButton::clicked, this, &frmstable::cmduse_Click);
    connect(lstnames, &QListWidget::itemDoubleClicked, this, &frmstable::cmduse_Click);

    // Form_Load: the saved sets are listed when the window opens.
    cmdload_Click();
}

template <typename Op> void frmstable::run(Op op)
{
    for (int i = 0; i < 4; ++i)
        m_state.txto1[i] = txto1[i]->text();
    const QList<QListWidgetItem*> selected = lstnames->selectedItems();
    m_state.ListIndex = selected.isEmpty() ? -1 : lstnames->row(selected.first());
    op(m_f, m_state);
    for (int i = 0; i < 4; ++i)
        txto1[i]->setText(m_state.txto1[i]);
    QStringList shown;
    for (int r = 0; r < lstnames->count(); ++r)
        shown << lstnames->item(r)->text();
    if (shown != m_state.lstnames) {
        lstnames->clear();
        lstnames->addItems(m_state.lstnames);
    }
    if (m_state.ListIndex >= 0)
        lstnames->setCurrentRow(m_state.ListIndex);
    else
        lstnames->clearSelection();
    lblquerystring->setText(m_state.lblquerystring);
}

void frmstable::cmdgo_Click()
{
    bool ready = false;
    run([&](MainWindowState& f, StableState& s) { ready = buildStableQuery(f.platform(), s); });
    if (!ready)
        return;
    hide();
    if (QWidget* main = parentWidget()) {
        main->show();
        main->activateWindow();
    }
    m_run([this](MainWindowState& f) { stableSearch(f, m_state); });
    deleteLater();
}

void frmstable::cmdcancel_Click()
{
    hide();
    if (QWidget* main = parentWidget())
        main->activateWindow();
    close();
}

void frmstable::cmdadd_Click()
{
    run(::cmdadd_Click);
}

void frmstable::cmddelete_Click()
{
    run(::cmddelete_Click);
}

void frmstable::cmdload_Click()
{
    run(::cmdload_Click);
}

void frmstable::cmduse_Click()
{
    run(::cmduse_Click);
}
