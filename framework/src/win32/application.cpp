#include <ole2.h>

#include <cstdio>
#include <exception>

#include "framework/Forms.h"

namespace vcl {

TApplication* Application() {
  static const std::unique_ptr<TApplication> application = std::make_unique<TApplication>(nullptr);
  return application.get();
}

TApplication::TApplication(TComponent* AOwner) : TComponent(AOwner) {}

TApplication::~TApplication() {
  // Forms and components owned by the application go before OLE does.
  Destroying();
  while (ComponentCount() > 0) delete Components(ComponentCount() - 1);
  if (oleInitialized_ && oleThread_ == GetCurrentThreadId()) OleUninitialize();
}

void TApplication::Initialize() {
  if (oleInitialized_) return;
  const HRESULT hr = OleInitialize(nullptr);
  if (FAILED(hr)) throw EOleException(L"OLE could not be initialised for this thread", hr);
  oleInitialized_ = true;
  oleThread_ = GetCurrentThreadId();
}

bool TApplication::ProcessMessage() {
  MSG msg;
  if (!PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) return false;
  if (msg.message == WM_QUIT) {
    terminated_ = true;
  } else {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  FreeDeviceContexts();
  return true;
}

void TApplication::ProcessMessages() {
  while (ProcessMessage()) {
  }
}

void TApplication::HandleMessage() {
  if (!ProcessMessage() && !terminated_) WaitMessage();
}

void TApplication::Run() {
  if (TForm* form = MainForm(); form && !form->Visible()) form->Show();
  while (!terminated_) HandleMessage();
}

TForm* TApplication::MainForm() const { return mainFormAlive_.expired() ? nullptr : mainForm_; }

void TApplication::SetMainForm(TForm* Value) {
  mainForm_ = Value;
  mainFormAlive_ = Value ? Value->AliveToken() : std::weak_ptr<void>();
}

void TApplication::HandleException(TObject* Sender) {
  const std::exception_ptr current = std::current_exception();
  if (!current) return;
  try {
    std::rethrow_exception(current);
  } catch (const Exception& e) {
    Report(Sender, e);
  } catch (const std::exception& e) {
    Report(Sender, Exception(Utf8ToWide(e.what())));
  } catch (...) {
    Report(Sender, Exception(L"Unknown exception"));
  }
}

void TApplication::Report(TObject* Sender, const Exception& E) {
  if (!OnException) {
    ShowException(E);
    return;
  }
  // A failing handler is reported itself; nothing escapes.
  try {
    OnException(Sender, E);
  } catch (const Exception& e) {
    ShowException(e);
  } catch (const std::exception& e) {
    ShowException(Exception(Utf8ToWide(e.what())));
  } catch (...) {
    ShowException(E);
  }
}

void TApplication::ShowException(const Exception& E) {
  std::fputs(E.what(), stderr);
  std::fputc('\n', stderr);
  std::fflush(stderr);
  const std::wstring line = E.Message() + L"\n";
  OutputDebugStringW(line.c_str());
}

}  // namespace vcl
