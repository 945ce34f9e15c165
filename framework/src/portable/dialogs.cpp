#include "../../Dialogs.h"

#include <utility>

namespace vcl {

namespace {

TOpenDialogHandler& OpenDialogHandler() {
  static TOpenDialogHandler handler;
  return handler;
}

TShowMessageHandler& ShowMessageHandler() {
  static TShowMessageHandler handler;
  return handler;
}

}  // namespace

bool TOpenDialog::Execute() {
  // A copy: the handler may replace itself while it runs.
  const TOpenDialogHandler handler = OpenDialogHandler();
  return handler ? handler(*this) : SystemOpenDialog(*this);
}

TOpenDialogHandler SetOpenDialogHandler(TOpenDialogHandler Handler) {
  return std::exchange(OpenDialogHandler(), std::move(Handler));
}

void ShowMessage(const std::wstring& Message) {
  const TShowMessageHandler handler = ShowMessageHandler();
  if (handler)
    handler(Message);
  else
    SystemShowMessage(Message);
}

TShowMessageHandler SetShowMessageHandler(TShowMessageHandler Handler) {
  return std::exchange(ShowMessageHandler(), std::move(Handler));
}

}  // namespace vcl
