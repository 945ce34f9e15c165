#pragma once
// What a TReader keeps while it reads: where it is in the stream, how deep it
// is nested, and the form under construction. Internal to the filer.

#include <cstdint>
#include <functional>
#include <limits>
#include <string>
#include <vector>

#include "../../Filer.h"

namespace vcl {

// Components, collections, lists and sets nest at most this deep in a form.
constexpr int kMaxFormNesting = 64;

struct TReader::State {
  // Absolute position in the stream, tracked rather than asked for, and its
  // size (the largest int64_t when the stream cannot tell).
  int64_t position = 0;
  int64_t end = std::numeric_limits<int64_t>::max();
  int depth = 0;

  // The defined property being looked for (while DefineProperties runs) and
  // whether a DefineProperty call read it.
  std::wstring definedName;
  bool definedRead = false;

  // Set while a form is read.
  std::vector<TComponent*> created;   // by the reader, in creation order
  std::vector<TComponent*> loading;   // put in the loading state
  std::vector<TComponent*> complete;  // read completely, in Loaded order
  int propertyDepth = 0;              // properties read inside a property's value
  struct Fixup {
    TPersistent* instance;
    std::function<void(TPersistent&, TComponent*)> set;
    std::wstring name;
    // The collection items the instance lies within: a collection read
    // again frees them, and their fixups go with them.
    std::vector<TPersistent*> within;
  };
  std::vector<TPersistent*> items;  // the collection items being read, innermost last
  std::vector<Fixup> fixups;
  std::wstring path;  // "Form1.Panel1" of the component being read
};

// Counts one level of nesting while alive; too deep raises EReadError.
class TNestingGuard {
 public:
  explicit TNestingGuard(int& Depth) : depth_(Depth) {
    if (++depth_ > kMaxFormNesting) {
      --depth_;
      throw EReadError(L"Invalid stream format: nested deeper than " + std::to_wstring(kMaxFormNesting) +
                       L" levels");
    }
  }
  ~TNestingGuard() { --depth_; }
  TNestingGuard(const TNestingGuard&) = delete;
  TNestingGuard& operator=(const TNestingGuard&) = delete;

 private:
  int& depth_;
};

}  // namespace vcl
