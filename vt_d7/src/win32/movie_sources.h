#pragma once
// The local sources both drivers serve movies from, besides files: the
// stored movies of the forms and the package's own resources.
#include <windows.h>

#include <memory>
#include <string>

#include "framework/Classes.h"

namespace vt {

// Whether Path names an existing file (not a folder).
bool IsFile(const std::wstring& Path);

// The folder of the running executable, with a trailing backslash.
std::wstring ExecutableFolder();

// The stored movie registered under Name (any letter case), or nullptr.
vcl::TMemoryStream* FindStoredMovie(const std::wstring& Name);
// A copy of that movie's bytes, from its start, or nullptr.
std::unique_ptr<vcl::TMemoryStream> CopyStoredMovie(const std::wstring& Name);

// The module that holds the package's code (an executable, or a DLL built
// from the package).
HMODULE PackageModule();
// Whether the package has the RCDATA resource Name (letter case does not
// matter to the lookup). A name starting with "#" would be read as a number
// and names none.
bool HasPackageResource(const std::wstring& Name);
// That resource as a read-only stream, or nullptr.
std::unique_ptr<vcl::TStream> OpenPackageResource(const std::wstring& Name);

}  // namespace vt
