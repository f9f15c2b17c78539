#include "gui/widgets/gridview.h"

#include <QApplication>
#include <QClipboard>
#include <QHeaderView>
#include <QKeyEvent>
#include <QPalette>
#include <QScreen>
#include <QSet>
#include <QStyle>

#include <set>

static QColor paletteColour(std::uint8_t index)
{
    int r, g, b;
    Palette::rgb(index, r, g, b);
    return QColor(r, g, b);
}

/** Renders a stored background value: the two system colour references through the palette, else 0x00BBGGRR.
 */
static QColor backgroundColour(std::int32_t value, const QPalette& pal)
{
    if (value == BackColor::ThreeDLight)
        return pal.color(QPalette::Midlight);
    if (value == BackColor::Window)
        return pal.color(QPalette::Base);
    if (value < 0) // another system colour: the closest palette role is the window colour
        return pal.color(QPalette::Base);
    const auto v = std::uint32_t(value);
    return QColor(int(v & 0xff), int((v >> 8) & 0xff), int((v >> 16) & 0xff));
}

GridTableModel::GridTableModel(GridState& grid, bool headerRow, QObject* parent)
    : QAbstractTableModel(parent), m_grid(grid), m_headerRow(headerRow)
{
    m_rows = grid.rows() - (headerRow ? 1 : 0);
    m_cols = grid.cols();
    m_generation = grid.generation();
}

int GridTableModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : std::max(m_rows, 0);
}
int GridTableModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_cols;
}

QVariant GridTableModel::alignment(int row, int col) const
{
    switch (m_grid.effectiveAlign(row, col)) {
    case Align::LeftTop:
        return QVariant::fromValue(Qt::AlignLeft | Qt::AlignTop);
    case Align::LeftCenter:
        return QVariant::fromValue(Qt::AlignLeft | Qt::AlignVCenter);
    case Align::CenterCenter:
        return QVariant::fromValue(Qt::AlignCenter);
    case Align::RightCenter:
        return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
    case Align::General:
        break;
    }
    // The grid's general alignment: numbers to the right, text to the left.
    return QVariant::fromValue(Qt::AlignLeft | Qt::AlignVCenter);
}

QVariant GridTableModel::data(const QModelIndex& index, int role) const
{
    const int row = gridRow(index.row()), col = index.column();
    if (row >= m_grid.rows() || col >= m_grid.cols())
        return {};
    switch (role) {
    case Qt::DisplayRole:
        return m_grid.text(row, col);
    case Qt::ForegroundRole:
        if (const auto c = m_grid.colour(row, col))
            return paletteColour(c);
        return {};
    case Qt::TextAlignmentRole:
        return alignment(row, col);
    case Qt::BackgroundRole: {
        const QPalette pal = QApplication::palette();
        if (row < m_grid.fixedRows() || col < m_grid.fixedCols())
            return pal.color(QPalette::Button);
        if (m_grid.shaded(row, col))
            return pal.color(QPalette::Midlight);
        return backgroundColour(m_grid.backColor(), pal);
    }
    default:
        return {};
    }
}

QVariant GridTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (!m_headerRow || orientation != Qt::Horizontal || section >= m_grid.cols() || m_grid.rows() == 0)
        return QAbstractTableModel::headerData(section, orientation, role);
    if (role == Qt::DisplayRole)
        return m_grid.text(0, section);
    if (role == Qt::TextAlignmentRole)
        return alignment(0, section);
    if (role == Qt::ToolTipRole && headerTip) {
        const QString tip = headerTip(section, m_grid.text(0, section));
        return tip.isEmpty() ? QVariant() : QVariant(tip);
    }
    return {};
}

void GridTableModel::sync()
{
    const int rows = m_grid.rows() - (m_headerRow ? 1 : 0), cols = m_grid.cols();
    if (m_grid.generation() != m_generation || rows != m_rows || cols != m_cols) {
        beginResetModel();
        m_rows = rows;
        m_cols = cols;
        m_generation = m_grid.generation();
        endResetModel();
        return;
    }
    if (m_rows > 0 && m_cols > 0)
        emit dataChanged(index(0, 0), index(m_rows - 1, m_cols - 1));
    emit headerDataChanged(Qt::Horizontal, 0, std::max(m_cols - 1, 0));
}

