// omnisetup-waveform SOCKET: the waveform viewer. The desktop program starts it with the name of
// its request socket once it has created the shared waveform block.
#include <QApplication>
#include <QMessageBox>
#include <cstdio>

#include "foundation/exception.h"
#include "resources/string_ids.h"
#include "resources/strings.h"
#include "tools/gui/waveform_viewer.h"

namespace {

QString text(std::uint32_t id) {
    const std::u16string_view loaded = omni::res::loadString(id);
    return QString::fromUtf16(loaded.data(), static_cast<qsizetype>(loaded.size()));
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "%s\n",
                     omni::res::loadStringUtf8(omni::res::ids::WaveformUsage).c_str());
        return 2;
    }
    std::unique_ptr<omni::tools::WaveformShare> share;
    try {
        share = std::make_unique<omni::tools::WaveformShare>(
            std::string(omni::tools::kWaveformMemoryName),
            std::string(omni::tools::kWaveformLockName), false);
    } catch (const omni::foundation::Exception&) {
        QMessageBox::warning(nullptr, text(omni::res::ids::WaveformTitle),
                             text(omni::res::ids::WaveformNoBlock));
        return 1;
    }
    omni::tools::WaveformViewer viewer(std::move(share), QString::fromLocal8Bit(argv[1]));
    viewer.show();
    return app.exec();
}
