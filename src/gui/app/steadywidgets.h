#pragma once

#include <QGroupBox>
#include <QScrollArea>

// Widgets whose least size does not follow the texts that searches write into them: a window grows whenever
// the least size of a child does, and the player's window should keep the size the player gave it.

/**
 * A frame whose least width is that of its contents, not of its title: a long caption is cut at the edge.
 * Its height keeps room for a title while it has none, so that the first caption does not lengthen it.
 */
class ClippedGroupBox : public QGroupBox
{
public:
    using QGroupBox::QGroupBox;
    QSize minimumSizeHint() const override
    {
        const QSize least = QWidget::minimumSizeHint();
        return title().isEmpty() ? QSize(least.width(), least.height() + fontMetrics().height()) : least;
    }
};

/** An area as tall as its contents that scrolls sideways when the window is narrower than they are. */
class SidewaysScrollArea : public QScrollArea
{
public:
    using QScrollArea::QScrollArea;
    QSize minimumSizeHint() const override
    {
        const int height = widget() ? widget()->minimumSizeHint().height() : 0;
        return {QScrollArea::minimumSizeHint().width(), height + 2 * frameWidth()};
    }
    QSize sizeHint() const override { return {QScrollArea::sizeHint().width(), minimumSizeHint().height()}; }
};
