#pragma once

#include <QString>

#include <cstdint>
#include <vector>

/** Palette colours by index, as the grids and the colour key use them. 0 is the grid's default text colour.
 */
namespace Palette
{
constexpr std::uint8_t Default = 0;
constexpr std::uint8_t DarkBlue = 1;
constexpr std::uint8_t DarkGreen = 2;
constexpr std::uint8_t DarkCyan = 3;
constexpr std::uint8_t DarkRed = 4;
constexpr std::uint8_t DarkMagenta = 5;
constexpr std::uint8_t DarkYellow = 6;
/** Red, green and blue of palette index 1 to 6. */
void rgb(std::uint8_t index, int& r, int& g, int& b);
} // namespace Palette

/** Background colour values: operating-system colour references (top bit set) or plain 0x00BBGGRR values. */
namespace BackColor
{
constexpr std::int32_t ThreeDLight = static_cast<std::int32_t>(0x80000016u); // -2147483626, the default
constexpr std::int32_t Window = static_cast<std::int32_t>(0x80000005u);      // -2147483643
} // namespace BackColor

/** Cell alignment as the grids use it. */
enum class Align : std::uint8_t { General = 0, LeftTop, LeftCenter, CenterCenter, RightCenter };

/**
 * The state of one grid: cell texts, per-cell text colour, alignment and shading, fixed rows and columns,
 * column widths in twips, background, current cell and selection. Windows show it; the core writes it.
 */
class GridState
{
public:
    GridState(int rows = 2, int cols = 2, int fixedRows = 1, int fixedCols = 0);

    int rows() const { return m_rows; }
    int cols() const { return m_cols; }
    /** Changes the row count, keeping the cells of the rows that stay. */
    void setRows(int rows);
    /** Changes the column count, keeping the cells of the columns that stay. */
    void setCols(int cols);
    int fixedRows() const { return m_fixedRows; }
    int fixedCols() const { return m_fixedCols; }
    void setFixed(int rows, int cols);

    const QString& text(int row, int col) const { return m_text[index(row, col)]; }
    void setText(int row, int col, const QString& text) { m_text[index(row, col)] = text; }
    void setText(int row, int col, QString&& text) { m_text[index(row, col)] = std::move(text); }
    std::uint8_t colour(int row, int col) const { return m_colour[index(row, col)]; }
    void setColour(int row, int col, std::uint8_t palette) { m_colour[index(row, col)] = palette; }
    /** Sets the text colour of columns c0 to c1 of one row. */
    void setRowColour(int row, int c0, int c1, std::uint8_t palette);
    Align cellAlign(int row, int col) const { return Align(m_align[index(row, col)]); }
    void setCellAlign(int row, int col, Align a) { m_align[index(row, col)] = std::uint8_t(a); }
    /** Alignment of a whole column's data cells; a cell's own alignment, when set, wins. */
    Align colAlign(int col) const { return m_colAlign[col]; }
    void setColAlign(int col, Align a) { m_colAlign[col] = a; }
    /** The alignment a cell is shown with. */
    Align effectiveAlign(int row, int col) const;
    bool shaded(int row, int col) const { return m_shaded[index(row, col)] != 0; }
    void setShaded(int row, int col, bool on) { m_shaded[index(row, col)] = on ? 1 : 0; }

    /** Column width in twips; -1 means the grid's initial width. */
    int colWidth(int col) const { return m_colWidth[col]; }
    void setColWidth(int col, int twips) { m_colWidth[col] = twips; }
    std::int32_t backColor() const { return m_backColor; }
    void setBackColor(std::int32_t value) { m_backColor = value; }

    int row() const { return m_row; }
    int col() const { return m_col; }
    /** Makes a cell current; the selection collapses onto it. */
    void setCurrent(int row, int col);
    void setRow(int row) { setCurrent(row, m_col); }
    void setCol(int col) { setCurrent(m_row, col); }
    int rowSel() const { return m_rowSel; }
    int colSel() const { return m_colSel; }
    void setSelection(int row, int col, int rowSel, int colSel);

    /** Empties every cell's text and formatting, header included; counts, widths and column alignments stay.
     */
    void clear();
    /** Removes one row; the rows below move up. */
    void removeRow(int row);
    /** Puts the listed rows, in that order, below the fixed rows; the other rows below them go. Cells move
       with their rows, text, colour, alignment and shading together. */
    void arrangeRows(const std::vector<int>& order);

    bool redraw() const { return m_redraw; }
    void setRedraw(bool on) { m_redraw = on; }
    bool visible() const { return m_visible; }
    void setVisible(bool on) { m_visible = on; }
    /** The grid's height in twips, as the layout computed it (0 while not laid out). */
    int height() const { return m_height; }
    void setHeight(int twips) { m_height = twips; }
    /** Font size in points; 0 for the window's default font. */
    double fontSize() const { return m_fontSize; }
    void setFontSize(double points) { m_fontSize = points; }

    /** Raised by every change of shape, so that a view knows it must reload. */
    unsigned generation() const { return m_generation; }
    void touch() { ++m_generation; }

private:
    std::size_t index(int row, int col) const
    {
        return std::size_t(row) * std::size_t(m_cols) + std::size_t(col);
    }
    void reshape(int rows, int cols);

    int m_rows = 0;
    int m_cols = 0;
    int m_fixedRows = 0;
    int m_fixedCols = 0;
    std::vector<QString> m_text;
    std::vector<std::uint8_t> m_colour;
    std::vector<std::uint8_t> m_align;
    std::vector<std::uint8_t> m_shaded;
    std::vector<int> m_colWidth;
    std::vector<Align> m_colAlign;
    std::int32_t m_backColor = BackColor::ThreeDLight;
    int m_row = 0;
    int m_col = 0;
    int m_rowSel = 0;
    int m_colSel = 0;
    bool m_redraw = true;
    bool m_visible = true;
    int m_height = 0;
    double m_fontSize = 0; // 0: the window's default font
    unsigned m_generation = 0;
};
