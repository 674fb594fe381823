// The waveform viewer's window: the chart fed from the shared block, and buttons that send the
// viewer's requests to the desktop program over its local socket. Closing the window detaches.
#pragma once

#include <QLocalSocket>
#include <QTimer>
#include <QWidget>
#include <memory>
#include <string>

#include "tools/gui/waveform_chart.h"
#include "tools/waveform_link.h"

namespace omni::tools {

class WaveformViewer : public QWidget {
    Q_OBJECT
public:
    // `share` is the opened block (owned); `socketName` the desktop program's request socket.
    WaveformViewer(std::unique_ptr<WaveformShare> share, const QString& socketName,
                   QWidget* parent = nullptr);

    WaveformChart& chart() { return *chart_; }
    // Sends one request; false when the desktop program is not there.
    bool send(const WaveformRequest& request);
    // Takes what arrived in the block and redraws (the timer calls it).
    void poll();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    std::unique_ptr<WaveformShare> share_;
    QLocalSocket socket_;
    WaveformChart* chart_;
    QTimer timer_;
    std::string pending_;
    bool detached_ = false;
};

}  // namespace omni::tools
