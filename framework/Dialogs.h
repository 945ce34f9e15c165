#pragma once
// The common dialogs the framework shows: the file-open dialog and the
// message box. Each goes through a replaceable function, so a program
// without a user (a test, a command-line designer) can answer in its place.
// Portable: the system's dialogs are used only in the Windows build.

#include <functional>
#include <string>

#include "Classes.h"

namespace vcl {

// Asks the user for an existing file. The dialog shows Filter's pairs of
// description and patterns ("Text files|*.txt|All Files|*.*").
class TOpenDialog : public TComponent {
 public:
  explicit TOpenDialog(TComponent* AOwner) : TComponent(AOwner) {}

  const std::wstring& Filter() const { return filter_; }
  void SetFilter(const std::wstring& Value) { filter_ = Value; }
  // The chosen file (full path) after Execute; its initial value is offered.
  const std::wstring& FileName() const { return fileName_; }
  void SetFileName(const std::wstring& Value) { fileName_ = Value; }
  const std::wstring& Title() const { return title_; }
  void SetTitle(const std::wstring& Value) { title_ = Value; }

  // Shows the dialog; true when the user confirmed a file, which FileName
  // then holds. Goes through OpenDialogHandler.
  bool Execute();

  std::wstring ClassName() const override { return L"TOpenDialog"; }

 private:
  std::wstring filter_;
  std::wstring fileName_;
  std::wstring title_;
};

// What TOpenDialog::Execute runs: returns whether a file was chosen and sets
// the dialog's FileName. The default is the system's file-open dialog (in a
// build without one it answers as a cancel).
using TOpenDialogHandler = std::function<bool(TOpenDialog& Dialog)>;
// Replaces the handler (an empty one restores the default) and returns the
// one it replaced.
TOpenDialogHandler SetOpenDialogHandler(TOpenDialogHandler Handler);

// Shows Message to the user and waits for OK: the system's message box with
// the application's title, or, in a build without one, a line on stderr.
// Goes through ShowMessageHandler.
void ShowMessage(const std::wstring& Message);
using TShowMessageHandler = std::function<void(const std::wstring& Message)>;
// Replaces the handler (an empty one restores the default) and returns the
// one it replaced.
TShowMessageHandler SetShowMessageHandler(TShowMessageHandler Handler);

// The defaults, for a replacement that wants to pass some calls on.
bool SystemOpenDialog(TOpenDialog& Dialog);
void SystemShowMessage(const std::wstring& Message);

}  // namespace vcl
