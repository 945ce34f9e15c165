#include "tools/vtform/designed_form.h"

#include <cstring>

#include "framework/Filer.h"

namespace vtform {

namespace {

std::string BytesOf(vcl::TMemoryStream& Stream) {
  return std::string(static_cast<const char*>(Stream.Memory()), static_cast<size_t>(Stream.Size()));
}

}  // namespace

TDesignedForm::TDesignedForm(std::wstring FormClassName)
    : vcl::TForm(nullptr), className_(std::move(FormClassName)) {}

DesignedForm ReadDesignedForm(const std::string& Bytes) {
  DesignedForm form;
  form.Binary = Bytes.size() >= 4 && std::memcmp(Bytes.data(), "TPF0", 4) == 0;
  vcl::TMemoryStream binary;
  if (form.Binary) {
    binary.WriteBuffer(Bytes.data(), static_cast<int64_t>(Bytes.size()));
  } else {
    vcl::TMemoryStream text;
    text.WriteBuffer(Bytes.data(), static_cast<int64_t>(Bytes.size()));
    text.SetPosition(0);
    vcl::ObjectTextToBinary(text, binary);
  }
  // The root's class name comes first, after the signature and its flags.
  binary.SetPosition(0);
  std::wstring className;
  {
    vcl::TReader header(binary);
    header.ReadSignature();
    uint8_t flags = 0;
    int32_t position = -1;
    header.ReadPrefix(flags, position);
    className = header.ReadStr();
  }
  binary.SetPosition(0);
  form.Root = std::make_unique<TDesignedForm>(className);
  vcl::TReader reader(binary);
  reader.KeepMissingMethodNames = true;
  reader.ReadRootComponent(form.Root.get());
  return form;
}

std::string WriteDesignedForm(const DesignedForm& Form) {
  vcl::TMemoryStream binary;
  vcl::WriteComponentToStream(binary, Form.Root.get());
  if (Form.Binary) return BytesOf(binary);
  binary.SetPosition(0);
  vcl::TMemoryStream text;
  vcl::ObjectBinaryToText(binary, text);
  return BytesOf(text);
}

}  // namespace vtform
