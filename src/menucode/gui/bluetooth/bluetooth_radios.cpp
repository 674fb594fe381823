#include "menucode/gui/bluetooth/bluetooth_radios.h"

#ifdef OMNI_HAVE_QT_BLUETOOTH
#include <QBluetoothAddress>
#include <QBluetoothHostInfo>
#include <QBluetoothLocalDevice>
#endif

namespace omni::menucode::bluetooth {
namespace {

class SystemBluetoothRadios : public BluetoothRadios {
public:
    std::vector<std::uint64_t> addresses() const override {
        std::vector<std::uint64_t> out;
#ifdef OMNI_HAVE_QT_BLUETOOTH
        for (const QBluetoothHostInfo& host : QBluetoothLocalDevice::allDevices()) {
            out.push_back(host.address().toUInt64());
        }
#endif
        return out;
    }
};

}  // namespace

std::shared_ptr<const BluetoothRadios> systemBluetoothRadios() {
    return std::make_shared<SystemBluetoothRadios>();
}

}  // namespace omni::menucode::bluetooth
