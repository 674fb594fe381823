#include "foundation/exception.h"

#include <cerrno>
#include <system_error>

#include "module/kes_sdk.h"
#include "resources/string_ids.h"
#include "resources/strings.h"

namespace omni::foundation {
namespace {

std::u16string stringOf(std::uint32_t id) {
    return std::u16string(res::loadString(id));
}

}  // namespace

const char* Exception::what() const noexcept {
    try {
        what_ = res::toUtf8(text());
    } catch (...) {
        return "exception";
    }
    return what_.c_str();
}

SystemException::SystemException() : errorCode_(errno) {}

SystemException::SystemException(int errorCode) : errorCode_(errorCode) {}

SystemException::SystemException(int errorCode, std::u16string context)
    : errorCode_(errorCode), context_(std::move(context)) {}

std::u16string SystemException::caption() const {
    return stringOf(res::ids::SystemException);
}

std::u16string SystemException::text() const {
    std::u16string message = res::fromUtf8(std::generic_category().message(errorCode_));
    if (context_.empty())
        return message;
    return context_ + u": " + message;
}

KesException::KesException(KesState state) : state_(state) {
    KesSetLastStatus(KES_STATE_SUCCESS);
}

std::u16string KesException::caption() const {
    return stringOf(res::ids::KesException);
}

std::u16string KesException::text() const {
    return res::fromUtf8(KesStateName(state_));
}

UserException::UserException(int code, std::u16string message)
    : code_(code), message_(std::move(message)) {}

std::u16string UserException::caption() const {
    return stringOf(res::ids::UserException);
}

std::u16string UserException::text() const {
    if (!message_.empty())
        return message_;
    if (code_ == ThreadEndTimeout)
        return stringOf(res::ids::ThreadEndTimeout);
    return {};
}

}  // namespace omni::foundation
