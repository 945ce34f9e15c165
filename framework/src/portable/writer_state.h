#pragma once
// What a TWriter keeps while it writes. Internal to the filer.

#include <string>

#include "../../Filer.h"
#include "reader_state.h"

namespace vcl {

struct TWriter::State {
  std::wstring prefix;  // "Font." while the properties of an object property are written
  int depth = 0;
};

// Counts one level of nesting while alive; a tree deeper than a reader
// accepts raises EWriteError.
class TWriteNestingGuard {
 public:
  explicit TWriteNestingGuard(int& Depth) : depth_(Depth) {
    if (++depth_ > kMaxFormNesting) {
      --depth_;
      throw EWriteError(L"Form nested deeper than " + std::to_wstring(kMaxFormNesting) + L" levels");
    }
  }
  ~TWriteNestingGuard() { --depth_; }
  TWriteNestingGuard(const TWriteNestingGuard&) = delete;
  TWriteNestingGuard& operator=(const TWriteNestingGuard&) = delete;

 private:
  int& depth_;
};

}  // namespace vcl
