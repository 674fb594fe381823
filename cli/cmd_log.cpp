// omnisetup-cli log: shows a byte stream the way the communication log shows received data.
//
// Standard input is fed through the log chain in the blocks it arrives in, each followed by a
// flush, as the serial receive thread does; at the end the bytes of an unfinished character are
// shown as they are and the line is ended. The text goes to standard output as UTF-8 with CR LF
// line ends, every byte of it however slowly standard output is read.
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "command.h"
#include "exit_status.h"
#include "foundation/exception.h"
#include "resources/string_ids.h"
#include "resources/strings.h"
#include "serial/codepage.h"
#include "stream/code_page_setting.h"
#include "stream/code_page_table.h"
#include "stream/log_chain.h"
#include "stream/multi_byte_converter.h"

namespace omni::cli {
namespace {

// Writes the log's text to standard output as UTF-8. A surrogate pair split between two runs
// is held back until its second half arrives.
class StdoutSink : public stream::TextSink {
public:
    void append(const char16_t* text, std::size_t count) override {
        held_.append(text, count);
        std::size_t ready = held_.size();
        if (held_.back() >= 0xD800 && held_.back() <= 0xDBFF)
            --ready;
        write(std::u16string_view(held_).substr(0, ready));
        held_.erase(0, ready);
    }
    void flush() override { std::fflush(stdout); }
    // Called after the writer thread has handed over everything.
    void finish() {
        write(held_);
        held_.clear();
        std::fflush(stdout);
    }

private:
    static void write(std::u16string_view text) {
        std::string bytes = res::toUtf8(text);
        std::fwrite(bytes.data(), 1, bytes.size(), stdout);
    }

    std::u16string held_;
};

int listCodePages() {
    for (const serial::CodePageEntry& e : serial::buildCodePageList(serial::installedCodePages())) {
        std::printf("%u\t%s\n", e.codePage, res::toUtf8(e.text).c_str());
    }
    return 0;
}

}  // namespace

int runLog(const Args& args) {
    std::optional<std::uint32_t> codePage;
    int choices = 0;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--list")
            return listCodePages();
        ++choices;
        if (a == "--hex") {
            codePage = stream::kHexCodePage;
        } else if (a == "--utf16le") {
            codePage = stream::kUtf16LeCodePage;
        } else if (a == "--utf16be") {
            codePage = stream::kUtf16BeCodePage;
        } else if (a == "--codepage" && i + 1 < args.size()) {
            const std::string& number = args[++i];
            std::uint32_t value = 0;
            auto [end, error] =
                std::from_chars(number.data(), number.data() + number.size(), value);
            if (error != std::errc() || end != number.data() + number.size()) {
                // "-1" names the hexadecimal display, as the stored setting does.
                if (number != "-1")
                    return fail(res::formatUtf8(res::ids::NotACodePage, {number}), ExitBadInput);
                value = stream::kHexCodePage;
            }
            codePage = value;
        } else {
            return fail(
                "usage: omnisetup-cli log [--codepage N | --hex | --utf16le | --utf16be | --list]",
                2);
        }
    }
    if (choices > 1)
        return fail(res::loadStringUtf8(res::ids::OneCodePageOption), ExitBadInput);

    // The list's entry for the wanted code page, without opening every converter there is.
    std::uint32_t wanted = codePage.value_or(stream::kDefaultCodePage);
    std::vector<serial::SystemCodePage> system;
    if (const stream::CodePageInfo* info = stream::findCodePage(wanted);
        info && stream::isCodePageConvertible(wanted)) {
        system.push_back({wanted, info->name});
    }
    std::vector<serial::CodePageEntry> list = serial::buildCodePageList(system);
    std::size_t index = serial::findCodePageEntry(list, wanted);
    if (list[index].codePage != wanted)
        return fail(res::formatUtf8(res::ids::CodePageMissing, {std::to_string(wanted)}),
                    ExitBadInput);
    stream::setCurrentCodePageSetting(list[index].setting());

    StdoutSink sink;
    stream::BufferedDeSynchronizedEditBoxOutputStream<8192> chain;
    chain.setSink(&sink);
    chain.setWaitForWriter(true);  // a slow reader of standard output slows us, never loses text
    char buffer[65536];
    for (;;) {
        ssize_t n = ::read(STDIN_FILENO, buffer, sizeof buffer);
        if (n == 0)
            break;
        if (n < 0) {
            if (errno == EINTR)
                continue;
            throw foundation::SystemException(errno, u"read");
        }
        chain.write(buffer, static_cast<std::size_t>(n));
        chain.flush();
    }
    chain.endOfInput();
    chain.drain();
    chain.setSink(nullptr);
    sink.finish();
    return 0;
}

}  // namespace omni::cli
