#pragma once
// The reference count of the COM objects the package implements, and a
// counted pointer to COM interfaces. A count never decides when a package
// object is freed while the package still holds it: its owner keeps one
// reference of its own.
#include <windows.h>
#include <unknwn.h>

#include <utility>

namespace vt {

// The count starts at 1, the creator's reference; the last Release frees the
// object through its virtual destructor.
class TComRefCount {
 public:
  ULONG CountAddRef() { return ++refs_; }
  ULONG CountRelease() {
    const ULONG n = --refs_;
    if (n == 0) delete this;
    return n;
  }

 protected:
  TComRefCount() = default;
  virtual ~TComRefCount() = default;
  TComRefCount(const TComRefCount&) = delete;
  TComRefCount& operator=(const TComRefCount&) = delete;

 private:
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

}  // namespace vt
