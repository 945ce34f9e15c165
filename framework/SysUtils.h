#pragma once
// The framework's exception classes and text helpers.

#include <cstdint>
#include <stdexcept>
#include <string>

namespace vcl {

// Base of every exception the framework raises. The message is wide text;
// what() gives it as UTF-8 for code that only knows std::exception.
class Exception : public std::exception {
 public:
  explicit Exception(std::wstring Message);
  const std::wstring& Message() const noexcept { return message_; }
  const char* what() const noexcept override { return what_.c_str(); }

 private:
  std::wstring message_;
  std::string what_;
};

#define VCL_EXCEPTION(Name, Base)                 \
  class Name : public Base {                      \
   public:                                        \
    using Base::Base;                             \
  };

VCL_EXCEPTION(EStreamError, Exception)
VCL_EXCEPTION(EFilerError, EStreamError)
VCL_EXCEPTION(EReadError, EFilerError)
VCL_EXCEPTION(EWriteError, EFilerError)
VCL_EXCEPTION(EClassNotFound, EReadError)
VCL_EXCEPTION(EFOpenError, EStreamError)
VCL_EXCEPTION(EFCreateError, EStreamError)
VCL_EXCEPTION(EResNotFound, Exception)
VCL_EXCEPTION(EListError, Exception)
VCL_EXCEPTION(EStringListError, Exception)
VCL_EXCEPTION(EConvertError, Exception)
VCL_EXCEPTION(EParserError, Exception)
VCL_EXCEPTION(EComponentError, Exception)
VCL_EXCEPTION(EInvalidOperation, Exception)
VCL_EXCEPTION(EOutOfMemory, Exception)
VCL_EXCEPTION(EPropertyError, Exception)
VCL_EXCEPTION(EIntfCastError, Exception)
VCL_EXCEPTION(EOleError, Exception)
VCL_EXCEPTION(EOleSysError, EOleError)
#undef VCL_EXCEPTION

// A failed operating-system call with its error code (0 when unknown).
class EOSError : public Exception {
 public:
  explicit EOSError(std::wstring Message, unsigned long ErrorCode = 0);
  unsigned long ErrorCode() const noexcept { return errorCode_; }

 private:
  unsigned long errorCode_;
};

// An OLE failure with its HRESULT (and, from automation, the source's text).
class EOleException : public EOleSysError {
 public:
  EOleException(std::wstring Message, int32_t ErrorCode);
  int32_t ErrorCode() const noexcept { return errorCode_; }

 private:
  int32_t errorCode_;
};

// Wide text to UTF-8 and back, for messages and portable code. wchar_t is
// UTF-16 on Windows and UTF-32 elsewhere. Invalid input (a lone surrogate, a
// malformed UTF-8 sequence) becomes U+FFFD; the conversion never fails.
std::string WideToUtf8(const std::wstring& Text);
std::wstring Utf8ToWide(const std::string& Text);

// Case-insensitive comparison of wide text: ordinal on code units after
// simple upper-case folding (Latin, Greek, Cyrillic, full-width Latin).
// CompareText returns -1, 0 or 1. Both give the same answer on every build.
wchar_t UpperCaseChar(wchar_t C);
bool SameText(const std::wstring& A, const std::wstring& B);
int CompareText(const std::wstring& A, const std::wstring& B);

// 8-bit text in a code page (the system ANSI code page by default) to wide
// text and back; the only conversion between the two in the library. On
// the host (the portable build) the system code page is UTF-8 and no other
// code page is known.
constexpr unsigned CP_ACP_DEFAULT = 0;
std::string WideToAnsi(const std::wstring& Text, unsigned CodePage = CP_ACP_DEFAULT);
std::wstring AnsiToWide(const std::string& Text, unsigned CodePage = CP_ACP_DEFAULT);

#ifdef _WIN32
// The system's message for a Win32 error code or HRESULT, without the
// trailing line break ("Unknown error N" when the system has none).
std::wstring SysErrorMessage(unsigned long ErrorCode);
// Raises EOSError with the system's message for a Win32 error code; the
// overload without argument takes GetLastError().
[[noreturn]] void RaiseLastOSError(unsigned long ErrorCode);
[[noreturn]] void RaiseLastOSError();
#endif

}  // namespace vcl
