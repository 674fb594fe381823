#include "stream/file_input_stream_for_kes2d.h"

#include "foundation/exception.h"

namespace omni::stream {

FileInputStreamForKes2D::FileInputStreamForKes2D(const std::filesystem::path& path)
    : FileInputStream<char>(path) {
    if (!isOpen())
        return;
    std::error_code error;
    std::uintmax_t size = std::filesystem::file_size(path, error);
    size_ = error ? 0 : size;
    handle_ = KesCreateInputStream(this, &FileInputStreamForKes2D::readForModule);
}

FileInputStreamForKes2D::~FileInputStreamForKes2D() {
    if (handle_ != KES_INVALID_HANDLE)
        KesCloseHandle(handle_);
}

std::uint32_t FileInputStreamForKes2D::readForModule(void* context, void* buffer,
                                                     std::uint32_t count) {
    auto* self = static_cast<FileInputStreamForKes2D*>(context);
    try {
        return static_cast<std::uint32_t>(self->read(static_cast<char*>(buffer), count));
    } catch (const foundation::SystemException& e) {
        self->readError_ = e.errorCode();
    } catch (...) {
        self->readError_ = -1;
    }
    return 0;  // exceptions never cross into the library
}

}  // namespace omni::stream
