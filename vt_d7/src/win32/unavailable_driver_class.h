#pragma once
// The class reference of a renderer driver that this build does not contain:
// it never reports its renderer, so selection never constructs it.

#include <string>

#include "framework/SysUtils.h"
#include "vt_d7/Vt_flashplayer.h"

namespace vt {

class TUnavailableDriverClass final : public TvtFlashDriverClass {
 public:
  explicit TUnavailableDriverClass(const wchar_t* Name) : name_(Name) {}
  std::wstring ClassName() const override { return name_; }
  bool PluginExists() const override { return false; }
  std::unique_ptr<TvtFlashDriver> Create(int32_t, int32_t, uint32_t) const override {
    throw vcl::EInvalidOperation(name_ + L" is not available in this build");
  }

 private:
  std::wstring name_;
};

}  // namespace vt
