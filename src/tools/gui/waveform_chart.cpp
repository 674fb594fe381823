#include "tools/gui/waveform_chart.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>

namespace omni::tools {
namespace {

constexpr int kMargin = 8;
constexpr double kMinSpan = 4;

}  // namespace

WaveformChart::WaveformChart(QWidget* parent) : QWidget(parent) {
    setMinimumSize(320, 160);
    setBackgroundRole(QPalette::Base);
    setAutoFillBackground(true);
}

void WaveformChart::setSamples(std::vector<int> samples) {
    const bool sameLength = samples.size() == samples_.size();
    samples_ = std::move(samples);
    if (!samples_.empty()) {
        auto [lo, hi] = std::minmax_element(samples_.begin(), samples_.end());
        low_ = std::min(*lo, 0);
        high_ = std::max(*hi, low_ + 1);
    }
    if (!sameLength)
        resetView();
    update();
}

void WaveformChart::resetView() {
    first_ = 0;
    span_ = static_cast<double>(std::max<std::size_t>(samples_.size(), 2) - 1);
    update();
}

void WaveformChart::clampView() {
    const double total = static_cast<double>(std::max<std::size_t>(samples_.size(), 2) - 1);
    span_ = std::clamp(span_, std::min(kMinSpan, total), total);
    first_ = std::clamp(first_, 0.0, total - span_);
}

void WaveformChart::zoom(double factor, double aroundX) {
    const double width = std::max(1, this->width() - 2 * kMargin);
    const double at = first_ + span_ * std::clamp((aroundX - kMargin) / width, 0.0, 1.0);
    span_ /= factor;
    first_ = at - (at - first_) / factor;
    clampView();
    update();
}

void WaveformChart::pan(double pixels) {
    const double width = std::max(1, this->width() - 2 * kMargin);
    first_ -= pixels * span_ / width;
    clampView();
    update();
}

void WaveformChart::wheelEvent(QWheelEvent* event) {
    const double steps = event->angleDelta().y() / 120.0;
    if (steps != 0)
        zoom(std::pow(1.25, steps), event->position().x());
    event->accept();
}

void WaveformChart::mousePressEvent(QMouseEvent* event) {
    dragX_ = event->position().x();
}

void WaveformChart::mouseMoveEvent(QMouseEvent* event) {
    if (!(event->buttons() & Qt::LeftButton))
        return;
    pan(event->position().x() - dragX_);
    dragX_ = event->position().x();
}

void WaveformChart::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QRectF area = rect().adjusted(kMargin, kMargin, -kMargin, -kMargin);
    painter.setPen(palette().color(QPalette::Mid));
    painter.drawRect(area);
    if (samples_.size() < 2 || span_ <= 0)
        return;
    painter.setRenderHint(QPainter::Antialiasing);
    auto yOf = [&](int v) {
        return area.bottom() - (v - low_) * area.height() / static_cast<double>(high_ - low_);
    };
    QPainterPath path;
    const auto begin = static_cast<std::size_t>(std::max(0.0, std::floor(first_)));
    const auto end =
        std::min(samples_.size() - 1, static_cast<std::size_t>(std::ceil(first_ + span_)));
    for (std::size_t i = begin; i <= end; ++i) {
        const double x = area.left() + (static_cast<double>(i) - first_) * area.width() / span_;
        if (i == begin)
            path.moveTo(x, yOf(samples_[i]));
        else
            path.lineTo(x, yOf(samples_[i]));
    }
    painter.setClipRect(area);
    painter.setPen(QPen(palette().color(QPalette::Highlight), 1.5));
    painter.drawPath(path);
}

}  // namespace omni::tools
