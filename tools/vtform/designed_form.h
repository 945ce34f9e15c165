#pragma once
// A form as the designer edits it: read whatever its root class is called
// (applications name their own form classes), in either format, and written
// back under the same class name in the format it came in.

#include <memory>
#include <string>

#include "framework/Forms.h"

namespace vtform {

class TDesignedForm : public vcl::TForm {
 public:
  explicit TDesignedForm(std::wstring FormClassName);
  std::wstring ClassName() const override { return className_; }

 private:
  std::wstring className_;
};

struct DesignedForm {
  std::unique_ptr<TDesignedForm> Root;
  bool Binary = false;  // "TPF0", or else the text form
};

// Reads a form's bytes into a new root, keeping the names of the
// application's event handlers. The components are not put into the design
// state: a player in the designer pauses whenever it loads its movie, and
// its Pause would then be saved as True; read as at run time (with no
// message loop, nothing plays) every property keeps the value stored. The form's components are created from the
// class registry (vt::Register makes the package's known). Raises the
// framework's errors for bytes that hold no valid form.
DesignedForm ReadDesignedForm(const std::string& Bytes);

// The form's bytes in its own format.
std::string WriteDesignedForm(const DesignedForm& Form);

}  // namespace vtform
