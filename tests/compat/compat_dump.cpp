// The canonical dump of a form read into objects.

#include "compat_dump.h"

#include <cstdint>
#include <cstdio>

#include "compat_components.h"
#include "framework/Filer.h"
#include "vt_d7/flash_store.h"

namespace compat {

namespace {

std::string Narrow(const std::wstring& Text) { return vcl::WideToUtf8(Text); }

std::string QuoteUnit(uint32_t Unit) {
  if (Unit == '"') return "\\\"";
  if (Unit == '\\') return "\\\\";
  if (Unit >= 0x20 && Unit <= 0x7E) return std::string(1, static_cast<char>(Unit));
  char buffer[8];
  std::snprintf(buffer, sizeof buffer, "\\u%04x", Unit & 0xFFFFu);
  return buffer;
}

std::string Hex(const uint8_t* Bytes, size_t Count) {
  static const char digits[] = "0123456789ABCDEF";
  std::string text;
  for (size_t i = 0; i < Count; ++i) {
    text += digits[Bytes[i] >> 4];
    text += digits[Bytes[i] & 15];
  }
  return text;
}

std::string SetText(const vcl::TEnumType& Type, int64_t Bits) {
  std::string text;
  for (size_t i = 0; i < Type.Names.size() && i < 32; ++i)
    if ((static_cast<uint64_t>(Bits) >> i) & 1u) text += (text.empty() ? "" : ",") + Narrow(Type.Names[i]);
  return "[" + text + "]";
}

std::string EnumText(const vcl::TEnumType& Type, int64_t Ordinal) {
  if (Ordinal >= 0 && static_cast<uint64_t>(Ordinal) < Type.Names.size())
    return Narrow(Type.Names[static_cast<size_t>(Ordinal)]);
  return std::to_string(Ordinal);
}

class TDumper {
 public:
  explicit TDumper(vcl::TComponent* Root) : root_(Root) {}

  void DumpComponent(vcl::TComponent* Component) {
    vcl::TComponent* parent = Component == root_ ? nullptr : Component->GetParentComponent();
    Line(Narrow(Component->Name()) + ": " + Narrow(Component->ClassName()) +
         " parent=" + (parent ? Narrow(parent->Name()) : "-"));
    DumpProps(*Component, "", true);
    const auto design = static_cast<uint32_t>(Component->DesignInfo());
    if ((design & 0xFFFF) != 0) Line("  Left = " + std::to_string(design & 0xFFFF));
    if ((design >> 16) != 0) Line("  Top = " + std::to_string(design >> 16));
    if (auto* kinds = dynamic_cast<TCompatKinds*>(Component))
      Line("  Data = {" + Hex(kinds->Data.data(), kinds->Data.size()) + "}");
    Component->GetChildren([this](vcl::TComponent* Child) { DumpComponent(Child); }, root_);
  }

  std::string Text() const { return out_; }

 private:
  void Line(const std::string& Text) { out_ += Text + "\n"; }

  void DumpProps(vcl::TPersistent& Instance, const std::string& Prefix, bool IsComponent) {
    vcl::TPropList list;
    Instance.GetPublishedProperties(list);
    for (const vcl::TPropInfo& prop : list) {
      // TComponent's Name (in the header line) and Tag are not compared.
      if (IsComponent && (prop.Name == L"Name" || prop.Name == L"Tag")) continue;
      const std::string name = Prefix + Narrow(prop.Name);
      if (prop.Kind == vcl::TPropKind::pkObject) {
        if (auto* collection = dynamic_cast<vcl::TCollection*>(prop.GetObject(Instance))) {
          DumpCollection(*collection, name);
          continue;
        }
      }
      Line("  " + name + " = " + ValueText(Instance, prop));
    }
  }

  void DumpCollection(vcl::TCollection& Collection, const std::string& Name) {
    Line("  " + Name + ".Count = " + std::to_string(Collection.Count()));
    for (int i = 0; i < Collection.Count(); ++i) {
      vcl::TCollectionItem* item = Collection.Items(i);
      const std::string prefix = Name + "[" + std::to_string(i) + "].";
      DumpProps(*item, prefix, false);
      if (auto* movie = dynamic_cast<vt::TvtFlashStream*>(item)) {
        vcl::TMemoryStream payload;
        movie->WriteData(payload);
        Line("  " + prefix + "FlashStream = {" +
             Hex(static_cast<const uint8_t*>(payload.Memory()), static_cast<size_t>(payload.Size())) + "}");
      }
    }
  }

  std::string ValueText(vcl::TPersistent& Instance, const vcl::TPropInfo& Prop) {
    using enum vcl::TPropKind;
    switch (Prop.Kind) {
      case pkInteger:
      case pkInt64:
        return std::to_string(Prop.GetOrd(Instance));
      case pkBoolean:
        return Prop.GetOrd(Instance) != 0 ? "True" : "False";
      case pkEnum:
        return EnumText(*Prop.Enum, Prop.GetOrd(Instance));
      case pkSet:
        return SetText(*Prop.Enum, Prop.GetOrd(Instance));
      case pkString:
        return QuoteBytes(Prop.GetString(Instance));
      case pkWString:
        return QuoteWide(Prop.GetWString(Instance));
      case pkComponent: {
        vcl::TComponent* component = Prop.GetComponent(Instance);
        return component ? Narrow(component->Name()) : "nil";
      }
      case pkMethod: {
        const std::wstring method = Prop.GetMethodName(Instance);
        return method.empty() ? "nil" : Narrow(method);
      }
      case pkObject:
        return "?";
    }
    return "?";
  }

  vcl::TComponent* root_;
  std::string out_;
};

}  // namespace

std::string QuoteWide(const std::wstring& Text) {
  std::string text = "\"";
  for (wchar_t w : Text) {
    const auto c = static_cast<uint32_t>(w);
    if (c >= 0x10000 && c <= 0x10FFFF) {  // wchar_t is UTF-32 on the host
      text += QuoteUnit(0xD800 + ((c - 0x10000) >> 10));
      text += QuoteUnit(0xDC00 + ((c - 0x10000) & 0x3FF));
    } else {
      text += QuoteUnit(c > 0x10FFFF ? 0xFFFD : c);
    }
  }
  return text + "\"";
}

std::string QuoteBytes(const std::string& Text) {
  std::string text = "\"";
  for (char c : Text) text += QuoteUnit(static_cast<uint8_t>(c));
  return text + "\"";
}

std::string DumpForm(vcl::TComponent* Root, const std::vector<std::wstring>& Loaded) {
  TDumper dumper(Root);
  dumper.DumpComponent(Root);
  std::string text = dumper.Text() + "loaded:";
  for (const std::wstring& name : Loaded) text += " " + Narrow(name);
  return text + "\n";
}

}  // namespace compat
