// The program's exception family. Each exception knows the caption and text of the message box
// that reports it; the desktop program shows them (ui/gui/report.h), the command-line tool prints
// them. Core code throws these and never shows anything itself.
#pragma once

#include <exception>
#include <string>

#include "module/kes_state.h"

namespace omni::foundation {

class Exception : public std::exception {
public:
    // Caption of the report's message box ("SystemException", "KesException", ...).
    virtual std::u16string caption() const = 0;
    // Text of the report in the current language.
    virtual std::u16string text() const = 0;
    // UTF-8 text, so that an uncaught exception still says something useful.
    const char* what() const noexcept override;

private:
    mutable std::string what_;
};

// A failed system call; carries errno (taken when the object is made unless given).
class SystemException : public Exception {
public:
    SystemException();
    explicit SystemException(int errorCode);
    // With the operation and the object it failed on, e.g. ("open", "/dev/ttyUSB0").
    SystemException(int errorCode, std::u16string context);
    int errorCode() const { return errorCode_; }
    std::u16string caption() const override;
    std::u16string text() const override;

private:
    int errorCode_;
    std::u16string context_;
};

// A module-library or serial-port status (KES_STATE_*). Making one sets the calling thread's last
// status of the module library back to success, as the library's host rule requires.
class KesException : public Exception {
public:
    explicit KesException(KesState state);
    KesState state() const { return state_; }
    std::u16string caption() const override;
    std::u16string text() const override;  // the status name; empty outside 0 to 17

private:
    KesState state_;
};

// A failure of the program's own logic, with a program code and optionally a message already in
// the user's words.
class UserException : public Exception {
public:
    enum Code : int {
        ThreadEndTimeout = 0,  // a worker thread did not end in time
        Refused = 1,           // the operation was refused; the message says why
        BadInput = 2,          // malformed input (file, command, reply); the message says which
        Cancelled = 3,
    };
    explicit UserException(int code, std::u16string message = {});
    int code() const { return code_; }
    std::u16string caption() const override;
    std::u16string text() const override;

private:
    int code_;
    std::u16string message_;
};

}  // namespace omni::foundation
