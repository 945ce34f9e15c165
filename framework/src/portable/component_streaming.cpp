// A component's own part in form streaming, and the whole-form entry points.

#include <cstdint>

#include "../../Filer.h"

namespace vcl {

void TComponent::DefineProperties(TFiler& Filer) {
  TPersistent::DefineProperties(Filer);
  // The designer position as two unsigned 16-bit halves of DesignInfo.
  auto half = [this](int Shift) { return (static_cast<uint32_t>(designInfo_) >> Shift) & 0xFFFFu; };
  auto reader = [this](int Shift) {
    return [this, Shift](TReader& Reader) {
      const auto value = static_cast<uint32_t>(Reader.ReadInteger()) & 0xFFFFu;
      const uint32_t other = static_cast<uint32_t>(designInfo_) & ~(0xFFFFu << Shift);
      designInfo_ = static_cast<int32_t>(other | (value << Shift));
    };
  };
  auto writer = [half](int Shift) { return [half, Shift](TWriter& Writer) { Writer.WriteInteger(half(Shift)); }; };
  Filer.DefineProperty(L"Left", reader(0), writer(0), half(0) != 0);
  Filer.DefineProperty(L"Top", reader(16), writer(16), half(16) != 0);
}

void WriteComponentToStream(TStream& Stream, TComponent* Root) {
  TWriter writer(Stream);
  writer.WriteRootComponent(Root);
}

TComponent* ReadComponentFromStream(TStream& Stream, TComponent* Root) {
  TReader reader(Stream);
  return reader.ReadRootComponent(Root);
}

}  // namespace vcl
