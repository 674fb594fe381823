// The stream interfaces through which files, the serial port and the communication log are
// reached. Element types: char, unsigned char, char16_t (the UI's text unit) and bool.
#pragma once

#include <cstddef>

namespace omni::stream {

template <typename T>
class OutputStream {
public:
    virtual ~OutputStream() = default;
    // Writes `count` elements.
    virtual void write(const T* data, std::size_t count) = 0;
    // Writes one element.
    virtual void put(const T* item) = 0;
    virtual void flush() = 0;
};

template <typename T>
class InputStream {
public:
    virtual ~InputStream() = default;
    // Reads up to `count` elements; returns the number read (0 at the end of a file).
    virtual std::size_t read(T* buffer, std::size_t count) = 0;
    // Reads one element; returns the number read (0 or 1).
    virtual std::size_t get(T* item) = 0;
};

// A two-way link such as the serial port.
template <typename T>
class Communicator : public OutputStream<T>, protected InputStream<T> {
public:
    virtual bool isOpen() = 0;
    // Blocks until input is queued or the time-out passes; returns the number of elements queued.
    virtual std::size_t waitForData(unsigned timeoutMs) = 0;

    using InputStream<T>::read;
    using InputStream<T>::get;
    InputStream<T>& input() { return *this; }
};

}  // namespace omni::stream
