#include "gui/db/frmedittracks.h"

#include "core/format.h"
#include "db/maintenance.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

frmedittracks::frmedittracks(Platform& platform, const QString& dbPath, QWidget* parent)
    : QWidget(parent, Qt::Window), m_platform(platform), m_dbPath(dbPath)
{
    setObjectName(QStringLiteral("frmedittracks"));
    setWindowTitle(QStringLiteral("Edit Tracks"));

    franewtracks = new QGroupBox(QStringLiteral("Add Track . . ."), this);
    lbltracknum = new QLabel(QStringLiteral("Track #:"), franewtracks);
    txttracknum = new QLineEdit(franewtracks);
    lbltrackcode = new QLabel(QStringLiteral("Track Code:"), franewtracks);
    txttrackcode = new QLineEdit(franewtracks);
    cmdaddtrack = new QPushButton(QStringLiteral("Add Track"), franewtracks);
    auto* add = new QGridLayout(franewtracks);
    add->addWidget(lbltracknum, 0, 0);
    add->addWidget(txttracknum, 0, 1);
    add->addWidget(lbltrackcode, 1, 0);
    add->addWidget(txttrackcode, 1, 1);
    add->addWidget(cmdaddtrack, 2, 0, 1, 2);

    fratracklist = new QGroupBox(QStringLiteral("Current Track List"), this);
    lsttracks = new QListWidget(fratracklist);
    lsttracks->setSelectionMode(QAbstractItemView::SingleSelection);
    cmddeletetrack = new QPushButton(QStringLiteral("Delete Track"), fratracklist);
    auto* list = new QVBoxLayout(fratracklist);
    list->addWidget(lsttracks);
    list->addWidget(cmddeletetrack);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(franewtracks);
    layout->addWidget(fratracklist, 1);
    resize(280, 420);

    const std::pair<QObject*, const char*> names[] = {
        {franewtracks, "franewtracks"}, {lbltracknum, "lbltracknum"},   {txttracknum, "txttracknum"},
        {lbltrackcode, "lbltrackcode"}, {txttrackcode, "txttrackcode"}, {cmdaddtrack, "cmdaddtrack"},
        {fratracklist, "fratracklist"}, {lsttracks, "lsttracks"},       {cmddeletetrack, "cmddeletetrack"}};
    for (const auto& [object, name] : names)
        object->setObjectName(QLatin1String(name));

    connect(cmdaddtrack, &QPushButton::clicked, this, &frmedittracks::cmdaddtrack_Click);
    connect(cmddeletetrack, &QPushButton::clicked, this, &frmedittracks::cmddeletetrack_Click);
    Form_Load();
}

void frmedittracks::Form_Load()
{
    loadtracks();
}

void frmedittracks::loadtracks()
{
    lsttracks->clear();
    if (const auto entries = ::loadtracks(m_platform, m_dbPath))
        lsttracks->addItems(*entries);
}

void frmedittracks::cmdaddtrack_Click()
{
    const QString number = txttracknum->text(), code = txttrackcode->text();
    const TrackOutcome outcome = addtrack(m_platform, m_dbPath, number, code);
    if (outcome == TrackOutcome::Stored) {
        txttracknum->clear();
        txttrackcode->clear();
    }
    if (outcome != TrackOutcome::Refused)
        loadtracks();
    if (outcome == TrackOutcome::Stored)
        emit changed(QStringLiteral("Track %1: %2 added.")
                         .arg(Fmt::fixed(Fmt::roundHalfEven(number.trimmed().toDouble()), 0, 2), code));
}

void frmedittracks::cmddeletetrack_Click()
{
    const QList<QListWidgetItem*> selected = lsttracks->selectedItems();
    const QString entry = selected.isEmpty() ? QString() : selected.first()->text();
    const TrackOutcome outcome = deletetrack(m_platform, m_dbPath, entry);
    if (outcome != TrackOutcome::Refused)
        loadtracks();
    if (outcome == TrackOutcome::Stored)
        emit changed(QStringLiteral("Track %1 deleted.").arg(entry));
}
