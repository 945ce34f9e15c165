#pragma once
// Top-level forms and the application object (message loop, exception
// reporting).

#include <windows.h>

#include <functional>
#include <memory>
#include <string>

#include "Controls.h"

namespace vcl {

// What happens to a form that is being closed.
enum class TCloseAction { caNone, caHide, caFree, caMinimize };
using enum TCloseAction;

// The frame of a form: bsSizeable is a captioned, sizeable window; bsNone
// has no frame at all (a popup window whose client area is the window).
enum class TFormBorderStyle { bsNone, bsSizeable };
using enum TFormBorderStyle;

using TCloseEvent = std::function<void(TObject* Sender, TCloseAction& Action)>;
using TCloseQueryEvent = std::function<void(TObject* Sender, bool& CanClose)>;
using TExceptionEvent = std::function<void(TObject* Sender, const Exception& E)>;

// A top-level window (WS_OVERLAPPEDWINDOW, or WS_POPUP without a border)
// holding controls. Hidden until shown; Left and Top are its screen position.
class TForm : public TCustomControl {
 public:
  explicit TForm(TComponent* AOwner);

  const std::wstring& Caption() const { return caption_; }
  void SetCaption(const std::wstring& Value);
  TFormBorderStyle BorderStyle() const { return borderStyle_; }
  // An existing top-level window changes its frame in place.
  void SetBorderStyle(TFormBorderStyle Value);
  // Asks OnCloseQuery, then OnClose, which may choose another action than
  // hiding (caNone refuses). Closing the application's main form ends the
  // message loop instead.
  void Close();
  bool CloseQuery();
  // Frees the form once the message being handled is done. Only for a form
  // created with new (it is deleted).
  void Release();

  void SetVisible(bool Value) override;
  void Paint() override;
  std::wstring ClassName() const override { return L"TForm"; }
  // Published: the control's position and size, then Caption.
  void GetPublishedProperties(TPropList& List) override;

  TCloseEvent OnClose;
  TCloseQueryEvent OnCloseQuery;
  TNotifyEvent OnPaint;

 protected:
  void CreateParams(TCreateParams& Params) override;
  void WndProc(TMessage& Message) override;

 private:
  std::wstring caption_;
  TFormBorderStyle borderStyle_ = bsSizeable;
};

// The process's application object, reached through Application().
class TApplication : public TComponent {
 public:
  explicit TApplication(TComponent* AOwner);
  ~TApplication() override;

  // Initialises OLE for the calling thread (once).
  void Initialize();
  // Dispatches every pending message, then releases the window DCs control
  // canvases acquired.
  void ProcessMessages();
  // Dispatches one message, or waits for one when none is pending.
  void HandleMessage();
  // Shows the main form and runs the message loop until Terminate().
  void Run();
  void Terminate() { terminated_ = true; }
  bool Terminated() const { return terminated_; }

  TForm* MainForm() const;
  void SetMainForm(TForm* Value);

  // Called inside a catch block: hands the exception being handled to
  // OnException, or to ShowException when no handler is assigned. An
  // exception that is not the framework's is wrapped with its what() text.
  void HandleException(TObject* Sender);
  // Reports an exception to the user: stderr and the debugger output (no
  // message box).
  void ShowException(const Exception& E);

  std::wstring ClassName() const override { return L"TApplication"; }

  TExceptionEvent OnException;

 private:
  bool ProcessMessage();
  void Report(TObject* Sender, const Exception& E);

  bool terminated_ = false;
  TForm* mainForm_ = nullptr;
  std::weak_ptr<void> mainFormAlive_;
  bool oleInitialized_ = false;
  DWORD oleThread_ = 0;
};

// The application object: made on first use, destroyed at process exit.
TApplication* Application();

}  // namespace vcl
