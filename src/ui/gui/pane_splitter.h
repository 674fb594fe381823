// A two-pane splitter whose bar drags a shadow (the panes are laid out when the button is
// released) and whose first pane stays between a minimum and a maximum size.
#pragma once

#include <QSplitter>

namespace omni::ui {

// A pane of `bar` above `body`, which takes the rest of the room; no margins, no spacing.
QWidget* barAbove(QWidget* bar, QWidget* body, QWidget* parent);

class PaneSplitter : public QSplitter {
    Q_OBJECT
public:
    explicit PaneSplitter(Qt::Orientation orientation, QWidget* parent = nullptr);

    // Limits of the first pane along the splitter's axis, in pixels. The second pane keeps at
    // least `minOther` pixels whenever the splitter is large enough for both minimums.
    void setPaneLimits(int minFirst, int maxFirst, int minOther);

    // Size of the first pane along the axis; setting it clamps to the limits.
    int firstPaneSize() const;
    void setFirstPaneSize(int size);

    // The position a drag to `proposed` ends at: clamped to the limits and to the splitter's
    // extent.
    int acceptedPosition(int proposed) const;

    // Moves the bar as a finished drag to `proposed` would.
    void dragTo(int proposed);

signals:
    // The bar was moved by the user (or dragTo); `size` is the new first pane size.
    void firstPaneResized(int size);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    int extent() const;

    int minFirst_ = 0;
    int maxFirst_ = QWIDGETSIZE_MAX;
    int minOther_ = 0;
    int wanted_ = -1;  // first pane size to restore once the splitter has its real size
};

}  // namespace omni::ui
