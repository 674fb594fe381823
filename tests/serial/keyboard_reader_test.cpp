// Readers in keyboard mode: recorded key-event sequences decoded with the US and Japanese
// layouts, finding the readers' event devices on a fake sysfs and /dev tree, and listening to a
// device (a pipe standing in for it, and a uinput keyboard when the system offers one).
#include <gtest/gtest.h>

#include <fcntl.h>
#include <linux/input.h>
#include <linux/uinput.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <thread>

#include "foundation/exception.h"
#include "serial/keyboard_reader.h"

namespace omni::serial {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

// Press and release of one key, with the modifiers held around it.
std::vector<KeyEvent> stroke(std::uint16_t key, std::initializer_list<std::uint16_t> held = {}) {
    std::vector<KeyEvent> events;
    for (std::uint16_t m : held)
        events.push_back({EV_KEY, m, 1});
    events.push_back({EV_MSC, MSC_SCAN, 0x70004});  // what a USB keyboard sends before a key
    events.push_back({EV_KEY, key, 1});
    events.push_back({EV_SYN, SYN_REPORT, 0});
    events.push_back({EV_KEY, key, 0});
    for (std::uint16_t m : held)
        events.push_back({EV_KEY, m, 0});
    events.push_back({EV_SYN, SYN_REPORT, 0});
    return events;
}

std::string typed(KeyboardLayout layout, const std::vector<std::vector<KeyEvent>>& strokes) {
    KeystrokeDecoder decoder(layout);
    std::string out;
    for (const auto& events : strokes)
        for (const KeyEvent& e : events)
            out += decoder.feed(e);
    return out;
}

TEST(KeystrokeDecoder, UsLayoutWithShiftCapsLockCtrlAndKeypad) {
    const std::string out = typed(
        KeyboardLayout::Us,
        {stroke(KEY_A, {KEY_LEFTSHIFT}), stroke(KEY_B), stroke(KEY_2, {KEY_RIGHTSHIFT}),
         stroke(KEY_APOSTROPHE, {KEY_LEFTSHIFT}), stroke(KEY_LEFTBRACE), stroke(KEY_KP7),
         stroke(KEY_KPDOT), stroke(KEY_CAPSLOCK), stroke(KEY_C), stroke(KEY_C, {KEY_LEFTSHIFT}),
         stroke(KEY_1), stroke(KEY_CAPSLOCK), stroke(KEY_RIGHTBRACE, {KEY_LEFTCTRL}),
         stroke(KEY_M, {KEY_RIGHTCTRL}), stroke(KEY_1, {KEY_LEFTCTRL}), stroke(KEY_F5),
         stroke(KEY_TAB), stroke(KEY_KPENTER)});
    EXPECT_EQ(out, std::string("Ab@\"[7.Cc1\x1d\r\t\r"));
}

TEST(KeystrokeDecoder, JapaneseLayoutDiffersWhereTheKeysDo) {
    const std::vector<std::vector<KeyEvent>> keys{stroke(KEY_2, {KEY_LEFTSHIFT}),
                                                  stroke(KEY_LEFTBRACE),
                                                  stroke(KEY_APOSTROPHE),
                                                  stroke(KEY_EQUAL, {KEY_LEFTSHIFT}),
                                                  stroke(KEY_YEN),
                                                  stroke(KEY_RO, {KEY_LEFTSHIFT}),
                                                  stroke(KEY_0, {KEY_LEFTSHIFT}),
                                                  stroke(KEY_GRAVE),
                                                  stroke(KEY_BACKSLASH, {KEY_LEFTCTRL})};
    EXPECT_EQ(typed(KeyboardLayout::Japanese, keys), std::string("\"@:~\\_\x1d"));
    // The same keys on a US board.
    EXPECT_EQ(typed(KeyboardLayout::Us, keys), std::string("@['+)`\x1c"));
}

TEST(KeystrokeDecoder, AltCodesRepeatsAndReset) {
    KeystrokeDecoder decoder;
    std::string out;
    for (const KeyEvent& e : std::vector<KeyEvent>{{EV_KEY, KEY_LEFTALT, 1},
                                                   {EV_KEY, KEY_KP0, 1},
                                                   {EV_KEY, KEY_KP0, 0},
                                                   {EV_KEY, KEY_KP6, 1},
                                                   {EV_KEY, KEY_KP6, 0},
                                                   {EV_KEY, KEY_KP5, 1},
                                                   {EV_KEY, KEY_KP5, 0},
                                                   {EV_KEY, KEY_LEFTALT, 0},
                                                   {EV_KEY, KEY_Z, 1},
                                                   {EV_KEY, KEY_Z, 2},
                                                   {EV_KEY, KEY_Z, 0}})
        out += decoder.feed(e);
    EXPECT_EQ(out, "Azz");
    // Alt pressed and let go with no digits types nothing; a lost release is forgotten by reset.
    EXPECT_EQ(decoder.feed({EV_KEY, KEY_LEFTALT, 1}) + decoder.feed({EV_KEY, KEY_LEFTALT, 0}), "");
    decoder.feed({EV_KEY, KEY_LEFTSHIFT, 1});
    decoder.reset();
    EXPECT_EQ(decoder.feed({EV_KEY, KEY_Q, 1}), "q");
    EXPECT_EQ(decoder.feed({EV_KEY, 0xFFFF, 1}), "");
}

class KeyboardTree : public ::testing::Test {
protected:
    void SetUp() override {
        root_ = fs::temp_directory_path() / ("omni-kbd-" + std::to_string(::getpid()));
        fs::remove_all(root_);
        roots.sys = root_ / "sys";
        roots.dev = root_ / "dev";
        fs::create_directories(roots.dev / "input" / "by-id");
    }
    void TearDown() override { fs::remove_all(root_); }

