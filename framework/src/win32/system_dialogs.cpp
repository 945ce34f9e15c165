// The system's file-open dialog and message box.
#include <windows.h>
#include <commdlg.h>

#include <algorithm>

#include <string>
#include <vector>

#include "../../Dialogs.h"

namespace vcl {

namespace {

// The program's file name without folder and extension, as message boxes
// title themselves.
std::wstring ProgramTitle() {
  std::vector<wchar_t> path(MAX_PATH);
  for (;;) {
    const DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (n == 0) return L"";
    if (n < path.size()) break;
    path.resize(path.size() * 2);
  }
  std::wstring name(path.data());
  name.erase(0, name.find_last_of(L"\\/") + 1);
  const size_t dot = name.find_last_of(L'.');
  if (dot != std::wstring::npos && dot > 0) name.erase(dot);
  return name;
}

}  // namespace

bool SystemOpenDialog(TOpenDialog& Dialog) {
  // The filter's '|' separators become the dialog's NULs, ending in two.
  std::wstring filter = Dialog.Filter();
  for (wchar_t& c : filter)
    if (c == L'|') c = L'\0';
  filter.append(2, L'\0');
  // Room for a long path; the initial name is offered when it fits.
  std::vector<wchar_t> file(32768, L'\0');
  Dialog.FileName().copy(file.data(), std::min(Dialog.FileName().size(), file.size() - 1));

  OPENFILENAMEW ofn{};
  ofn.lStructSize = sizeof ofn;
  ofn.hwndOwner = GetActiveWindow();
  ofn.lpstrFilter = Dialog.Filter().empty() ? nullptr : filter.c_str();
  ofn.nFilterIndex = 1;
  ofn.lpstrFile = file.data();
  ofn.nMaxFile = static_cast<DWORD>(file.size());
  ofn.lpstrTitle = Dialog.Title().empty() ? nullptr : Dialog.Title().c_str();
  ofn.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_ENABLESIZING;
  if (!GetOpenFileNameW(&ofn)) return false;  // cancelled, or the dialog failed
  Dialog.SetFileName(file.data());
  return true;
}

void SystemShowMessage(const std::wstring& Message) {
  const std::wstring title = ProgramTitle();
  MessageBoxW(GetActiveWindow(), Message.c_str(), title.c_str(), MB_OK | MB_TASKMODAL);
}

}  // namespace vcl
