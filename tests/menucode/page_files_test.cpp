// Page files written whole or not at all: when the disk fills part-way through a PNG, SVG, PDF
// or metafile, the file that was there stays as it was, no temporary file is left, and the OS
// error comes back. A picture beyond the pixel limit is refused before anything is allocated.
#include <gtest/gtest.h>

#include <QGuiApplication>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <sstream>

#include "foundation/exception.h"
#include "foundation/file_size_limit.h"
#include "menucode/emf_writer.h"
#include "menucode/gui_environment.h"
#include "menucode/page_render.h"

namespace fs = std::filesystem;

namespace omni::menucode {
namespace {

[[maybe_unused]] auto* const kEnvironment =
    ::testing::AddGlobalTestEnvironment(new test::GuiEnvironment);

std::string contentOf(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// A page busy enough that every format needs more than a few kilobytes.
menucode::Drawing busyPage() {
    menucode::Drawing drawing;
    drawing.width = 800;
    drawing.height = 800;
    for (int y = 0; y < 80; ++y) {
        for (int x = 0; x < 80; ++x) {
            if ((x * 7 + y * 13) % 3 == 0)
                drawing.rect({x * 10.0, y * 10.0, x * 10.0 + 10, y * 10.0 + 10}, true);
        }
    }
    drawing.text({0, 0, 800, 20}, u"Menu code", menucode::Font{}, menucode::Align::Left);
    return drawing;
}

TEST(PageFiles, DiskFullPartWayLeavesTheEarlierFile) {
    const fs::path folder =
        fs::temp_directory_path() / ("omni-page-files-" + std::to_string(::getpid()));
    fs::remove_all(folder);
    fs::create_directories(folder);
    const menucode::Drawing drawing = busyPage();
    const menucode::QtTextMeasure measure;
    const std::pair<const char*, std::function<void(const std::string&)>> writers[] = {
        {"page.png", [&](const std::string& path) { menucode::writePng(drawing, path, 96.0); }},
        {"page.svg", [&](const std::string& path) { menucode::writeSvg(drawing, path, 96.0); }},
        {"page.pdf", [&](const std::string& path) { menucode::writePdf({drawing}, path); }},
        {"page.emf",
         [&](const std::string& path) {
             menucode::writeEmf(drawing, menucode::DeviceGeometry::a4Printer600(), measure, path);
         }},
    };
    for (const auto& [name, write] : writers) {
        SCOPED_TRACE(name);
        const fs::path path = folder / name;
        std::ofstream(path) << "earlier page";
        {
            test::FileSizeLimit limit(2048);
            try {
                write(path.string());
                ADD_FAILURE() << "written beyond the limit without an error";
            } catch (const foundation::SystemException& e) {
                EXPECT_EQ(e.errorCode(), EFBIG);
            }
        }
        EXPECT_EQ(contentOf(path), "earlier page");
        write(path.string());  // with room, the page replaces it
        EXPECT_GT(fs::file_size(path), 2048u);
    }
    std::size_t files = 0;
    for (const auto& entry : fs::directory_iterator(folder)) {
        EXPECT_EQ(entry.path().filename().string().rfind(".omni-tmp-", 0), std::string::npos);
        ++files;
    }
    EXPECT_EQ(files, 4u);
    fs::remove_all(folder);
}

TEST(PageFiles, OversizedPictureIsRefusedBeforeAllocating) {
    menucode::Drawing drawing;
    drawing.width = 20000;
    drawing.height = 20000;
    const fs::path path = fs::temp_directory_path() / "omni-page-files-huge.png";
    try {
        menucode::writePng(drawing, path.string(), 300.0);  // a pixel a unit: 400 megapixels
        FAIL() << "a 400-megapixel picture was made";
    } catch (const foundation::UserException& e) {
        EXPECT_NE(e.text().find(u"20000"), std::u16string::npos);
    }
    EXPECT_FALSE(fs::exists(path));
}

}  // namespace
}  // namespace omni::menucode
