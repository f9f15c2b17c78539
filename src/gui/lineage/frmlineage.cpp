#include "gui/lineage/frmlineage.h"

#include "gui/widgets/gridview.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QVBoxLayout>

#include <cmath>

frmlineage::frmlineage(QWidget* owner) : QWidget(owner, Qt::Window)
{
    setObjectName(QStringLiteral("frmlineage"));
    setWindowTitle(QStringLiteral("Lineage and Statistics"));
    setAttribute(Qt::WA_DeleteOnClose);
    QFont small(QStringLiteral("Arial"));
    small.setPointSizeF(7.5);
    setFont(small);

    // Sizes in twips are the least each part gets; a wider font on this system makes the window grow instead
    // of cutting texts.
    auto* layout = new QGridLayout(this);
    layout->setContentsMargins(twips(120), twips(60), twips(120), twips(120));
    // The labels keep their width and wrap long lines, growing downwards (see refresh()).
    const auto frame = [&](QGroupBox*& box, QLabel*& label, const char* name, const char* labelName,
                           const QString& caption, QSize boxSize, int labelWidth) {
        box = new QGroupBox(caption, this);
        box->setObjectName(QLatin1String(name));
        box->setMinimumSize(twips(boxSize.width()), twips(boxSize.height()));
        label = new QLabel(box);
        label->setObjectName(QLatin1String(labelName));
        label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        label->setWordWrap(true);
        label->setFixedWidth(twips(labelWidth));
        (new QVBoxLayout(box))->addWidget(label, 1);
    };
    frame(fra1, lblmisc, "fra1", "lblmisc", QStringLiteral("Miscellaneous Stats"), {4050, 1908}, 3612);
    frame(fra2, lblwinstats, "fra2", "lblwinstats", QStringLiteral("Win Stats"), {4065, 1920}, 3732);
    layout->addWidget(fra1, 0, 0);
    layout->addWidget(fra2, 0, 1);

    lbllineage = new QLabel(this);
    lbllineage->setObjectName(QStringLiteral("lbllineage"));
    QFont heading(QStringLiteral("Arial"));
    heading.setPointSize(12);
    heading.setBold(true);
    lbllineage->setFont(heading);
    lbllineage->setMinimumHeight(twips(312));
    layout->addWidget(lbllineage, 1, 0, 1, 2);

    MSFlexGrid1 = new GridView(m_state.MSFlexGrid1, false, this);
    MSFlexGrid1->setObjectName(QStringLiteral("MSFlexGrid1"));
    MSFlexGrid1->setSelectionMode(QAbstractItemView::NoSelection);
    MSFlexGrid1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    layout->addWidget(MSFlexGrid1, 2, 0, 1, 2);
    refresh();
}

frmlineage::~frmlineage()
{
    // The grid view reads the state, which goes before the children do.
    delete MSFlexGrid1;
}

void frmlineage::refresh()
{
    const auto shown = [](QString text) { return text.replace(QLatin1Char('\r'), QLatin1Char('\n')); };
    lbllineage->setText(m_state.lbllineage);
    lblmisc->setText(shown(m_state.lblmisc));
    lblwinstats->setText(shown(m_state.lblwinstats));
    for (QLabel* label : {lblmisc, lblwinstats})
        label->setMinimumHeight(std::max(0, label->heightForWidth(label->width())));
    MSFlexGrid1->sync();
    int width = 2 * MSFlexGrid1->frameWidth();
    for (int c = 0; c < m_state.MSFlexGrid1.cols(); ++c)
        width += MSFlexGrid1->columnWidth(c);
    MSFlexGrid1->setMinimumWidth(std::max(twips(8055), width));
    MSFlexGrid1->setFixedHeight(
        std::max(twips(1290), m_state.MSFlexGrid1.rows() * MSFlexGrid1->rowHeightPixels() +
                                  2 * MSFlexGrid1->frameWidth()));
    // Each horse may need more room than the last; the window never shrinks under the user.
    if (isVisible())
        resize(size().expandedTo(sizeHint()));
    else
        adjustSize();
}
