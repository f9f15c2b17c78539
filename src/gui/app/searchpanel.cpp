#include "gui/app/searchpanel.h"

#include "gui/app/named.h"
#include "search/searchquery.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

SearchPanel::SearchPanel(Platform& platform, QWidget* parent) : QWidget(parent), m_platform(platform)
{
    setObjectName(QStringLiteral("searchpanel"));
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->addWidget(buildModes());
    row->addWidget(buildInputs(), 1);
    row->addWidget(buildCriteria());

    auto* buttons = new QVBoxLayout;
    cmdgethorse = named<QPushButton>("cmdgethorse", QStringLiteral("GO!"));
    cmdspecial = named<QPushButton>("cmdspecial", QStringLiteral("Multi."));
    buttons->addWidget(cmdgethorse);
    buttons->addWidget(cmdspecial);
    row->addLayout(buttons);

    auto* injury = new QVBoxLayout;
    lblinjurytest = named<QLabel>("lblinjurytest");
    txtinjury = named<QLineEdit>("txtinjury", QStringLiteral("30"));
    injury->addWidget(lblinjurytest);
    injury->addWidget(txtinjury);
    row->addLayout(injury);
    applyInputRules();
}

QWidget* SearchPanel::buildModes()
{
    frahorsesorowners = named<QGroupBox>(
        "frahorsesorowners", QStringLiteral("Type of Search -- Horse Information or Sire Searches"));
    auto* modes = new QGridLayout(frahorsesorowners);
    opthorse = named<QRadioButton>("opthorse", QStringLiteral("Horse"));
    optowner = named<QRadioButton>("optowner", QStringLiteral("Owner"));
    optrace = named<QRadioButton>("optrace", QStringLiteral("Race"));
    optsire = named<QRadioButton>("optsire", QStringLiteral("S"));
    optdamsire = named<QRadioButton>("optdamsire", QStringLiteral("DS"));
    optdamdamsire = named<QRadioButton>("optdamdamsire", QStringLiteral("DDS"));
    lblnum = named<QLabel>("lblnum", QStringLiteral("#"));
    txtnum = named<QLineEdit>("txtnum", QStringLiteral("5"));
    modes->addWidget(opthorse, 0, 0);
    modes->addWidget(optowner, 0, 1);
    modes->addWidget(optrace, 0, 2);
    modes->addWidget(optsire, 1, 0);
    modes->addWidget(optdamsire, 1, 1);
    modes->addWidget(optdamdamsire, 1, 2);
    auto* numRow = new QHBoxLayout;
    numRow->addWidget(lblnum);
    numRow->addWidget(txtnum);
    modes->addLayout(numRow, 1, 3);
    opthorse->setChecked(true);
    return frahorsesorowners;
}

QWidget* SearchPanel::buildInputs()
{
    Frame2 = named<QGroupBox>("Frame2");
    auto* inputs = new QGridLayout(Frame2);
    lblname = named<QLabel>("lblname", QStringLiteral("Name:"));
    txthorse = named<QLineEdit>("txthorse");
    chkname = named<QCheckBox>("chkname");
    lblid = named<QLabel>("lblid", QStringLiteral("ID:"));
    txtid = named<QLineEdit>("txtid");
    chkid = named<QCheckBox>("chkid");
    chk2yo = named<QCheckBox>("chk2yo", QStringLiteral("2yo"));
    chkname->setChecked(true);
    inputs->addWidget(lblname, 0, 0);
    inputs->addWidget(txthorse, 0, 1);
    inputs->addWidget(chkname, 0, 2);
    inputs->addWidget(lblid, 1, 0);
    inputs->addWidget(txtid, 1, 1);
    inputs->addWidget(chkid, 1, 2);
    inputs->addWidget(chk2yo, 1, 3);
    return Frame2;
}

QWidget* SearchPanel::buildCriteria()
{
    frasearchcriteria = named<QGroupBox>("frasearchcriteria", QStringLiteral("Search Criteria"));
    auto* criteria = new QGridLayout(frasearchcriteria);
    lblfirstweek = named<QLabel>("lblfirstweek", QStringLiteral("First Week #:"));
    txtfirstweek = named<QLineEdit>("txtfirstweek");
    lbllastweek = named<QLabel>("lbllastweek", QStringLiteral("Last Week #:"));
    txtlastweek = named<QLineEdit>("txtlastweek");
    chkowner = named<QCheckBox>("chkowner", QStringLiteral("Current Owner Only"));
    criteria->addWidget(lblfirstweek, 0, 0);
    criteria->addWidget(txtfirstweek, 0, 1);
    criteria->addWidget(lbllastweek, 1, 0);
    criteria->addWidget(txtlastweek, 1, 1);
    criteria->addWidget(chkowner, 2, 0, 1, 2);
    return frasearchcriteria;
}

