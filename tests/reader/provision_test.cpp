// Provisioning one reader against the simulator: the ACK-mode bracket around the commands, the
// counts, a reader that goes silent or away part-way, and a cancel.
#include "reader/provision.h"
#include "serial/reader_fixture.h"
#include "sim/responders.h"

namespace omni::test {
namespace {

using namespace std::chrono_literals;

// Stops answering (and so acknowledging) once it has seen a given command.
class FallsSilentAt : public sim::Responder {
public:
    explicit FallsSilentAt(std::string command) : command_(std::move(command)) {}
    bool handle(std::string_view command, sim::SimulatedReader& reader) override {
        if (command == command_)
            reader.setSilent(true);
        return false;
    }

private:
    std::string command_;
};

class Provision : public ReaderTest {
protected:
    reader::ProvisionRequest request(bool verify) {
        return {{serial::PortKind::Serial, reader.devicePath()},
                "reader-1",
                std::string(kTestKey),
                {"BCA", "[DC1Q0Q0", "Z3"},
                verify,
                500};
    }
    reader::ProvisionResult run(const reader::ProvisionRequest& r,
                                const reader::ProvisionListener& listener = {}) {
        return reader::provisionReader(port, r, listener, cancel);
    }
    // The commands the reader saw after identifying itself.
    std::vector<std::string> sentAfterIdentification() const {
        std::vector<std::string> seen = reader.transcript();
        auto z1 = std::find(seen.rbegin(), seen.rend(), "Z1");
        return {z1.base(), seen.end()};
    }

    reader::ProvisionCancel cancel;
};

TEST_F(Provision, VerifiedRunBracketsTheCommandsInAckModeAndCountsEachAck) {
    reader.setVersionReply(sim::replies::family("BA12J13i"));
    std::vector<std::size_t> progress;
    const reader::ProvisionResult result =
        run(request(true), [&](const reader::ProvisionProgress& p) { progress.push_back(p.sent); });

    EXPECT_TRUE(result.ok()) << result.failure;
    EXPECT_EQ(result.identity.firmware, "BA12J13i");
    EXPECT_EQ(result.sent, 3u);
    EXPECT_EQ(result.acknowledged, 3u);
    EXPECT_EQ(sentAfterIdentification(),
              (std::vector<std::string>{"WC", "BCA", "[DC1Q0Q0", "Z3", "WD"}));
    EXPECT_FALSE(reader.ackMode());
    EXPECT_EQ(progress, (std::vector<std::size_t>{0, 1, 2, 3, 3}));
    EXPECT_FALSE(port.isOpen());
}

TEST_F(Provision, UnverifiedRunSendsOnlyTheCommands) {
    reader.setVersionReply(sim::replies::family("BD49"));
    const reader::ProvisionResult result = run(request(false));
    EXPECT_TRUE(result.ok()) << result.failure;
    EXPECT_EQ(result.sent, 3u);
    EXPECT_EQ(result.acknowledged, 0u);
    ASSERT_TRUE(reader.waitForCommands(4, 2s));
    EXPECT_EQ(sentAfterIdentification(), (std::vector<std::string>{"BCA", "[DC1Q0Q0", "Z3"}));
}

TEST_F(Provision, SilentOrVanishingReadersFailWithTheirReason) {
    reader.setSilent(true);
    reader::ProvisionResult result = run(request(true));
    EXPECT_FALSE(result.ok());
    EXPECT_EQ(result.failureKind, reader::FailureKind::NoAnswer);
    EXPECT_EQ(result.sent, 0u);

    // Acknowledges the second command, then keeps quiet: the run names the third and stops.
    reader.setSilent(false);
    reader.setVersionReply(sim::replies::family("BA12J13i"));
    reader.addResponder(std::make_unique<FallsSilentAt>("[DC1Q0Q0"));
    result = run(request(true));
    EXPECT_EQ(result.failureKind, reader::FailureKind::NoAnswer);
    EXPECT_NE(result.failure.find("command 3 (\"Z3\")"), std::string::npos) << result.failure;
    EXPECT_EQ(result.sent, 3u);
    EXPECT_EQ(result.acknowledged, 2u);
    EXPECT_EQ(sentAfterIdentification().back(), "WD");  // asked to leave ACK mode all the same

    reader.setSilent(false);
    reader.hangUpAfter(3);
    result = run(request(true));
    EXPECT_FALSE(result.ok());
    EXPECT_FALSE(port.isOpen());
}

TEST_F(Provision, CancelStopsBetweenCommandsAndLeavesAckMode) {
    reader.setVersionReply(sim::replies::family("BA12J13i"));
    const reader::ProvisionResult result =
        run(request(true), [&](const reader::ProvisionProgress& p) {
            if (p.sent == 1)
                cancel.cancel();
        });
    EXPECT_TRUE(result.cancelled);
    EXPECT_FALSE(result.ok());
    EXPECT_LT(result.sent, 3u);
    ASSERT_TRUE(reader.waitForCommands(1, 2s));
    EXPECT_EQ(sentAfterIdentification().back(), "WD");
    EXPECT_FALSE(reader.ackMode());
}

}  // namespace
}  // namespace omni::test
