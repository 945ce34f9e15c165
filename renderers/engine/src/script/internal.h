#pragma once
// Parts of the interpreter shared between its files.

#include <memory>
#include <string>
#include <vector>

#include "renderers/engine/script.h"

namespace swf {

// A function a script defined: its code in the block it came from, and what
// it closes over.
struct ScriptFunction {
  std::shared_ptr<const ActionBlock> block;
  size_t begin = 0, end = 0;                 // its body's actions
  std::shared_ptr<const FunctionDef> def;
  std::vector<Object*> scope;                // enclosing activations and with objects, outermost first
  std::string clipPath;                      // the clip it was defined on
  std::shared_ptr<const std::vector<std::string>> constants;  // the constant pool at definition
};

// An aborted run (budget, stack, nesting); the message follows "script aborted: ".
struct ScriptAbort {
  std::string reason;
};

// Work done inside conversions and member updates (array joins, truncation)
// that one action can cause; the interpreter charges it to the run's budget.
void ChargeWork(uint64_t Units);
uint64_t TakeWork();

// Arrays: the length member and element names.
double ArrayLength(const Object& A);
std::string JoinArray(const Object& A, const std::string& Separator, int Depth = 0);
void InstallBuiltins(ScriptRuntime& R);
// The property index of a name such as "_x", or -1.
int PropertyIndex(const std::string& Name);

}  // namespace swf