GridView::GridView(GridState& grid, bool headerRow, QWidget* parent)
    : QTableView(parent), m_model(new GridTableModel(grid, headerRow, this))
{
    setModel(m_model);
    applyFont();
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    horizontalHeader()->setVisible(headerRow);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    horizontalHeader()->setMinimumSectionSize(0);
    setWordWrap(false);
    setSelectionBehavior(QAbstractItemView::SelectItems);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setContextMenuPolicy(Qt::CustomContextMenu);
    connect(horizontalHeader(), &QHeaderView::sectionResized, this, &GridView::columnResized);
    connect(this, &QWidget::customContextMenuRequested, this, [this](const QPoint& pos) {
        const QModelIndex index = indexAt(pos);
        if (index.isValid())
            setCurrentIndex(index);
        emit popupRequested(viewport()->mapToGlobal(pos));
    });
    connect(selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& current) { currentMoved(current); });
}

void GridView::setFitContents(bool on)
{
    m_fitContents = on;
    setHorizontalScrollBarPolicy(on ? Qt::ScrollBarAlwaysOff : Qt::ScrollBarAsNeeded);
}

void GridView::applyFont()
{
    const double size = m_model->grid().fontSize() * m_zoom;
    if (size > 0 && font().pointSizeF() != size) {
        QFont f = font();
        f.setPointSizeF(size);
        setFont(f);
    }
}

int GridView::twipsToPixels(int twips) const
{
    return int(std::lround(twips * logicalDpiX() / 1440.0));
}
int GridView::pixelsToTwips(int pixels) const
{
    return int(std::lround(pixels * 1440.0 / logicalDpiX()));
}

int GridView::rowHeightPixels() const
{
    return fontMetrics().height() + 2;
}

int GridView::rowHeightTwips() const
{
    return int(std::lround(rowHeightPixels() * 1440.0 / logicalDpiY()));
}

void GridView::setFillWidth(bool on)
{
    m_fillWidth = on;
    applyWidths();
}

bool GridView::viewportEvent(QEvent* event)
{
    // The viewport narrows when the vertical scroll bar comes and widens when it goes.
    if (event->type() == QEvent::Resize && m_fillWidth)
        applyWidths();
    return QTableView::viewportEvent(event);
}

bool GridView::widenToTexts()
{
    GridState& g = m_model->grid();
    // A cell's text stands between the item's margins and before the grid line.
    const int margins = 2 * (style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, this) + 1) + 1;
    bool widened = false;
    for (int c = 0; c < g.cols(); ++c) {
        // Only the longest texts can be the widest: a few of them are measured, not every row.
        qsizetype longest = 0;
        for (int r = g.fixedRows(); r < g.rows(); ++r)
            longest = std::max(longest, g.text(r, c).size());
        QSet<QString> candidates;
        for (int r = g.fixedRows(); r < g.rows() && candidates.size() < 64; ++r)
            if (g.text(r, c).size() + 1 >= longest)
                candidates.insert(g.text(r, c));
        int widest = 0;
        for (const QString& t : std::as_const(candidates))
            widest = std::max(widest, fontMetrics().horizontalAdvance(t) + margins);
        if (g.colWidth(c) >= 0 && widest > zoomedPixels(g.colWidth(c))) {
            g.setColWidth(c, pixelsToTwips(int(std::lround(widest / m_zoom))));
            widened = true;
        }
    }
    return widened;
}

void GridView::applyWidths()
{
    m_applying = true;
    GridState& g = m_model->grid();
    m_scale = 1;
    if (m_fillWidth) {
        int total = 0;
        for (int c = 0; c < g.cols(); ++c)
            total += std::max(0, zoomedPixels(g.colWidth(c)));
        if (total > 0 && viewport()->width() > total)
            m_scale = double(viewport()->width()) / total;
    }
    for (int c = 0; c < g.cols(); ++c) {
        if (g.colWidth(c) < 0)
            continue;
        // Rounded down, so that the columns never add up to more than the view and scroll.
        int px = int(zoomedPixels(g.colWidth(c)) * m_scale);
        // Small fixed grids never cut their texts: the width in twips is the least they get.
        if (m_fitContents)
            px = std::max(px, sizeHintForColumn(c));
        setColumnWidth(c, px);
    }
    m_applying = false;
}

