// A firmware file as the module library reads it: a file input stream that also owns the
// library's input-stream handle, whose read callback forwards to the stream's read.
#pragma once

#include <cstdint>
#include <filesystem>

#include "module/kes_sdk.h"
#include "stream/file_stream.h"

namespace omni::stream {

class FileInputStreamForKes2D : public FileInputStream<char> {
public:
    // Opens the file (check isOpen()) and creates the handle. Read failures while the library
    // reads end the stream early: the library sees the end of the file, and readError() is set.
    explicit FileInputStreamForKes2D(const std::filesystem::path& path);
    ~FileInputStreamForKes2D() override;

    // The handle to pass to KesDownload; -1 when the file could not be opened.
    KesHandle handle() const { return handle_; }
    // The file's size in bytes (0 when it could not be told).
    std::uint64_t size() const { return size_; }
    // The system error of a read that failed inside the library's read, 0 when none did.
    int readError() const { return readError_; }

private:
    static std::uint32_t readForModule(void* context, void* buffer, std::uint32_t count);

    KesHandle handle_ = KES_INVALID_HANDLE;
    std::uint64_t size_ = 0;
    int readError_ = 0;
};

}  // namespace omni::stream
