#include "image/picture_files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "foundation/atomic_file.h"
#include "foundation/exception.h"
#include "image/bitmap_file.h"
#include "image/jpeg_codec.h"
#include "image/pictures.h"
#include "resources/string_ids.h"
#include "resources/strings.h"

namespace omni::image {
namespace {

// Largest picture file read into memory (a JPEG is decoded from memory).
constexpr std::uintmax_t kMaxFileBytes = std::uintmax_t{512} << 20;

[[noreturn]] void refuse(std::uint32_t id, const std::filesystem::path& path) {
    throw foundation::UserException(foundation::UserException::BadInput,
                                    res::format(id, {res::fromUtf8(path.filename().string())}));
}

std::u16string contextOf(std::uint32_t id, const std::filesystem::path& path) {
    return res::format(id, {res::fromUtf8(path.string())});
}

// A byte source over memory, for the bitmap reader.
class MemoryInput : public stream::InputStream<unsigned char> {
public:
    explicit MemoryInput(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}
    std::size_t read(unsigned char* buffer, std::size_t count) override {
        const std::size_t n = std::min(count, bytes_.size() - at_);
        std::memcpy(buffer, bytes_.data() + at_, n);
        at_ += n;
        return n;
    }
    std::size_t get(unsigned char* item) override { return read(item, 1); }

private:
    std::span<const std::uint8_t> bytes_;
    std::size_t at_ = 0;
};

// Collects what the bitmap writer produces.
class MemoryOutput : public stream::OutputStream<unsigned char> {
public:
    explicit MemoryOutput(std::vector<std::uint8_t>& bytes) : bytes_(bytes) {}
    void write(const unsigned char* data, std::size_t count) override {
        bytes_.insert(bytes_.end(), data, data + count);
    }
    void put(const unsigned char* item) override { bytes_.push_back(*item); }
    void flush() override {}

private:
    std::vector<std::uint8_t>& bytes_;
};

std::vector<std::uint8_t> readWholeFile(const std::filesystem::path& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        throw foundation::SystemException(errno, contextOf(res::ids::ImageCannotRead, path));
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        const int error = errno ? errno : EISDIR;
        ::close(fd);
        throw foundation::SystemException(error, contextOf(res::ids::ImageCannotRead, path));
    }
    if (static_cast<std::uintmax_t>(st.st_size) > kMaxFileBytes) {
        ::close(fd);
        refuse(res::ids::ImageTooLarge, path);
    }
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(st.st_size));
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::read(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            const int error = errno;
            ::close(fd);
            throw foundation::SystemException(error, contextOf(res::ids::ImageCannotRead, path));
        }
        if (n == 0)
            break;  // the file shrank while being read
        done += static_cast<std::size_t>(n);
    }
    ::close(fd);
    bytes.resize(done);
    return bytes;
}

}  // namespace

bool pictureKindOf(const std::filesystem::path& path, PictureKind& kind) {
    std::string extension = path.extension().string();
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (extension == ".bmp") {
        kind = PictureKind::Bitmap;
        return true;
    }
    if (extension == ".jpg" || extension == ".jpeg") {
        kind = PictureKind::Jpeg;
        return true;
    }
    return false;
}

std::unique_ptr<KesImage> decodePicture(std::span<const std::uint8_t> bytes,
                                        const std::filesystem::path& name) {
    if (bytes.size() >= 2 && bytes[0] == 'B' && bytes[1] == 'M') {
        MemoryInput input(bytes);
        DibContainer dib;
        switch (readBitmap(input, dib)) {
            case BitmapResult::Ok:
                return std::make_unique<BitmapFileImage>(std::move(dib));
            case BitmapResult::Truncated:
                refuse(res::ids::ImageTruncated, name);
            case BitmapResult::TooLarge:
                refuse(res::ids::ImageTooLarge, name);
            case BitmapResult::Unsupported:
                refuse(res::ids::ImageUnsupported, name);
            case BitmapResult::NotBitmap:
                break;
        }
        refuse(res::ids::ImageNotPicture, name);
    }
    DibContainer dib;
    switch (decompressJpeg(bytes.data(), bytes.size(), dib)) {
        case JpegResult::Ok:
            return std::make_unique<JpegFileImage>(
                std::move(dib), std::vector<std::uint8_t>(bytes.begin(), bytes.end()));
        case JpegResult::NotJpeg:
            refuse(res::ids::ImageNotPicture, name);
        case JpegResult::Unsupported:
            refuse(res::ids::ImageUnsupported, name);
        case JpegResult::TooLarge:
        case JpegResult::OutOfMemory:
            refuse(res::ids::ImageTooLarge, name);
        case JpegResult::Corrupt:
            break;
    }
    refuse(res::ids::ImageCorruptJpeg, name);
}

std::unique_ptr<KesImage> loadPicture(const std::filesystem::path& path) {
    return decodePicture(readWholeFile(path), path);
}

std::vector<std::uint8_t> encodePicture(const KesImage& image, PictureKind kind) {
    std::vector<std::uint8_t> bytes;
    bool ok;
    if (kind == PictureKind::Jpeg) {
        ok = image.toJpeg(bytes);
    } else {
        DibContainer dib;
        ok = image.toDib(dib);
        if (ok) {
            MemoryOutput out(bytes);
            writeBitmap(dib, out);
        }
    }
    if (!ok)
        throw foundation::UserException(
            foundation::UserException::BadInput,
            std::u16string(res::loadString(res::ids::ImageCannotConvert)));
    return bytes;
}

void savePicture(const KesImage& image, const std::filesystem::path& path) {
    PictureKind kind;
    if (!pictureKindOf(path, kind))
        refuse(res::ids::ImageUnknownExtension, path);
    writeFileAtomically(path, encodePicture(image, kind));
}

void writeFileAtomically(const std::filesystem::path& path, std::span<const std::uint8_t> bytes) {
    try {
        foundation::writeFileAtomically(
            path, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
    } catch (const foundation::SystemException& e) {
        throw foundation::SystemException(e.errorCode(),
                                          contextOf(res::ids::ImageCannotWrite, path));
    }
}

}  // namespace omni::image
