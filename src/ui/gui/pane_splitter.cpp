#include "ui/gui/pane_splitter.h"

#include <algorithm>

#include <QResizeEvent>
#include <QVBoxLayout>

namespace omni::ui {

PaneSplitter::PaneSplitter(Qt::Orientation orientation, QWidget* parent)
    : QSplitter(orientation, parent) {
    setOpaqueResize(false);  // the bar drags a shadow; panes follow on release
    setChildrenCollapsible(false);
    setHandleWidth(4);
    connect(this, &QSplitter::splitterMoved, this, [this](int pos, int) {
        const int accepted = acceptedPosition(pos);
        if (accepted != pos)
            setFirstPaneSize(accepted);
        wanted_ = firstPaneSize();
        emit firstPaneResized(wanted_);
    });
}

void PaneSplitter::setPaneLimits(int minFirst, int maxFirst, int minOther) {
    minFirst_ = std::max(0, minFirst);
    maxFirst_ = std::max(minFirst_, maxFirst);
    minOther_ = std::max(0, minOther);
    if (count() > 0)
        setFirstPaneSize(firstPaneSize());
}

int PaneSplitter::extent() const {
    return (orientation() == Qt::Horizontal ? width() : height()) - handleWidth();
}

int PaneSplitter::firstPaneSize() const {
    const QList<int> s = sizes();
    return s.isEmpty() ? 0 : s.front();
}

int PaneSplitter::acceptedPosition(int proposed) const {
    int high = std::min(maxFirst_, extent() - minOther_);
    return std::clamp(proposed, minFirst_, std::max(minFirst_, high));
}

void PaneSplitter::setFirstPaneSize(int size) {
    wanted_ = std::clamp(size, minFirst_, maxFirst_);
    if (count() < 2)
        return;
    const int first = extent() > 0 ? acceptedPosition(wanted_) : wanted_;
    setSizes({first, std::max(0, extent() - first)});
}

void PaneSplitter::dragTo(int proposed) {
    if (count() < 2)
        return;
    const int accepted = acceptedPosition(proposed);
    setSizes({accepted, std::max(0, extent() - accepted)});
    wanted_ = accepted;
    emit firstPaneResized(accepted);
}

void PaneSplitter::resizeEvent(QResizeEvent* event) {
    QSplitter::resizeEvent(event);
    // Keep the first pane at its chosen size; the second pane takes the change.
    if (wanted_ >= 0 && count() >= 2) {
        const int first = acceptedPosition(wanted_);
        setSizes({first, std::max(0, extent() - first)});
    }
}

QWidget* barAbove(QWidget* bar, QWidget* body, QWidget* parent) {
    auto* pane = new QWidget(parent);
    auto* layout = new QVBoxLayout(pane);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(bar);
    layout->addWidget(body, 1);
    return pane;
}

}  // namespace omni::ui
