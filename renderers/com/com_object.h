#pragma once
// COM plumbing shared by the package and the stand-in control: the reference
// count of the COM objects they implement, a counted pointer to COM
// interfaces, and owners of BSTRs and VARIANTs. A count never decides when a
// package object is freed while the package still holds it: its owner keeps
// one reference of its own.
#include <windows.h>
#include <oleauto.h>
#include <unknwn.h>

#include <string>
#include <utility>

namespace vt {

// The count starts at 1, the creator's reference; the last Release frees the
// object through its virtual destructor.
class TComRefCount {
 public:
  ULONG CountAddRef() { return ++refs_; }
  ULONG CountRelease() {
    const ULONG n = --refs_;
    if (n == 0) Destroy();
    return n;
  }
  ULONG RefCount() const { return refs_; }

 protected:
  TComRefCount() = default;
  virtual ~TComRefCount() = default;
  TComRefCount(const TComRefCount&) = delete;
  TComRefCount& operator=(const TComRefCount&) = delete;

 private:
  // Kept out of line: inlined into a class that has this base second, the
  // optimiser mistakes the adjusted pointer for one into the middle of a
  // block (a false -Wfree-nonheap-object).
  [[gnu::noinline]] void Destroy() { delete this; }

  ULONG refs_ = 1;
};

// Holds one reference to T.
template <class T>
class TComPtr {
 public:
  TComPtr() = default;
  // Takes over a reference the caller owns.
  static TComPtr Adopt(T* P) {
    TComPtr c;
    c.p_ = P;
    return c;
  }
  // Adds a reference of its own.
  static TComPtr Share(T* P) {
    if (P) P->AddRef();
    return Adopt(P);
  }
  TComPtr(const TComPtr& O) : p_(O.p_) {
    if (p_) p_->AddRef();
  }
  TComPtr(TComPtr&& O) noexcept : p_(std::exchange(O.p_, nullptr)) {}
  TComPtr& operator=(TComPtr O) noexcept {
    std::swap(p_, O.p_);
    return *this;
  }
  ~TComPtr() { Reset(); }

  void Reset() {
    if (T* p = std::exchange(p_, nullptr)) p->Release();
  }
  T* Get() const { return p_; }
  T* operator->() const { return p_; }
  explicit operator bool() const { return p_ != nullptr; }
  // For an out-parameter: releases what is held and lends the slot.
  T** Receive() {
    Reset();
    return &p_;
  }

 private:
  T* p_ = nullptr;
};

// Owns one BSTR (nil for the empty string) and frees it once.
class TBstr {
 public:
  TBstr() = default;
  explicit TBstr(const std::wstring& Text)
      : p_(Text.empty() ? nullptr : SysAllocStringLen(Text.data(), static_cast<UINT>(Text.size()))) {}
  // Takes over a string the caller owns.
  static TBstr Adopt(BSTR S) {
    TBstr b;
    b.p_ = S;
    return b;
  }
  TBstr(const TBstr&) = delete;
  TBstr& operator=(const TBstr&) = delete;
  TBstr(TBstr&& O) noexcept : p_(std::exchange(O.p_, nullptr)) {}
  TBstr& operator=(TBstr&& O) noexcept {
    std::swap(p_, O.p_);
    return *this;
  }
  ~TBstr() { SysFreeString(p_); }

  BSTR Get() const { return p_; }
  // Gives the string away (for an out-parameter).
  BSTR Detach() { return std::exchange(p_, nullptr); }
  // For an out-parameter: frees what is held and lends the slot.
  BSTR* Receive() {
    SysFreeString(std::exchange(p_, nullptr));
    return &p_;
  }
  std::wstring Text() const { return BstrText(p_); }

  // The text of a BSTR; nil reads as "".
  static std::wstring BstrText(BSTR S) { return S ? std::wstring(S, SysStringLen(S)) : std::wstring(); }

 private:
  BSTR p_ = nullptr;
};

// A VARIANT cleared once, when it goes.
class TVariant {
 public:
  TVariant() { VariantInit(&v_); }
  TVariant(const TVariant&) = delete;
  TVariant& operator=(const TVariant&) = delete;
  ~TVariant() { VariantClear(&v_); }
  VARIANT* operator&() { return &v_; }
  VARIANT& Get() { return v_; }
  const VARIANT& Get() const { return v_; }
  void Clear() { VariantClear(&v_); }

 private:
  VARIANT v_;
};

}  // namespace vt
