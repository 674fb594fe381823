#include "tools/gui/waveform_viewer.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

#include "resources/string_ids.h"
#include "resources/strings.h"

namespace omni::tools {
namespace {

constexpr int kPollMs = 50;
constexpr unsigned kTakeLockMs = 100;
constexpr std::size_t kMaxPending = 1 << 20;

QString text(std::uint32_t id) {
    const std::u16string_view loaded = res::loadString(id);
    return QString::fromUtf16(loaded.data(), static_cast<qsizetype>(loaded.size()));
}

}  // namespace

WaveformViewer::WaveformViewer(std::unique_ptr<WaveformShare> share, const QString& socketName,
                               QWidget* parent)
    : QWidget(parent), share_(std::move(share)), chart_(new WaveformChart(this)) {
    setWindowTitle(text(res::ids::WaveformTitle));
    auto* buttons = new QHBoxLayout;
    auto add = [&](const QString& caption, WaveformRequest request) {
        auto* button = new QPushButton(caption, this);
        connect(button, &QPushButton::clicked, this, [this, request] { send(request); });
        buttons->addWidget(button);
        return button;
    };
    add(text(res::ids::WaveformStartReading), {2, 1});
    add(text(res::ids::WaveformStopReading), {2, 0});
    for (int mode = 0; mode <= 2; ++mode) {
        const std::u16string digit(1, static_cast<char16_t>(u'0' + mode));
        add(QString::fromStdU16String(res::format(res::ids::WaveformMode, {digit})), {1, mode});
    }
    auto* reset = new QPushButton(text(res::ids::WaveformResetZoom), this);
    connect(reset, &QPushButton::clicked, chart_, &WaveformChart::resetView);
    buttons->addWidget(reset);
    buttons->addStretch();
    auto* detach = new QPushButton(text(res::ids::WaveformDetach), this);
    connect(detach, &QPushButton::clicked, this, &QWidget::close);
    buttons->addWidget(detach);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(chart_, 1);
    layout->addLayout(buttons);

    socket_.connectToServer(socketName);
    connect(&socket_, &QLocalSocket::disconnected, this, [this] {
        detached_ = true;  // the desktop program went away: nothing more will arrive
        close();
    });
    connect(&timer_, &QTimer::timeout, this, &WaveformViewer::poll);
    timer_.start(kPollMs);
}

bool WaveformViewer::send(const WaveformRequest& request) {
    if (socket_.state() != QLocalSocket::ConnectedState)
        return false;
    const std::string line = formatRequest(request);
    socket_.write(line.data(), static_cast<qint64>(line.size()));
    return socket_.flush() || socket_.bytesToWrite() == 0;
}

void WaveformViewer::poll() {
    std::optional<std::string> text = share_->take(kTakeLockMs);
    if (!text || text->empty())
        return;
    pending_ += *text;
    if (pending_.size() > kMaxPending)
        pending_.erase(0, pending_.size() - kMaxPending);
    // Only the newest complete line is drawn; older ones have been overtaken.
    std::size_t end = pending_.rfind('\n');
    if (end == std::string::npos)
        return;
    std::string_view complete(pending_.data(), end);
    std::size_t start = complete.rfind('\n');
    std::string_view line = complete.substr(start == std::string_view::npos ? 0 : start + 1);
    std::vector<int> samples = parseWaveformLine(line);
    pending_.erase(0, end + 1);
    if (!samples.empty())
        chart_->setSamples(std::move(samples));
}

void WaveformViewer::closeEvent(QCloseEvent* event) {
    timer_.stop();
    if (!detached_) {
        detached_ = true;
        send({0, 0});
        socket_.waitForBytesWritten(500);
        socket_.disconnectFromServer();
    }
    event->accept();
}

}  // namespace omni::tools
