#pragma once
// Where vtplay's movie comes from: a name checked before it is played, the
// standard input, or the demo movie carried as a resource of vtplay.exe.

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "framework/Classes.h"

namespace vtplay {

// Whether a player could find Name: a URL (left to the renderer), an
// existing file (a query after it aside), a stored movie of that bare name,
// or a resource of this program named like the bare file name without its
// extension.
bool MovieAvailable(const std::wstring& Name);

// Name as every renderer finds it, whatever folder it looks in: the full
// path of the local file Name names (its query, if any, kept on the end),
// a relative name being looked for in each of Folders in turn ("" is the
// current folder). URLs, names of stored movies and names no file has are
// returned as they are.
std::wstring FullMoviePath(const std::wstring& Name, const std::vector<std::wstring>& Folders = {L""});

// Reads In to its end in binary mode. Raises vcl::Exception when it holds
// more than Limit bytes, before reading past the limit.
std::vector<uint8_t> ReadAllInput(std::FILE* In, size_t Limit);

// The demo movie (resource VTPLAY_DEMO of the program's module).
std::unique_ptr<vcl::TStream> DemoMovie();

}  // namespace vtplay
