#include <windows.h>

#include <algorithm>
#include <limits>

#include "framework/Classes.h"

namespace vcl {

namespace {

// Largest amount handed to one ReadFile/WriteFile call (a DWORD count).
constexpr int64_t kMaxChunk = 1 << 30;

DWORD ShareMode(uint16_t Mode) {
  switch (Mode & 0xF0) {
    case fmShareDenyWrite: return FILE_SHARE_READ;
    case fmShareDenyRead: return FILE_SHARE_WRITE;
    case fmShareDenyNone: return FILE_SHARE_READ | FILE_SHARE_WRITE;
    default: return 0;  // compatible and exclusive: no sharing
  }
}

}  // namespace

TFileStream::TFileStream(const std::wstring& FileName, uint16_t Mode)
    : fileName_(FileName), handle_(INVALID_HANDLE_VALUE) {
  const bool create = (Mode & fmCreate) == fmCreate;
  const unsigned share = Mode & 0xF0;
  const unsigned access = Mode & 0x0F;
  const std::wstring what = create ? L"Cannot create file \"" : L"Cannot open file \"";
  auto fail = [&](const std::wstring& reason) -> void {
    const std::wstring message = what + FileName + L"\". " + reason;
    if (create) throw EFCreateError(message);
    throw EFOpenError(message);
  };
  if (share > fmShareDenyNone || (!create && access > fmOpenReadWrite) || (create && access != 0) ||
      (!create && (Mode & 0xFF00) != 0))
    fail(L"Invalid file mode");
  if (FileName.find(L'\0') != std::wstring::npos) fail(SysErrorMessage(ERROR_INVALID_NAME));

  DWORD desired = GENERIC_READ | GENERIC_WRITE;
  if (!create) desired = access == fmOpenRead ? GENERIC_READ : access == fmOpenWrite ? GENERIC_WRITE : desired;
  HANDLE h = CreateFileW(FileName.c_str(), desired, ShareMode(Mode), nullptr, create ? CREATE_ALWAYS : OPEN_EXISTING,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) fail(SysErrorMessage(GetLastError()));
  handle_ = h;
}

TFileStream::~TFileStream() {
  if (handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
}

int64_t TFileStream::Read(void* Buffer, int64_t Count) {
  int64_t total = 0;
  auto* out = static_cast<uint8_t*>(Buffer);
  while (total < Count) {
    const DWORD chunk = static_cast<DWORD>(std::min(Count - total, kMaxChunk));
    DWORD got = 0;
    if (!ReadFile(handle_, out + total, chunk, &got, nullptr))
      throw EReadError(L"Stream read error. " + SysErrorMessage(GetLastError()));
    total += got;
    if (got < chunk) break;  // end of file
  }
  return total;
}

int64_t TFileStream::Write(const void* Buffer, int64_t Count) {
  int64_t total = 0;
  const auto* in = static_cast<const uint8_t*>(Buffer);
  while (total < Count) {
    const DWORD chunk = static_cast<DWORD>(std::min(Count - total, kMaxChunk));
    DWORD put = 0;
    if (!WriteFile(handle_, in + total, chunk, &put, nullptr))
      throw EWriteError(L"Stream write error. " + SysErrorMessage(GetLastError()));
    total += put;
    if (put < chunk) break;  // disk full
  }
  return total;
}

int64_t TFileStream::Seek(int64_t Offset, TSeekOrigin Origin) {
  DWORD method = FILE_BEGIN;
  switch (Origin) {
    case soBeginning: method = FILE_BEGIN; break;
    case soCurrent: method = FILE_CURRENT; break;
    case soEnd: method = FILE_END; break;
    default: throw EStreamError(L"Invalid seek origin");
  }
  LARGE_INTEGER distance;
  distance.QuadPart = Offset;
  LARGE_INTEGER result;
  result.QuadPart = 0;
  if (!SetFilePointerEx(handle_, distance, &result, method))
    throw EStreamError(L"Invalid stream position. " + SysErrorMessage(GetLastError()));
  return result.QuadPart;
}

int64_t TFileStream::Size() {
  LARGE_INTEGER size;
  if (!GetFileSizeEx(handle_, &size)) throw EStreamError(L"Cannot get the file size. " + SysErrorMessage(GetLastError()));
  return size.QuadPart;
}

void TFileStream::SetSize(int64_t NewSize) {
  if (NewSize < 0) throw EStreamError(L"Invalid stream size");
  const int64_t position = Position();
  Seek(NewSize, soBeginning);
  if (!SetEndOfFile(handle_)) {
    const DWORD error = GetLastError();
    Seek(position, soBeginning);
    throw EStreamError(L"Cannot change the file size. " + SysErrorMessage(error));
  }
  Seek(std::min(position, NewSize), soBeginning);
}

}  // namespace vcl
