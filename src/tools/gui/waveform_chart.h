// A live line chart of waveform samples: redraws as samples arrive; the wheel zooms around the
// pointer, dragging pans, and resetView() shows every sample again.
#pragma once

#include <QWidget>
#include <vector>

namespace omni::tools {

class WaveformChart : public QWidget {
    Q_OBJECT
public:
    explicit WaveformChart(QWidget* parent = nullptr);

    void setSamples(std::vector<int> samples);
    const std::vector<int>& samples() const { return samples_; }
    // The visible sample range [first, first + span).
    double first() const { return first_; }
    double span() const { return span_; }
    void zoom(double factor, double aroundX);
    void pan(double pixels);
    void resetView();

protected:
    void paintEvent(QPaintEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    QSize sizeHint() const override { return {640, 320}; }

private:
    void clampView();

    std::vector<int> samples_;
    double first_ = 0;
    double span_ = 0;  // 0: every sample
    int low_ = 0, high_ = 255;
    double dragX_ = 0;
};

}  // namespace omni::tools
