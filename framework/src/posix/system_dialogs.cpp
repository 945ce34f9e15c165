// The host build has no system dialogs: the file-open dialog answers as a
// cancel and a message goes to stderr.
#include <cstdio>

#include "../../Dialogs.h"

namespace vcl {

bool SystemOpenDialog(TOpenDialog& /*Dialog*/) { return false; }

void SystemShowMessage(const std::wstring& Message) {
  std::fprintf(stderr, "%s\n", WideToUtf8(Message).c_str());
}

}  // namespace vcl
