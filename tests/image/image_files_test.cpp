// Picture files: BMP round trips (with the second plane of a 10-bit capture), JPEG encoding and
// decoding, and files that lie about themselves.
#include <gtest/gtest.h>

#include <cstdio>

#include <jpeglib.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "foundation/exception.h"
#include "image/bitmap_file.h"
#include "image/jpeg_codec.h"
#include "image/picture_files.h"
#include "image/pictures.h"

namespace omni::image {
namespace {

namespace fs = std::filesystem;

// A grey DIB of the given depth with a recognisable pattern.
DibContainer greyDib(int width, int height, unsigned bits, bool secondPlane = false) {
    const std::size_t stride = dibStride(width, bits);
    const std::size_t plane = stride * height;
    DibContainer dib;
    dib.allocate(BitmapInfoHeader::kSize + (4u << bits), secondPlane ? 2 * plane : plane);
    BitmapInfoHeader info;
    info.width = width;
    info.height = height;
    info.bitCount = static_cast<std::uint16_t>(bits);
    info.sizeImage = static_cast<std::uint32_t>(plane);
    info.clrUsed = 1u << bits;
    info.writeTo(dib.header.data());
    writeGreyPalette(dib.header.data() + BitmapInfoHeader::kSize, bits);
    for (std::size_t i = 0; i < dib.pixels.size(); ++i)
        dib.pixels[i] = static_cast<std::uint8_t>(i * 7 + i / stride);
    return dib;
}

std::vector<std::uint8_t> bmpBytes(const DibContainer& dib) {
    return encodePicture(BitmapFileImage(dib), PictureKind::Bitmap);
}

class ScratchFolder : public ::testing::Test {
protected:
    void SetUp() override {
        folder = fs::temp_directory_path() / ("omni-image-" + std::to_string(::getpid()));
        fs::create_directories(folder);
    }
    void TearDown() override { fs::remove_all(folder); }
    std::vector<std::string> names() const {
        std::vector<std::string> list;
        for (const auto& entry : fs::directory_iterator(folder))
            list.push_back(entry.path().filename().string());
        return list;
    }
    fs::path folder;
};

void put32(std::vector<std::uint8_t>& bytes, std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i)
        bytes[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
}

TEST(GreyPalette, RampsOfEachDepth) {
    std::uint8_t palette[4 * 256];
    writeGreyPalette(palette, 1);
    EXPECT_EQ(palette[0], 0);
    EXPECT_EQ(palette[4], 255);
    writeGreyPalette(palette, 4);
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(palette[4 * i + 1], 17 * i);
}

TEST_F(ScratchFolder, BitmapRoundTripKeepsHeaderPaletteAndBothPlanes) {
    for (unsigned bits : {1u, 4u, 8u}) {
        const DibContainer dib = greyDib(37, 11, bits, bits == 8);
        const fs::path path = folder / ("round" + std::to_string(bits) + ".bmp");
        savePicture(BitmapFileImage(dib), path);
        auto loaded = loadPicture(path);
        DibContainer back;
        ASSERT_TRUE(loaded->toDib(back));
        EXPECT_EQ(back.header, dib.header) << bits;
        EXPECT_EQ(back.pixels, dib.pixels) << bits;
        EXPECT_EQ(back.hasSecondPlane(), bits == 8);
        EXPECT_FALSE(loaded->isJpeg());
    }
    EXPECT_EQ(names().size(), 3u);  // no temporary files left beside them
}

TEST(BitmapFile, PartialSecondPlaneIsDropped) {
    std::vector<std::uint8_t> bytes = bmpBytes(greyDib(8, 4, 8, true));
    bytes.resize(bytes.size() - 1);
    auto image = decodePicture(bytes, "partial.bmp");
    DibContainer dib;
    ASSERT_TRUE(image->toDib(dib));
    EXPECT_EQ(dib.pixels.size(), 8u * 4u);
}

// 65535 pixels is the largest width and height a bitmap file may state; one more is refused.
TEST(BitmapFile, DimensionLimitOnBothSides) {
    struct Case {
        int width, height;
        bool read;
    };
    for (const Case c : {Case{65535, 1, true}, Case{65536, 1, false}, Case{1, 65535, true},
                         Case{1, 65536, false}}) {
        const std::vector<std::uint8_t> bytes = bmpBytes(greyDib(c.width, c.height, 1));
        bool read = true;
        try {
            decodePicture(bytes, "edge.bmp");
        } catch (const foundation::UserException&) {
            read = false;
        }
        EXPECT_EQ(read, c.read) << c.width << " x " << c.height;
    }
}

TEST(BitmapFile, HostileFilesEndWithAClearError) {
    const std::vector<std::uint8_t> good = bmpBytes(greyDib(16, 16, 8));
    auto refused = [](std::vector<std::uint8_t> bytes) {
        try {
            decodePicture(bytes, "bad.bmp");
        } catch (const foundation::UserException& e) {
            return e.code() == foundation::UserException::BadInput && !e.text().empty();
        }
        return false;
    };
    auto patched = [&](std::size_t at, std::uint32_t value) {
        std::vector<std::uint8_t> bytes = good;
        put32(bytes, at, value);
        return bytes;
    };
    EXPECT_TRUE(refused(patched(14 + 4, 0x7FFFFFFF)));  // width
    EXPECT_TRUE(refused(patched(14 + 8, 60000)));  // height: 60000 rows of 16 that are not there
    EXPECT_TRUE(refused(patched(14 + 8, 0xFFFFFFF0)));        // top-down
    EXPECT_TRUE(refused(patched(14 + 16, 1)));                // run-length compressed
    EXPECT_TRUE(refused(patched(14, 124)));                   // a later header version
    EXPECT_TRUE(refused({good.begin(), good.begin() + 60}));  // cut in the palette
    EXPECT_TRUE(refused({good.begin(), good.end() - 1}));     // cut in the pixels
    EXPECT_TRUE(refused({'B', 'M'}));
    EXPECT_TRUE(refused({'G', 'I', 'F', '8', '9', 'a'}));
    EXPECT_TRUE(refused({}));
}

TEST(JpegCodec, GreyPictureSurvivesCompressionAtItsSize) {
    const DibContainer dib = greyDib(64, 48, 8);
    std::vector<std::uint8_t> jpeg;
    ASSERT_TRUE(BitmapFileImage(dib).toJpeg(jpeg));
    DibContainer back;
    ASSERT_EQ(decompressJpeg(jpeg.data(), jpeg.size(), back), JpegResult::Ok);
    EXPECT_EQ(back.info().width, 64);
    EXPECT_EQ(back.info().height, 48);
    EXPECT_EQ(back.info().bitCount, 8);
    EXPECT_EQ(back.header.size(), 1064u);
    EXPECT_EQ(back.paletteEntry(200), 0xC8C8C8u);
}

// Rows are fed top row first: the DIB's last row must come out as the JPEG's first.
TEST(JpegCodec, RowOrderAndGreyForOneBitPictures) {
    DibContainer dib = greyDib(16, 16, 1);
    std::fill(dib.pixels.begin(), dib.pixels.end(), 0);
    const std::size_t stride = dibStride(16, 1);
    std::fill_n(dib.pixels.begin() + 15 * stride, 2, 0xFF);  // top row white, rest black
    std::vector<std::uint8_t> jpeg;
    ASSERT_TRUE(compressJpeg(dib, jpeg));

    jpeg_decompress_struct d{};
    jpeg_error_mgr errors{};
    d.err = jpeg_std_error(&errors);
    jpeg_create_decompress(&d);
    jpeg_mem_src(&d, jpeg.data(), jpeg.size());
    jpeg_read_header(&d, TRUE);
    EXPECT_EQ(d.num_components, 1);
    jpeg_start_decompress(&d);
    std::vector<std::uint8_t> row(16);
    JSAMPROW rows[1] = {row.data()};
    jpeg_read_scanlines(&d, rows, 1);
    EXPECT_GT(row[8], 200);
    jpeg_abort_decompress(&d);
    jpeg_destroy_decompress(&d);
}

TEST_F(ScratchFolder, JpegFileSavedAsJpegKeepsItsBytes) {
    std::vector<std::uint8_t> jpeg;
    ASSERT_TRUE(compressJpeg(greyDib(40, 30, 8), jpeg));
    jpeg.push_back(0x00);  // trailing bytes after the end marker stay too
    const fs::path in = folder / "in.jpg";
    writeFileAtomically(in, jpeg);
    auto image = loadPicture(in);
    EXPECT_TRUE(image->isJpeg());
    EXPECT_EQ(image->width(), 40u);
    savePicture(*image, folder / "out.jpeg");
    std::ifstream out(folder / "out.jpeg", std::ios::binary);
    std::vector<std::uint8_t> saved((std::istreambuf_iterator<char>(out)), {});
    EXPECT_EQ(saved, jpeg);
}

TEST(JpegCodec, DamagedStreamsDecodeOrFailCleanly) {
    std::vector<std::uint8_t> jpeg;
    ASSERT_TRUE(compressJpeg(greyDib(64, 64, 8), jpeg));
    std::vector<std::uint8_t> cut(jpeg.begin(), jpeg.begin() + jpeg.size() / 2);
    DibContainer dib;
    EXPECT_EQ(decompressJpeg(cut.data(), cut.size(), dib), JpegResult::Ok);  // synthetic end
    EXPECT_EQ(dib.info().height, 64);

    std::vector<std::uint8_t> huge = jpeg;
    for (std::size_t i = 0; i + 8 < huge.size(); ++i) {
        if (huge[i] == 0xFF && huge[i + 1] == 0xC0) {  // frame header: height, width at +5
            huge[i + 5] = huge[i + 7] = 0x80;          // 32768 × 32768
            huge[i + 6] = huge[i + 8] = 0x00;
            break;
        }
    }
    EXPECT_EQ(decompressJpeg(huge.data(), huge.size(), dib), JpegResult::TooLarge);

    const std::uint8_t soiOnly[] = {0xFF, 0xD8, 0x00, 0x01, 0x02};
    EXPECT_EQ(decompressJpeg(soiOnly, sizeof soiOnly, dib), JpegResult::Corrupt);
    EXPECT_THROW(decodePicture(std::vector<std::uint8_t>{0xFF, 0xD8, 0xFF}, "x.jpg"),
                 foundation::UserException);
}

TEST_F(ScratchFolder, FailedSaveLeavesNothingBehind) {
    const DibContainer dib = greyDib(8, 8, 8);
    EXPECT_THROW(savePicture(BitmapFileImage(dib), folder / "missing" / "a.bmp"),
                 foundation::SystemException);
    EXPECT_THROW(savePicture(BitmapFileImage(dib), folder / "a.png"), foundation::UserException);
    EXPECT_TRUE(names().empty());

    // A link is followed: the file it points at gets the picture and the link stays. A link to a
    // device that refuses the bytes is an error, not a link silently replaced by a file.
    fs::create_directories(folder / "real");
    fs::create_symlink("real/a.bmp", folder / "link.bmp");
    savePicture(BitmapFileImage(dib), folder / "link.bmp");
    EXPECT_TRUE(fs::is_symlink(folder / "link.bmp"));
    EXPECT_GT(fs::file_size(folder / "real" / "a.bmp"), 54u);
    fs::create_symlink("/dev/full", folder / "full.bmp");
    EXPECT_THROW(savePicture(BitmapFileImage(dib), folder / "full.bmp"),
                 foundation::SystemException);
    EXPECT_TRUE(fs::is_symlink(folder / "full.bmp"));
}

}  // namespace
}  // namespace omni::image
