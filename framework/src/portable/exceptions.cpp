#include "framework/SysUtils.h"

#include <utility>

namespace vcl {

Exception::Exception(std::wstring Message) : message_(std::move(Message)), what_(WideToUtf8(message_)) {}

EOSError::EOSError(std::wstring Message, unsigned long ErrorCode)
    : Exception(std::move(Message)), errorCode_(ErrorCode) {}

EOleException::EOleException(std::wstring Message, int32_t ErrorCode)
    : EOleSysError(std::move(Message)), errorCode_(ErrorCode) {}

}  // namespace vcl
