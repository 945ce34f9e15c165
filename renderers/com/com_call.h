#pragma once
// The exception barrier of a COM method: no C++ exception leaves a method a
// COM client calls; running out of memory becomes E_OUTOFMEMORY, anything
// else E_UNEXPECTED.
#include <windows.h>

#include <new>

namespace vt {

template <class Body>
HRESULT ComCall(Body&& B) noexcept {
  try {
    return B();
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  } catch (...) {
    return E_UNEXPECTED;
  }
}

}  // namespace vt
