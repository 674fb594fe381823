#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "commands/compose/bluetooth.h"
#include "resources/string_ids.h"

namespace omni::commands::compose {
namespace {

constexpr DateTime kNinthJanuary{2026, 1, 9, 8, 5, 3};

TEST(TimeAdjustment, WritesPerMode) {
    const std::vector<std::string> writes2D = timeAdjustmentWrites(kNinthJanuary, true);
    EXPECT_EQ(writes2D, (std::vector<std::string>{"[EBE", "Q2Q0Q2Q6", "Q0Q1", "Q0Q9", "Q0Q8",
                                                  "Q0Q5", "Q0Q3", "[EBF", "[EBG"}));
    const std::vector<std::string> writes1D = timeAdjustmentWrites(kNinthJanuary, false);
    ASSERT_EQ(writes1D.size(), 1u + 14u + 2u);
    EXPECT_EQ(writes1D[1], "Q2");
    EXPECT_EQ(writes1D[4], "Q6");
    EXPECT_EQ(writes1D[14], "Q3");
    // The bytes on the wire are the same in both modes, without carriage returns.
    const std::string bytes = "[EBEQ2Q0Q2Q6Q0Q1Q0Q9Q0Q8Q0Q5Q0Q3[EBF[EBG";
    EXPECT_EQ(joinWrites(writes2D), bytes);
    EXPECT_EQ(joinWrites(writes1D), bytes);
}

TEST(TimeAdjustment, ClockTextRoundTrip) {
    EXPECT_EQ(clockText(kNinthJanuary), "2026/01/09 08:05:03");
    EXPECT_EQ(parseClockText("2026/01/09 08:05:03"), kNinthJanuary);
    EXPECT_EQ(parseClockText("2026/1/09 08:05:03"), std::nullopt);
    EXPECT_EQ(parseClockText("2026/01/09 08:05:0x"), std::nullopt);
    EXPECT_EQ(parseClockText(""), std::nullopt);
    const DateTime now = localDateTime();
    EXPECT_EQ(parseClockText(clockText(now)), now);
}

TEST(DeviceName, FilterDropsWhatTheReaderCannotStore) {
    EXPECT_EQ(filterDeviceName(u"Ab C-1.(x)=_"), u"A C-1.()=");
    EXPECT_EQ(filterDeviceName(u"ABCDEFGHIJKLMNOPQRSTUVWXYZ"), u"ABCDEFGHIJKLMNOPQRS");
    EXPECT_EQ(filterDeviceName(u"\u00C4\u30A2"), u"");
}

TEST(DeviceName, Writes) {
    EXPECT_EQ(deviceNameWrites(u"A 9=", false, true),
              (std::vector<std::string>{"[E65", "0A", "5A", "Q9", "6D", "[E66"}));
    EXPECT_EQ(joinWrites(deviceNameWrites(u"Z(x)", false, false)), "[E650Z\r5I\r5J\r[E66");
    EXPECT_EQ(deviceNameWrites(u"ABC", true, true), (std::vector<std::string>{"[E65", "[E66"}));
}

TEST(SendCommand, Controls) {
    const SendCommandControls time = sendCommandControls(res::ids::TimeAdjustment, false, false);
    EXPECT_TRUE(time.clockVisible);
    EXPECT_FALSE(time.valueVisible || time.initializeVisible || time.sendEnabled);
    const SendCommandControls name = sendCommandControls(res::ids::DeviceName, true, true);
    EXPECT_TRUE(name.valueVisible && name.initializeVisible && name.sendEnabled);
    EXPECT_FALSE(name.valueEnabled);
    EXPECT_TRUE(sendCommandControls(res::ids::DeviceName, false, true).valueEnabled);
}

TEST(AddressBarcode, TextPerMode) {
    const std::uint64_t radios[] = {0x00AABBCCDDEEull, 0x0000012345ABull};
    EXPECT_EQ(addressBarcodeText(res::ids::BluetoothAddress, "", u"", radios), "_0000012345ab_");
    EXPECT_EQ(addressBarcodeText(res::ids::BluetoothAddress, "", u"", {}), std::nullopt);
    EXPECT_EQ(radioAddressText(0xFFFF'0000'0000'0001ull), "_000000000001_");
    EXPECT_EQ(addressBarcodeText(res::ids::ClearStoredData, "+-MCLR-+", u"", {}), "_+-MCLR-+_");
    EXPECT_EQ(addressBarcodeText(res::ids::WirelessDisconnect, "+-DISC-+", u"", {}), "_+-DISC-+_");
    EXPECT_EQ(addressBarcodeText(res::ids::DemoMode, "+-DEMO-+", u"", {}), "_+-DEMO-+_");
    EXPECT_EQ(addressBarcodeText(res::ids::TimeAdjustment, "", u"20260109080503", {}),
              "_20260109080503_");
    EXPECT_EQ(addressBarcodeText(res::ids::TimeAdjustment, "", u"2026010908050", {}), std::nullopt);
    EXPECT_EQ(addressBarcodeText(res::ids::TimeAdjustment, "", u"202601090805031", {}),
              std::nullopt);
    EXPECT_EQ(addressBarcodeText(12345, "X", u"", {}), std::nullopt);
    EXPECT_EQ(dateTimeValue(kNinthJanuary), "20260109080503");
    EXPECT_TRUE(valueControlsVisible(res::ids::TimeAdjustment));
    EXPECT_FALSE(valueControlsVisible(res::ids::DemoMode));
}

TEST(AddressBarcode, CodeSizeStaysInRange) {
    EXPECT_EQ(codeSizeAfterWheel(kCodeSizeStart, 120), 74);
    EXPECT_EQ(codeSizeAfterWheel(kCodeSizeStart, -120), 70);
    EXPECT_EQ(codeSizeAfterWheel(95, 120), 96);
    EXPECT_EQ(codeSizeAfterWheel(96, 120), 96);
    EXPECT_EQ(codeSizeAfterWheel(49, -120), 48);
    EXPECT_EQ(codeSizeAfterWheel(60, 0), 60);
    EXPECT_EQ(clampCodeSize(10), 48);
    EXPECT_EQ(clampCodeSize(200), 96);
}

}  // namespace
}  // namespace omni::commands::compose
