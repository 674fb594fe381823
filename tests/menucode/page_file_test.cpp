// Page files: what is saved comes back as the same page, damaged lines are reported by number
// without losing the rest, and a file is replaced whole or not at all.
#include "menucode/page_file.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "commands/selector_model.h"
#include "foundation/exception.h"
#include "menucode/menu_code_history.h"
#include "resources/strings.h"

namespace fs = std::filesystem;
using omni::commands::PageItem;
using namespace omni::menucode;

namespace {

std::string slurp(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

struct TempDir {
    fs::path path = fs::temp_directory_path() / ("page_file_test-" + std::to_string(::getpid()));
    TempDir() { fs::create_directories(path); }
    ~TempDir() { fs::remove_all(path); }
};

std::u16string problemsText(const PageFileContents& contents) {
    std::u16string all;
    for (const auto& p : contents.problems)
        all += describe(p) + u"\n";
    return all;
}

}  // namespace

TEST(PageFile, RoundTripKeepsBytesLabelsOrderAndTheMenuCode) {
    PageFile page;
    page.items = omni::commands::pageItemsFromString("[BCA", u"Enable Code 39", true);
    // Every byte value that needs escaping, a leading "#", and labels that need escaping:
    // a tab, a line break, a backslash, Japanese text and a character outside the BMP.
    std::string awkward = "#'A\\B''C'[DC1Q0";
    awkward += '\r';
    awkward += "Q\t\n";
    awkward += '\x7F';
    awkward += '\x80';
    awkward += '\xFF';
    awkward += '\x01';
    page.items.push_back(
        omni::commands::makePageItem(awkward, u"tab\there\nnext \\ 読取 \U0001F600", 9));
    page.items.push_back(omni::commands::makePageItem("Z2", u"", 1));

    const std::string text = formatPageFile(page);
    EXPECT_TRUE(text.starts_with("OMNIPAGE 1 2D\n"));
    // One line per entry: nothing the escaping lets through may break a line.
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 4);
    EXPECT_NE(text.find("\\x23'A\\\\B''C'[DC1Q0\\rQ\\t\\n\\x7F\\x80\\xFF\\x01\t"),
              std::string::npos);

    const PageFileContents back = parsePageFile(text);
    EXPECT_TRUE(back.problems.empty()) << omni::res::toUtf8(problemsText(back));
    ASSERT_EQ(back.page.items.size(), page.items.size());
    EXPECT_TRUE(back.page.mode2D);
    for (std::size_t i = 0; i < page.items.size(); ++i) {
        EXPECT_EQ(back.page.items[i].bytes, page.items[i].bytes) << i;
        EXPECT_EQ(back.page.items[i].label, page.items[i].label) << i;
    }
    // Counted as the selector counts them, so the reopened page gives the same menu code.
    EXPECT_EQ(back.page.items[0].count, page.items[0].count);
    omni::menucode::MenuCodeHistory original, reopened;
    for (const auto& item : page.items)
        original.addEntry(item);
    for (const auto& item : back.page.items)
        reopened.addEntry(item);
    EXPECT_EQ(reopened.envelope(), original.envelope());

    // 1D pages keep their mode, and pieces the menu-command syntax does not split are kept as
    // the selector keeps them.
    PageFile sheet{false, omni::commands::pageItemsFromString("[DE1\rQ0\rQ", u"Prefix", false)};
    const PageFileContents sheetBack = parsePageFile(formatPageFile(sheet));
    EXPECT_FALSE(sheetBack.page.mode2D);
    ASSERT_EQ(sheetBack.page.items.size(), 3u);
    EXPECT_EQ(sheetBack.page.items[2].bytes, "Q");
    EXPECT_EQ(sheetBack.page.items[2].label, sheet.items[2].label);
}