void SearchPanel::applyInputRules()
{
    // No limit on the name box: an owner's name is searched whole; horse and stallion names are cut to their
    // first 25 characters by "GO!".
    txtid->setMaxLength(9);
    txtfirstweek->setMaxLength(4);
    txtlastweek->setMaxLength(4);
    txtinjury->setMaxLength(3);
    // The key filters below decide what typing may add; the validators keep pasted text to the same rules.
    auto* digits = new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), this);
    for (QLineEdit* box : {txtfirstweek, txtlastweek, txtinjury, txtnum}) {
        box->setValidator(digits);
        box->setMaximumWidth(60);
        box->installEventFilter(this);
    }
    txtid->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9.*?]*")), this));
    txtid->installEventFilter(this);
    txthorse->installEventFilter(this);
    txthorse->setMinimumWidth(180);
    // The controls that only some modes show keep their room while hidden, so that a change of mode never
    // moves GO! and Multi. from under the pointer.
    for (QWidget* w : std::initializer_list<QWidget*>{chk2yo, lblnum, txtnum, lblinjurytest, txtinjury}) {
        QSizePolicy keep = w->sizePolicy();
        keep.setRetainSizeWhenHidden(true);
        w->setSizePolicy(keep);
    }

    connect(opthorse, &QRadioButton::clicked, this, &SearchPanel::opthorse_Click);
    connect(optowner, &QRadioButton::clicked, this, &SearchPanel::optowner_Click);
    connect(optrace, &QRadioButton::clicked, this, &SearchPanel::optrace_Click);
    for (QRadioButton* b : {optsire, optdamsire, optdamdamsire})
        connect(b, &QRadioButton::clicked, this, &SearchPanel::optsire_Click);
    connect(cmdgethorse, &QPushButton::clicked, this, &SearchPanel::searchRequested);
    connect(cmdspecial, &QPushButton::clicked, this, &SearchPanel::stableSearchRequested);

    // The controls without a caption say what they are for.
    chkname->setToolTip(QStringLiteral("Search by this name"));
    chkid->setToolTip(QStringLiteral("Search by this ID (or race number)"));
    txtinjury->setToolTip(QStringLiteral("Injury exclusion: the horse statistics leave out races run slower "
                                         "than this speed figure"));
    txtnum->setToolTip(QStringLiteral("Least number of starts a progeny needs to count in the statistics"));
    chk2yo->setToolTip(QStringLiteral("Count two-year-olds only (unticked: older horses only)"));
}

qint16 SearchPanel::searchMode() const
{
    if (opthorse->isChecked()) {
        if (chkname->isChecked())
            return chkid->isChecked() ? 1 : 2;
        return chkid->isChecked() ? 3 : 2;
    }
    if (optowner->isChecked())
        return 4;
    if (optrace->isChecked())
        return 5;
    return 0;
}

bool SearchPanel::progenyChosen() const
{
    return optsire->isChecked() || optdamsire->isChecked() || optdamdamsire->isChecked();
}

QString SearchPanel::nameText() const
{
    return txthorse->text();
}

QString SearchPanel::idText() const
{
    return txtid->text();
}

void SearchPanel::read(PanelState& p) const
{
    p.txtfirstweek = txtfirstweek->text();
    p.txtlastweek = txtlastweek->text();
    p.txtinjury = txtinjury->text();
    p.txtnum = txtnum->text();
    p.chkowner = chkowner->isChecked();
    p.chk2yo = chk2yo->isChecked();
    p.progenyMode = optdamsire->isChecked()      ? ProgenySearchMode::DamSire
                    : optdamdamsire->isChecked() ? ProgenySearchMode::DamDamSire
                                                 : ProgenySearchMode::Sire;
}

void SearchPanel::setProgenyEnabled(bool enabled, const QString& whyNot)
{
    const std::pair<QRadioButton*, const char*> options[] = {
        {optsire, "sire"}, {optdamsire, "dam-sire"}, {optdamdamsire, "dam's dam-sire"}};
    for (const auto& [b, position] : options) {
        b->setEnabled(enabled);
        b->setToolTip(
            enabled ? QStringLiteral("The progeny of the stallion named, as %1").arg(QLatin1String(position))
                    : whyNot);
    }
}

