// Storing script pairs in the simulated reader and reading them back over a pty; the reader's
// samples for the test page and the GS1 wizard.
#include <chrono>

#include "dataedit/exchange_link.h"
#include "dataedit/gs1.h"
#include "dataedit/ocr.h"
#include "reader/command_exchange.h"
#include "serial/reader_fixture.h"
#include "sim/dataedit_responder.h"

namespace omni::test {
namespace {

using namespace std::chrono_literals;
using dataedit::ScriptPair;

class StoredProgramsTest : public ReaderTest {
protected:
    void SetUp() override {
        auto responder = std::make_unique<sim::DataEditResponder>();
        dataEdit = responder.get();
        reader.addResponder(std::move(responder));
        ReaderTest::SetUp();
        openPort();
    }

    // One reply line as the receive path would see it.
    std::string line() { return port.readLine(dataedit::kMaxReplyLength, '\r', 1000); }

    sim::DataEditResponder* dataEdit = nullptr;
};

TEST_F(StoredProgramsTest, FourProgramsRoundTrip) {
    reader::CommandExchange exchange(port);
    const ScriptPair pairs[4] = {
        {"\\s80\"\\Df00\"(?:<\\Ax>\"\\Ax\\Dx\")+$", "[0]"},
        {"(.{1,99})$/\\Su(.{0,5})$", "[0]\\kB1[1]"},
        {"", ""},
        {"a\\''b", "\\x02[0]"},
    };
    for (int p = 1; p <= 4; ++p) {
        const ScriptPair& pair = pairs[p - 1];
        exchange.sendCommand(dataedit::ComposeStoreCommand(pair.cut, pair.paste, p));
    }
    ASSERT_TRUE(reader.waitForCommands(4, 2s));
    // The quoted literal gives the reader the single quote back.
    EXPECT_EQ(dataEdit->program(4).cut, "a\\'b");

    dataedit::StoredPrograms stored = dataedit::ReadStoredPrograms(exchange, port, 1000);
    EXPECT_TRUE(stored.complete);
    EXPECT_EQ(stored.programs[0], pairs[0]);
    EXPECT_EQ(stored.programs[1], pairs[1]);
    EXPECT_EQ(stored.programs[2], pairs[2]);
    EXPECT_EQ(stored.programs[3].paste, pairs[3].paste);
    auto transcript = reader.transcript();
    ASSERT_EQ(transcript.size(), 8u);
    EXPECT_EQ(transcript[4], "[ED5Q1");
    EXPECT_EQ(transcript[7], "[ED5Q4");
}

TEST_F(StoredProgramsTest, ASilentReaderLeavesWhatArrived) {
    reader::CommandExchange exchange(port);
    reader.setSilent(true);
    dataedit::StoredPrograms stored = dataedit::ReadStoredPrograms(exchange, port, 200);
    EXPECT_FALSE(stored.complete);
    EXPECT_EQ(stored.programs[0], ScriptPair{});
    EXPECT_EQ(reader.transcript().size(), 1u);  // no point asking for the other three
    EXPECT_TRUE(dataedit::ReadStoredPrograms(nullptr).programs[3].cut.empty());
}

TEST_F(StoredProgramsTest, OcrCommandAndTestSample) {
    reader::CommandExchange exchange(port);
    dataEdit->setTestSample("12345");
    dataedit::OcrSetting setting;
    setting.lines[0].positions.fill(dataedit::kOcrNumeric);
    setting.lines[1].positions.fill(dataedit::kOcrAlphabetic);
    setting.lines[1].digits = 12;
    setting.lineCount = 2;
    setting.font = 1;
    exchange.sendCommand(dataedit::ComposeOcrCommand(setting));
    EXPECT_EQ(line(), "12345");
    auto ocr = dataEdit->ocr();
    EXPECT_TRUE(ocr.enabled);
    EXPECT_EQ(ocr.digits, 5);
    EXPECT_EQ(ocr.font, 1);
    EXPECT_EQ(dataEdit->program(1).paste, "[0]\\x0D[1]\\x0D");
}

TEST_F(StoredProgramsTest, GS1SampleAfterTheStartCommand) {
    reader::CommandExchange exchange(port);
    dataEdit->setGS1Sample(
        "0104912345678904"
        "10ABC123\x1D"
        "3103000150");
    exchange.sendCommand(dataedit::GS1StartCommand(false));
    const std::string sample = line();
    EXPECT_EQ(sample,
              "0104912345678904"
              "10ABC123 3103000150");
    EXPECT_EQ(dataEdit->program(4).paste, "[0]");
    dataedit::GS1Parse parse = dataedit::ParseGS1Sample(sample);
    ASSERT_EQ(parse.rows.size(), 3u);
    EXPECT_EQ(parse.rows[1].parts[0], "ABC123");

    exchange.sendCommand(dataedit::GS1CancelCommand());
    ASSERT_TRUE(reader.waitForCommands(2, 2s));
    EXPECT_TRUE(dataEdit->program(4).cut.empty());
}

}  // namespace
}  // namespace omni::test
