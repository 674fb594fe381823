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

// Reads an existing file; other readers may open it at the same time.
template <typename T>
class FileInputStream : public InputStream<T> {
    static_assert(sizeof(T) == 1, "file streams carry bytes");

public:
    explicit FileInputStream(const std::filesystem::path& path);

    bool isOpen() const { return file_.isOpen(); }
    int errorCode() const { return file_.errorCode(); }

    // Returns the number of elements read; 0 at the end of the file.
    std::size_t read(T* buffer, std::size_t count) override;
    std::size_t get(T* item) override { return read(item, 1); }

private:
    OwnedFile file_;
};

// Creates or truncates a file for writing. The file is locked against other writers of this
// program while the stream is open.
template <typename T>
class FileOutputStream : public OutputStream<T> {
    static_assert(sizeof(T) == 1, "file streams carry bytes");

public:
    explicit FileOutputStream(const std::filesystem::path& path);

    bool isOpen() const { return file_.isOpen(); }
    int errorCode() const { return file_.errorCode(); }

    // Writes every element or throws.
    void write(const T* data, std::size_t count) override;
    void put(const T* item) override { write(item, 1); }
    // Commits the written data to the storage device.
    void flush() override;

private:
    OwnedFile file_;
};

extern template class FileInputStream<char>;
extern template class FileInputStream<unsigned char>;
extern template class FileOutputStream<char>;
extern template class FileOutputStream<unsigned char>;

}  // namespace omni::stream