void GridView::columnResized(int column, int, int newSize)
{
    if (m_applying)
        return;
    GridState& g = m_model->grid();
    if (column < g.cols())
        g.setColWidth(column, pixelsToTwips(int(std::lround(newSize / m_scale / m_zoom))));
}

void GridView::setZoom(double factor)
{
    m_zoom = factor;
    sync();
}

void GridView::zoomBy(int steps)
{
    static constexpr double scale[] = {0.7, 0.85, 1, 1.15, 1.3, 1.5, 1.75, 2, 2.5, 3};
    constexpr int last = int(std::size(scale)) - 1;
    // The step nearest the present zoom, which the file may have kept from another scale.
    int at = 0;
    for (int i = 1; i <= last; ++i)
        if (std::abs(scale[i] - m_zoom) < std::abs(scale[at] - m_zoom))
            at = i;
    setZoom(scale[std::clamp(at + steps, 0, last)]);
}

void GridView::currentMoved(const QModelIndex& current)
{
    if (!current.isValid())
        return;
    m_model->grid().setCurrent(m_model->gridRow(current.row()), current.column());
}

void GridView::sync()
{
    GridState& g = m_model->grid();
    setVisible(g.visible());
    if (!g.redraw())
        return;
    applyFont();
    verticalHeader()->setMinimumSectionSize(rowHeightPixels());
    verticalHeader()->setDefaultSectionSize(rowHeightPixels());
    m_model->sync();
    applyWidths();
    if (g.height() > 0)
        setFixedHeight(std::max(1, int(std::lround(g.height() * logicalDpiY() / 1440.0))));
    const QColor back = backgroundColour(g.backColor(), QApplication::palette());
    QPalette pal = palette();
    pal.setColor(QPalette::Base, back);
    setPalette(pal);
    const int viewRow = g.row() - (m_model->headerRow() ? 1 : 0);
    if (viewRow >= 0 && viewRow < m_model->rowCount() && g.col() < m_model->columnCount()) {
        QSignalBlocker block(selectionModel());
        selectionModel()->setCurrentIndex(m_model->index(viewRow, g.col()), QItemSelectionModel::NoUpdate);
    }
    viewport()->update();
}

QString GridView::selectionText() const
{
    std::set<int> rows, cols;
    const QModelIndexList selected = selectionModel()->selectedIndexes();
    for (const QModelIndex& i : selected) {
        rows.insert(i.row());
        cols.insert(i.column());
    }
    bool wholeColumns = m_model->headerRow() && !cols.empty();
    for (int c : cols)
        wholeColumns = wholeColumns && selectionModel()->isColumnSelected(c, QModelIndex());
    const GridState& g = m_model->grid();
    // A tab or line end inside a text would split its cell or row in the spreadsheet.
    const auto cell = [&](int row, int col) {
        QString t = g.text(row, col);
        t.replace(QLatin1Char('\t'), QLatin1Char(' ')).replace(QLatin1Char('\r'), QLatin1Char(' '));
        return t.replace(QLatin1Char('\n'), QLatin1Char(' '));
    };
    QString out;
    // Cells of the bounding rows and columns that are not selected stay empty, keeping the others in place.
    const auto line = [&](int viewRow) { // -1 for the captions
        QStringList fields;
        for (int c : cols) {
            const bool take = viewRow < 0 || selectionModel()->isSelected(m_model->index(viewRow, c));
            fields << (take ? cell(viewRow < 0 ? 0 : m_model->gridRow(viewRow), c) : QString());
        }
        out += fields.join(QLatin1Char('\t')) + QLatin1Char('\n');
    };
    if (wholeColumns)
        line(-1);
    for (int r : rows)
        line(r);
    return out;
}

void GridView::keyPressEvent(QKeyEvent* event)
{
    if (event->matches(QKeySequence::Copy)) {
        if (selectionModel()->hasSelection())
            QApplication::clipboard()->setText(selectionText());
        event->accept();
        return;
    }
    QTableView::keyPressEvent(event);
}