void SearchPanel::showSearch(const ListingSearch& search)
{
    using Kind = ListingSearch::Kind;
    const bool stables = search.kind == Kind::Starts && SearchQuery::ownerNames(search.name).size() > 1;
    if (search.kind == Kind::None || search.kind == Kind::Listed || stables) {
        txthorse->clear();
        txtid->clear();
        if (search.kind == Kind::Listed) {
            // The weeks and the owner tick belong to no search of the panel now.
            txtfirstweek->clear();
            txtlastweek->clear();
            chkowner->setChecked(false);
        }
        return;
    }
    if (search.kind == Kind::Progeny) {
        const ProgenySearchMode mode = search.panel.progenyMode;
        (mode == ProgenySearchMode::DamSire      ? optdamsire
         : mode == ProgenySearchMode::DamDamSire ? optdamdamsire
                                                 : optsire)
            ->setChecked(true);
        setupsiresearch();
    } else if (search.mode == 4) {
        optowner->setChecked(true);
        optowner_Click();
    } else if (search.mode == 5) {
        optrace->setChecked(true);
        setuprace();
    } else {
        opthorse->setChecked(true);
        setupnormalsearch();
        chkname->setChecked(search.mode != 3);
        chkid->setChecked(search.mode != 2);
    }
    txthorse->setText(search.name);
    txtid->setText(search.id);
}

void SearchPanel::setInjuryCaption(const QString& text)
{
    lblinjurytest->setText(QString(text).replace(QLatin1Char('\r'), QLatin1Char('\n')));
}

void SearchPanel::setupnormalsearch()
{
    txthorse->setEnabled(true);
    chkid->setEnabled(true);
    chkname->setEnabled(true);
    chkid->setChecked(false);
    chkname->setChecked(true);
    chk2yo->hide();
    lblnum->hide();
    txtnum->hide();
    showInjuryExclusion();
}

void SearchPanel::setupsiresearch()
{
    txthorse->setEnabled(true);
    chkid->setChecked(false);
    chkid->setEnabled(false);
    chkname->setEnabled(true);
    chkname->setChecked(true);
    chk2yo->show();
    lblnum->show();
    txtnum->show();
    showInjuryExclusion();
}

void SearchPanel::showInjuryExclusion()
{
    // An input of the next search: it is there whenever that search is a horse, owner or race search,
    // whatever list the last search left.
    const bool used = !progenyChosen();
    lblinjurytest->setVisible(used);
    txtinjury->setVisible(used);
}

void SearchPanel::opthorse_Click()
{
    setupnormalsearch();
}

void SearchPanel::optowner_Click()
{
    setupnormalsearch();
    chkid->setEnabled(false);
}

void SearchPanel::optrace_Click()
{
    setuprace();
    // A race is searched by its number alone.
    txtid->setFocus();
}

void SearchPanel::setuprace()
{
    txthorse->setEnabled(false);
    chkid->setEnabled(true);
    chkname->setEnabled(false);
    chkname->setChecked(false);
    chkid->setChecked(true);
    chk2yo->hide();
    lblnum->hide();
    txtnum->hide();
    showInjuryExclusion();
}

void SearchPanel::optsire_Click()
{
    setupsiresearch();
}

bool SearchPanel::filterKey(QObject* watched, int key, const QString& text)
{
    const bool enter = key == Qt::Key_Return || key == Qt::Key_Enter;
    const bool backspace = key == Qt::Key_Backspace;
    if (watched == txthorse) {
        if (enter) {
            emit searchRequested();
            return true;
        }
        return false;
    }
    // Keys that type nothing (arrows, Delete, Home, shortcuts) are editing, not input: let them through.
    if (!enter && !backspace && (text.isEmpty() || text.at(0).unicode() < 0x20))
        return false;
    const QChar ch = text.isEmpty() ? QChar() : text.at(0);
    const bool digit = ch >= QLatin1Char('0') && ch <= QLatin1Char('9');
    if (watched == txtid) {
        if (enter) {
            emit searchRequested();
            return true;
        }
        if (digit || backspace || ch == QLatin1Char('.') || ch == QLatin1Char('*') || ch == QLatin1Char('?'))
            return false;
    } else if (digit || backspace) {
        return false;
    }
    m_platform.beep();
    return true;
}

bool SearchPanel::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (filterKey(watched, key->key(), key->text()))
            return true;
    }
    return QWidget::eventFilter(watched, event);
}
