#pragma once
// Reading a form file (binary "TPF0" or its text form) into a form.

#include <string>

#include "framework/Classes.h"

namespace vtplay {

// Reads FileName into Root, whatever class name the file gives its root:
// applications name their own form classes, and Root stands in for them. The
// file's components are created from the class registry (call
// vt::InitializeFlashPlayerUnit first for players and movie lists). Event
// handlers the file names are left unassigned, since Root publishes none.
// Raises the framework's errors (EFOpenError, EReadError, EParserError, ...)
// for a file that cannot be read or holds no valid form.
void LoadFormFile(const std::wstring& FileName, vcl::TComponent& Root);

// The same from bytes already in memory.
void LoadForm(vcl::TStream& Input, vcl::TComponent& Root);

}  // namespace vtplay