TEST(PageFile, DamagedLinesAreReportedByNumberAndTheRestKept) {
    const std::string text =
        "\xEF\xBB\xBFOMNIPAGE 1 2D\r\n"  // a byte-order mark and CRLF line ends, as editors leave
        "[BCA\tfirst\r\n"
        "\r\n"
        "# a comment\n"
        "[BCB no tab\n"               // 5
        "[BC\\qA\tbad escape\n"       // 6
        "[BCC\\x4\tshort hex\n"       // 7
        "\tno command\n"              // 8
        "[BCD\t\xC3\x28 bad UTF-8\n"  // 9
        "Q1Q\tno tokens\n"            // 10
        + std::string(1024, 'A') +
        "\ttoo long\n"  // 11
        "[BCE\t" +
        std::string(260, 'x') +
        "\n"  // 12
        "[BCF\tlast";
    const PageFileContents contents = parsePageFile(text);
    ASSERT_EQ(contents.page.items.size(), 2u);
    EXPECT_EQ(contents.page.items[0].label, u"first");
    EXPECT_EQ(contents.page.items[1].bytes, "[BCF");
    std::vector<std::size_t> lines;
    for (const auto& p : contents.problems)
        lines.push_back(p.line);
    EXPECT_EQ(lines, (std::vector<std::size_t>{5, 6, 7, 8, 9, 10, 11, 12}));
    const std::u16string all = problemsText(contents);
    EXPECT_NE(all.find(u"Line 6: \"\\q\""), std::u16string::npos) << omni::res::toUtf8(all);
    EXPECT_NE(all.find(u"1023 bytes"), std::u16string::npos);

    // A page holds 256 entries: the rest is reported once.
    std::string many = "OMNIPAGE 1 1D\n";
    for (int i = 0; i < 300; ++i)
        many += "Q" + std::to_string(i % 10) + "\tdigit\n";
    const PageFileContents full = parsePageFile(many);
    EXPECT_EQ(full.page.items.size(), 256u);
    ASSERT_EQ(full.problems.size(), 1u);
    EXPECT_EQ(full.problems[0].line, 258u);
}

TEST(PageFile, HeadersThatAreNotOursAreRefusedWithTheReason) {
    auto message = [](std::string_view text) -> std::string {
        try {
            parsePageFile(text);
        } catch (const omni::foundation::UserException& e) {
            EXPECT_EQ(e.code(), omni::foundation::UserException::BadInput);
            return e.what();
        }
        return "accepted";
    };
    EXPECT_NE(message("").find("not an OmniSetup page file"), std::string::npos);
    EXPECT_NE(message("[BCA\tEnable\n").find("not an OmniSetup page file"), std::string::npos);
    EXPECT_NE(message("OMNIPAGE x 2D\n").find("not an OmniSetup page file"), std::string::npos);
    EXPECT_NE(message("OMNIPAGE 2 2D\n[BCA\tx\n").find("version 2"), std::string::npos);
    EXPECT_NE(message("OMNIPAGE 1 3D\n").find("\"3D\""), std::string::npos);
    EXPECT_EQ(message("OMNIPAGE 1 1D"), "accepted");  // an empty page, no final line break
}

TEST(PageFile, WritesReplaceTheFileWholeOrNotAtAll) {
    TempDir dir;
    const fs::path target = dir.path / "page.omnipage";
    PageFile page{true, omni::commands::pageItemsFromString("[BCA", u"Enable", true)};
    writePageFile(page, target);
    EXPECT_EQ(readPageFile(target).page.items.size(), 1u);

    page.items.push_back(omni::commands::makePageItem("[BCB", u"Second", 1));
    writePageFile(page, target);
    EXPECT_EQ(slurp(target), formatPageFile(page));

    // A target that cannot be replaced (a folder) or a folder that does not exist: an error
    // naming the file, no temporary left behind, the old content untouched.
    fs::create_directories(dir.path / "taken");
    fs::create_directories(dir.path / "taken" / "inside");
    EXPECT_THROW(writePageFile(page, dir.path / "taken"), omni::foundation::UserException);
    EXPECT_THROW(writePageFile(page, dir.path / "missing" / "p.omnipage"),
                 omni::foundation::UserException);
    std::size_t entries = 0;
    for ([[maybe_unused]] const auto& e : fs::directory_iterator(dir.path))
        ++entries;
    EXPECT_EQ(entries, 2u);  // page.omnipage and taken/
    EXPECT_EQ(slurp(target), formatPageFile(page));

    // A link is followed and kept, and the linked file keeps its permissions; a link to a device
    // that takes no bytes is a write error, not a link replaced by a file.
    fs::permissions(target, fs::perms::owner_read | fs::perms::owner_write);
    fs::create_symlink("page.omnipage", dir.path / "link.omnipage");
    writePageFile(PageFile{true, {}}, dir.path / "link.omnipage");
    EXPECT_TRUE(fs::is_symlink(dir.path / "link.omnipage"));
    EXPECT_EQ(slurp(target), formatPageFile(PageFile{true, {}}));
    EXPECT_EQ(fs::status(target).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write);
    fs::create_symlink("/dev/full", dir.path / "full.omnipage");
    EXPECT_THROW(writePageFile(page, dir.path / "full.omnipage"), omni::foundation::UserException);
    EXPECT_TRUE(fs::is_symlink(dir.path / "full.omnipage"));
    try {
        readPageFile(dir.path / "absent.omnipage");
        FAIL();
    } catch (const omni::foundation::UserException& e) {
        EXPECT_NE(std::string(e.what()).find("absent.omnipage"), std::string::npos);
    }
}