    static void writeFile(const fs::path& file, const std::string& text) {
        fs::create_directories(file.parent_path());
        std::ofstream(file) << text << "\n";
    }
    // An event device of an input device with the given ids.
    void addEvent(int number, const char* vendor, const char* product, const char* name) {
        const fs::path input = roots.sys / "devices" / ("input" + std::to_string(number + 100));
        writeFile(input / "id" / "vendor", vendor);
        writeFile(input / "id" / "product", product);
        writeFile(input / "name", name);
        const fs::path entry = roots.sys / "class" / "input" / ("event" + std::to_string(number));
        fs::create_directories(entry);
        fs::create_directory_symlink(input, entry / "device");
        writeFile(roots.dev / "input" / ("event" + std::to_string(number)), "");
    }

    fs::path root_;
    DiscoveryRoots roots;
};

TEST_F(KeyboardTree, FindsTheMakersKeyboardReadersInEventOrder) {
    addEvent(12, "1e5a", "0001", "Maker 1D Reader");
    addEvent(3, "1e5a", "a001", "Maker 2D Reader");
    addEvent(4, "1e5a", "a002", "Maker 2D Reader COM");  // a serial-mode product id
    addEvent(5, "046d", "a001", "Other keyboard");
    fs::create_directory_symlink("../event3",
                                 roots.dev / "input" / "by-id" / "usb-Maker_Reader-event-if01");
    fs::create_directory_symlink("../event3",
                                 roots.dev / "input" / "by-id" / "usb-Maker_Reader-event-kbd");

    const std::vector<KeyboardReaderDevice> found = findKeyboardReaders(roots);
    ASSERT_EQ(found.size(), 2u);
    EXPECT_EQ(found[0].node, (roots.dev / "input" / "event3").string());
    EXPECT_EQ(found[0].label, "usb-Maker_Reader-event-kbd");
    EXPECT_EQ(found[0].product, 0xA001);
    EXPECT_EQ(found[1].label, "Maker 1D Reader");  // no by-id name: the device's own

    fs::remove(roots.dev / "input" / "event12");  // in sysfs, but its node is gone
    EXPECT_EQ(findKeyboardReaders(roots).size(), 1u);
}

// Collects what a listener reports from its thread.
struct Received {
    std::mutex mutex;
    std::condition_variable changed;
    std::string text;
    int end = 0;

