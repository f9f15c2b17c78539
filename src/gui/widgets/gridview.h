#pragma once

#include "core/gridstate.h"

#include <QAbstractTableModel>
#include <QTableView>

#include <cmath>
#include <functional>

/** A table model over a GridState: texts, palette colours, alignment and shading, no item per cell. */
class GridTableModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    /** With headerRow, grid row 0 becomes the horizontal header and stays in view while scrolling. */
    GridTableModel(GridState& grid, bool headerRow, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    /** Shows the grid's current state: a full reload when its shape changed, else a repaint of every cell. */
    void sync();
    GridState& grid() { return m_grid; }
    bool headerRow() const { return m_headerRow; }
    /** The grid row shown at a view row. */
    int gridRow(int viewRow) const { return m_headerRow ? viewRow + 1 : viewRow; }
    /** The tooltip of a column heading, from its column and caption; none when unset. */
    std::function<QString(int column, const QString& caption)> headerTip;

private:
    QVariant alignment(int row, int col) const;

    GridState& m_grid;
    bool m_headerRow;
    unsigned m_generation = ~0u;
    int m_rows = 0;
    int m_cols = 0;
};

/** Shows one grid: widths in twips at the screen's resolution, background colour, height and visibility. */
class GridView : public QTableView
{
    Q_OBJECT
public:
    GridView(GridState& grid, bool headerRow, QWidget* parent = nullptr);

    GridTableModel* gridModel() const { return m_model; }
    /** For the small statistics grids: columns widen to their texts and there is no horizontal scrolling. */
    void setFitContents(bool on);
    /** For the results grid: a view wider than the columns shares the room out among them by their widths. */
    void setFillWidth(bool on);
    /** Widens each column whose widest text is cut to that text; true when any column changed. */
    bool widenToTexts();
    /** Shows the texts and the columns larger or smaller by the factor (1: as the grid says); the widths in
        twips stay as they are. */
    void setZoom(double factor);
    /** Zooms by steps of the usual scale: +1 larger, -1 smaller, from 70% to 300%. */
    void zoomBy(int steps);
    double zoom() const { return m_zoom; }
    using QTableView::sizeHintForColumn;
    /** Brings the view up to date with the grid state. */
    void sync();
    /** Height of one row in twips at this view's font. */
    int rowHeightTwips() const;
    int rowHeightPixels() const;
    int twipsToPixels(int twips) const;
    int pixelsToTwips(int pixels) const;
    /**
     * The selected cells as tab-separated lines, one per selected row, with the captions first when whole
     * columns are selected: what a spreadsheet takes from a paste.
     */
    QString selectionText() const;

signals:
    /** A right click on a data row; the grid's current cell has moved there. */
    void popupRequested(const QPoint& globalPos);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    bool viewportEvent(QEvent* event) override;

private:
    void applyWidths();
    void applyFont();
    void columnResized(int column, int oldSize, int newSize);
    void currentMoved(const QModelIndex& current);

    GridTableModel* m_model;
    bool m_applying = false;
    bool m_fitContents = false;
    bool m_fillWidth = false;
    /** How much wider than their widths in twips the columns are shown (at least 1). */
    double m_scale = 1;
    double m_zoom = 1;
    /** A width in twips as the columns show it at the zoom. */
    int zoomedPixels(int twips) const { return int(std::lround(twipsToPixels(twips) * m_zoom)); }
};
