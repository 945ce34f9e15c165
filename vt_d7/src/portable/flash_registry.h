#pragma once
// How stored movies keep their FlashList entries up to date (the registry
// itself is public through vt::FlashList()).

#include <string>

#include "framework/Classes.h"

namespace vt::flash_registry {

// Appends an entry for Item, creating the registry when it is the first.
void Enter(const std::wstring& Name, vcl::TObject* Item);
// Deletes Item's entry (the first one that names it as object) and frees
// the registry when that was the last entry.
void Leave(const vcl::TObject* Item);
// Gives Item's entry the name Name, in place; nothing when Item has none.
void Rename(const vcl::TObject* Item, const std::wstring& Name);

}  // namespace vt::flash_registry
