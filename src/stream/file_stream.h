// Byte streams over files.
//
// Constructors do not throw: the caller checks isOpen() (and errorCode() for the reason). Read
// and write failures throw SystemException with the system error.
#pragma once

#include <cstddef>
#include <filesystem>

#include "stream/stream.h"

namespace omni::stream {

// A file descriptor owned by a file stream, closed with it, and the error that opening it gave.
class OwnedFile {
public:
    // Takes `fd` as open() returned it; a negative one records errno.
    explicit OwnedFile(int fd);
    ~OwnedFile();
    OwnedFile(const OwnedFile&) = delete;
    OwnedFile& operator=(const OwnedFile&) = delete;

    int fd() const { return fd_; }
    bool isOpen() const { return fd_ >= 0; }
    int errorCode() const { return error_; }
    // Closes the file after a failed step, keeping its error.
    void fail(int error);

private:
    int fd_;
    int error_ = 0;
};

// What both file streams share: the file they own and its state.
template <typename T, template <typename> class Stream>
class FileStream : public Stream<T> {
    static_assert(sizeof(T) == 1, "file streams carry bytes");

public:
    bool isOpen() const { return file_.isOpen(); }
    int errorCode() const { return file_.errorCode(); }

protected:
    explicit FileStream(int fd) : file_(fd) {}

    OwnedFile file_;
};

// Reads an existing file; other readers may open it at the same time.
template <typename T>
class FileInputStream : public FileStream<T, InputStream> {
public:
    explicit FileInputStream(const std::filesystem::path& path);

    // Returns the number of elements read; 0 at the end of the file.
    std::size_t read(T* buffer, std::size_t count) override;
    std::size_t get(T* item) override { return read(item, 1); }
};

// Creates or truncates a file for writing. The file is locked against other writers of this
// program while the stream is open.
template <typename T>
class FileOutputStream : public FileStream<T, OutputStream> {
public:
    explicit FileOutputStream(const std::filesystem::path& path);

    // Writes every element or throws.
    void write(const T* data, std::size_t count) override;
    void put(const T* item) override { write(item, 1); }
    // Commits the written data to the storage device.
    void flush() override;
};

extern template class FileInputStream<char>;
extern template class FileInputStream<unsigned char>;
extern template class FileOutputStream<char>;
extern template class FileOutputStream<unsigned char>;

}  // namespace omni::stream
