#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "framework/Classes.h"

using namespace vcl;

namespace {

// A fresh directory under the temporary folder, removed with its files.
class TempDir {
 public:
  TempDir() {
    wchar_t base[MAX_PATH];
    GetTempPathW(MAX_PATH, base);
    path_ = std::wstring(base) + L"vt_streams_" + std::to_wstring(GetCurrentProcessId()) + L"_" +
            std::to_wstring(GetTickCount64());
    CreateDirectoryW(path_.c_str(), nullptr);
  }
  ~TempDir() {
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW((path_ + L"\\*").c_str(), &data);
    if (find != INVALID_HANDLE_VALUE) {
      do {
        const std::wstring name = data.cFileName;
        if (name != L"." && name != L"..") DeleteFileW((path_ + L"\\" + name).c_str());
      } while (FindNextFileW(find, &data));
      FindClose(find);
    }
    RemoveDirectoryW(path_.c_str());
  }
  std::wstring File(const std::wstring& name) const { return path_ + L"\\" + name; }

 private:
  std::wstring path_;
};

std::string ReadAll(const std::wstring& name) {
  TFileStream s(name, fmOpenRead | fmShareDenyNone);
  std::string data(static_cast<size_t>(s.Size()), '\0');
  s.ReadBuffer(data.data(), static_cast<int64_t>(data.size()));
  return data;
}

bool StartsWith(const std::wstring& text, const std::wstring& prefix) { return text.rfind(prefix, 0) == 0; }

}  // namespace

TEST(TFileStream, CreateWriteReopenRead) {
  TempDir dir;
  const std::wstring name = dir.File(L"data \u00E9\u4E2D.bin");  // not ANSI-only
  {
    TFileStream s(name, fmCreate);
    s.WriteBuffer("hello world", 11);
    EXPECT_EQ(s.Size(), 11);
    EXPECT_EQ(s.Seek(-5, soEnd), 6);
    char buffer[5];
    s.ReadBuffer(buffer, 5);  // fmCreate opens for reading too
    EXPECT_EQ(std::string(buffer, 5), "world");
    EXPECT_EQ(s.Read(buffer, 5), 0);  // at the end
    EXPECT_THROW(s.ReadBuffer(buffer, 1), EReadError);
  }
  EXPECT_EQ(ReadAll(name), "hello world");
  {
    // fmCreate truncates an existing file.
    TFileStream s(name, fmCreate);
    s.WriteBuffer("new", 3);
  }
  EXPECT_EQ(ReadAll(name), "new");
  {
    TFileStream s(name, fmOpenReadWrite);
    s.SetPosition(3);
    s.WriteBuffer("er", 2);
  }
  EXPECT_EQ(ReadAll(name), "newer");
}

TEST(TFileStream, SeekAndSetSize) {
  TempDir dir;
  const std::wstring name = dir.File(L"size.bin");
  TFileStream s(name, fmCreate);
  s.WriteBuffer("0123456789", 10);
  EXPECT_THROW(s.Seek(-11, soEnd), EStreamError);
  EXPECT_EQ(s.Position(), 10);  // a failed seek does not move
  s.SetPosition(8);
  s.SetSize(4);  // position beyond the new end moves back to it
  EXPECT_EQ(s.Size(), 4);
  EXPECT_EQ(s.Position(), 4);
  s.SetPosition(1);
  s.SetSize(6);  // a position inside stays
  EXPECT_EQ(s.Position(), 1);
  EXPECT_EQ(s.Size(), 6);
  // Writing beyond the end extends the file.
  s.Seek(2, soEnd);
  s.WriteBuffer("x", 1);
  EXPECT_EQ(s.Size(), 9);
  EXPECT_THROW(s.SetSize(-1), EStreamError);
  s.SetPosition(0);
  char buffer[4];
  s.ReadBuffer(buffer, 4);
  EXPECT_EQ(std::string(buffer, 4), "0123");
}

TEST(TFileStream, OpenAndCreateFailuresNameTheFile) {
  TempDir dir;
  const std::wstring missing = dir.File(L"missing.bin");
  try {
    TFileStream s(missing, fmOpenRead);
    FAIL() << "no exception";
  } catch (const EFOpenError& e) {
    EXPECT_TRUE(StartsWith(e.Message(), L"Cannot open file \"" + missing + L"\". ")) << e.what();
    // The system's own text follows (whatever its wording).
    EXPECT_GT(e.Message().size(), (L"Cannot open file \"" + missing + L"\". ").size()) << e.what();
  }
  const std::wstring noDir = dir.File(L"no such dir\\file.bin");
  try {
    TFileStream s(noDir, fmCreate);
    FAIL() << "no exception";
  } catch (const EFCreateError& e) {
    EXPECT_TRUE(StartsWith(e.Message(), L"Cannot create file \"" + noDir + L"\". ")) << e.what();
  }
  EXPECT_THROW(TFileStream(missing, fmOpenRead | 0x0003), EFOpenError);  // no such access mode
  EXPECT_THROW(TFileStream(missing, fmCreate | fmOpenWrite), EFCreateError);
  EXPECT_THROW(TFileStream(std::wstring(L"a\0b", 3), fmCreate), EFCreateError);
}

TEST(TFileStream, ShareModesAndAccessRights) {
  TempDir dir;
  const std::wstring name = dir.File(L"shared.bin");
  {
    TFileStream writer(name, fmCreate | fmShareDenyWrite);
    writer.WriteBuffer("abc", 3);
    // Others may read but not write while it is open.
    TFileStream reader(name, fmOpenRead | fmShareDenyNone);
    EXPECT_EQ(reader.Size(), 3);
    EXPECT_THROW(TFileStream(name, fmOpenWrite | fmShareDenyNone), EFOpenError);
  }
  {
    TFileStream exclusive(name, fmOpenRead | fmShareExclusive);
    EXPECT_THROW(TFileStream(name, fmOpenRead | fmShareDenyNone), EFOpenError);
    // Opened for reading: writing fails with the system's reason.
    EXPECT_THROW(exclusive.WriteBuffer("x", 1), EWriteError);
  }
  {
    TFileStream writeOnly(name, fmOpenWrite | fmShareDenyNone);
    char c;
    EXPECT_THROW(writeOnly.Read(&c, 1), EReadError);
  }
}

TEST(TFileStream, CopyBetweenFileAndMemory) {
  TempDir dir;
  const std::wstring name = dir.File(L"copy.bin");
  std::string data(300000, '\0');
  for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<char>(i % 253);
  TMemoryStream memory;
  memory.WriteBuffer(data.data(), static_cast<int64_t>(data.size()));
  {
    TFileStream file(name, fmCreate);
    memory.SaveToStream(file);
  }
  TFileStream file(name, fmOpenRead);
  TMemoryStream back;
  back.LoadFromStream(file);
  ASSERT_EQ(back.Size(), static_cast<int64_t>(data.size()));
  EXPECT_EQ(std::string(static_cast<const char*>(back.Memory()), data.size()), data);
}