    KeyboardListener::TextSink textSink() {
        return [this](std::string_view bytes) {
            std::lock_guard lock(mutex);
            text.append(bytes);
            changed.notify_all();
        };
    }
    KeyboardListener::EndSink endSink() {
        return [this](int error) {
            std::lock_guard lock(mutex);
            end = error;
            changed.notify_all();
        };
    }
    bool waitFor(const std::function<bool()>& done) {
        std::unique_lock lock(mutex);
        return changed.wait_for(lock, 5s, done);
    }
};

void writeEvents(int fd, const std::vector<KeyEvent>& events) {
    for (const KeyEvent& e : events) {
        input_event raw{};
        raw.type = e.type;
        raw.code = e.code;
        raw.value = e.value;
        ASSERT_EQ(::write(fd, &raw, sizeof raw), static_cast<ssize_t>(sizeof raw));
    }
}

TEST(KeyboardListener, DecodesWhatArrivesAndReportsTheEnd) {
    int pipe[2];
    ASSERT_EQ(::pipe2(pipe, O_CLOEXEC), 0);
    Received received;
    KeyboardListener listener;
    listener.adopt(pipe[0], false, KeyboardLayout::Japanese, received.textSink(),
                   received.endSink());
    EXPECT_TRUE(listener.isOpen());
    writeEvents(pipe[1], stroke(KEY_LEFTBRACE));
    writeEvents(pipe[1], stroke(KEY_ENTER));
    EXPECT_TRUE(received.waitFor([&] { return received.text == "@\r"; })) << received.text;
    ::close(pipe[1]);  // the device goes away
    EXPECT_TRUE(received.waitFor([&] { return received.end != 0; }));
    EXPECT_EQ(received.end, ENODEV);
    listener.close();
    EXPECT_FALSE(listener.isOpen());
    listener.close();
}

TEST(KeyboardListener, RefusalsNameTheDevice) {
    KeyboardListener listener;
    try {
        listener.open("/nonexistent/event9", KeyboardLayout::Us, {}, {});
        FAIL();
    } catch (const foundation::UserException& e) {
        EXPECT_NE(e.what(), nullptr);
        EXPECT_NE(std::string(e.what()).find("/nonexistent/event9"), std::string::npos);
    }
    // A descriptor that is no input device cannot be grabbed.
    int pipe[2];
    ASSERT_EQ(::pipe2(pipe, O_CLOEXEC), 0);
    EXPECT_THROW(listener.adopt(pipe[0], true, KeyboardLayout::Us, {}, {}),
                 foundation::UserException);
    ::close(pipe[1]);
    EXPECT_FALSE(listener.isOpen());
}

// A virtual keyboard with the readers' ids, made through uinput.
class VirtualReader {
public:
    VirtualReader() {
        fd_ = ::open("/dev/uinput", O_WRONLY | O_NONBLOCK | O_CLOEXEC);
        if (fd_ < 0)
            return;
        ::ioctl(fd_, UI_SET_EVBIT, EV_KEY);
        for (int key = KEY_ESC; key <= KEY_KPDOT; ++key)
            ::ioctl(fd_, UI_SET_KEYBIT, key);
        uinput_setup setup{};
        setup.id.bustype = BUS_USB;
        setup.id.vendor = kReaderVendorId;
        setup.id.product = kProductKeyboard2D;
        std::strcpy(setup.name, "OmniSetup test reader");
        if (::ioctl(fd_, UI_DEV_SETUP, &setup) != 0 || ::ioctl(fd_, UI_DEV_CREATE) != 0) {
            ::close(fd_);
            fd_ = -1;
        }
    }
    ~VirtualReader() { unplug(); }
    bool ok() const { return fd_ >= 0; }
    void type(const std::vector<KeyEvent>& events) { writeEvents(fd_, events); }
    void unplug() {
        if (fd_ < 0)
            return;
        ::ioctl(fd_, UI_DEV_DESTROY);
        ::close(fd_);
        fd_ = -1;
    }

private:
    int fd_ = -1;
};

TEST(KeyboardListener, VirtualReaderIsFoundGrabbedAndReleased) {
    VirtualReader reader;
    if (!reader.ok())
        GTEST_SKIP() << "no usable /dev/uinput here (" << std::strerror(errno)
                     << "): the virtual reader cannot be made";
    std::vector<KeyboardReaderDevice> found;
    for (int i = 0; i < 100 && found.empty(); ++i) {
        found = findKeyboardReaders();
        if (found.empty())
            std::this_thread::sleep_for(20ms);  // the node appears once the kernel has it
    }
    ASSERT_EQ(found.size(), 1u);
    Received received;
    KeyboardListener listener;
    listener.open(found[0].node, KeyboardLayout::Us, received.textSink(), received.endSink());
    // While the log listens, nobody else may grab the reader.
    const int other = ::open(found[0].node.c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_GE(other, 0);
    EXPECT_NE(::ioctl(other, EVIOCGRAB, 1), 0);
    reader.type(stroke(KEY_H, {KEY_LEFTSHIFT}));
    reader.type(stroke(KEY_I));
    EXPECT_TRUE(received.waitFor([&] { return received.text == "Hi"; })) << received.text;
    listener.close();
    EXPECT_EQ(::ioctl(other, EVIOCGRAB, 1), 0);  // released
    ::ioctl(other, EVIOCGRAB, 0);
    ::close(other);

    listener.open(found[0].node, KeyboardLayout::Us, received.textSink(), received.endSink());
    reader.unplug();
    EXPECT_TRUE(received.waitFor([&] { return received.end != 0; }));
    EXPECT_EQ(received.end, ENODEV);
}

}  // namespace
}  // namespace omni::serial
