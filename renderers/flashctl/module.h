#pragma once
// The module: its own path (found from a code address, never inside
// DllMain) and the counts that decide DllCanUnloadNow.

#include <windows.h>

#include <string>

namespace flashctl {

HMODULE ThisModule();
std::wstring ModulePath();

// Live control objects and server locks (IClassFactory::LockServer).
void ObjectCreated();
void ObjectDestroyed();
void LockModule(bool Lock);
bool ModuleInUse();

}  // namespace flashctl
