// TWriter: component trees, properties, collections and the defined
// properties of the binary form.

#include <string>

#include "writer_state.h"

namespace vcl {

namespace {
// Marks a component as being written while alive.
class TWritingState {
 public:
  explicit TWritingState(TComponentState& State) : state_(State), was_(State.Contains(csWriting)) {
    state_.Include(csWriting);
  }
  ~TWritingState() {
    if (!was_) state_.Exclude(csWriting);
  }
  TWritingState(const TWritingState&) = delete;
  TWritingState& operator=(const TWritingState&) = delete;

 private:
  TComponentState& state_;
  bool was_;
};
}  // namespace

std::wstring TWriter::ReferenceName(TComponent* Component) const {
  if (Component->Owner() == root_) return Component->Name();
  if (Component == root_) return L"Owner";
  // A component of another form: by that form's name.
  if (Component->Owner() && !Component->Owner()->Name().empty() && !Component->Name().empty())
    return Component->Owner()->Name() + L"." + Component->Name();
  if (!Component->Name().empty()) return Component->Name() + L".Owner";
  return std::wstring();
}

void TWriter::WriteProperty(TPersistent* Instance, const TPropInfo& Prop) {
  if (Prop.Stored && !Prop.Stored(*Instance)) return;
  const std::wstring name = state_->prefix + Prop.Name;
  switch (Prop.Kind) {
    case TPropKind::pkInteger:
    case TPropKind::pkInt64:
    case TPropKind::pkBoolean:
    case TPropKind::pkEnum:
    case TPropKind::pkSet: {
      if (!Prop.GetOrd) return;
      const int64_t value = Prop.GetOrd(*Instance);
      if (Prop.Default && *Prop.Default == value) return;
      WriteStr(name);
      if (Prop.Kind == TPropKind::pkBoolean) return WriteBoolean(value != 0);
      if (Prop.Kind == TPropKind::pkEnum) {
        if (!Prop.Enum || value < 0 || value >= static_cast<int64_t>(Prop.Enum->Names.size()))
          throw EWriteError(L"Property " + name + L" has no identifier for " + std::to_wstring(value));
        WriteValue(vaIdent);
        return WriteStr(Prop.Enum->Names[static_cast<size_t>(value)]);
      }
      if (Prop.Kind == TPropKind::pkSet) {
        WriteValue(vaSet);
        for (size_t i = 0; Prop.Enum && i < Prop.Enum->Names.size() && i < 32; ++i)
          if ((static_cast<uint64_t>(value) >> i) & 1u) WriteStr(Prop.Enum->Names[i]);
        return WriteStr(std::wstring());
      }
      if (Prop.Kind == TPropKind::pkInteger && Prop.Idents)
        for (const auto& [ordinal, ident] : Prop.Idents->Idents)
          if (ordinal == value) {
            WriteValue(vaIdent);
            return WriteStr(ident);
          }
      return WriteInteger(value);
    }
    case TPropKind::pkString: {
      if (!Prop.GetString) return;
      const std::string value = Prop.GetString(*Instance);
      if (value.empty()) return;
      WriteStr(name);
      return WriteString(value);
    }
    case TPropKind::pkWString: {
      if (!Prop.GetWString) return;
      const std::wstring value = Prop.GetWString(*Instance);
      if (value.empty()) return;
      WriteStr(name);
      return WriteWideString(value);
    }
    case TPropKind::pkObject: {
      TPersistent* object = Prop.GetObject ? Prop.GetObject(*Instance) : nullptr;
      if (!object) return;
      if (auto* collection = dynamic_cast<TCollection*>(object)) {
        WriteStr(name);
        return WriteCollection(collection);
      }
      TWriteNestingGuard guard(state_->depth);
      const std::wstring saved = state_->prefix;
      state_->prefix = name + L".";
      WritePropertyList(object);
      state_->prefix = saved;
      return;
    }
    case TPropKind::pkComponent: {
      TComponent* value = Prop.GetComponent ? Prop.GetComponent(*Instance) : nullptr;
      if (!value) return;
      const std::wstring reference = ReferenceName(value);
      if (reference.empty()) return;
      WriteStr(name);
      WriteValue(vaIdent);
      return WriteStr(reference);
    }
    case TPropKind::pkMethod: {
      const std::wstring method = Prop.GetMethodName ? Prop.GetMethodName(*Instance) : std::wstring();
      if (method.empty()) return;
      WriteStr(name);
      WriteValue(vaIdent);
      return WriteStr(method);
    }
  }
}

void TWriter::WritePropertyList(TPersistent* Instance) {
  TPropList props;
  Instance->GetPublishedProperties(props);
  for (const TPropInfo& p : props) WriteProperty(Instance, p);
  Instance->DefineProperties(*this);
}

void TWriter::WriteProperties(TPersistent* Instance) {
  const std::wstring saved = std::move(state_->prefix);
  state_->prefix.clear();
  WritePropertyList(Instance);
  state_->prefix = saved;
  WriteListEnd();
}

void TWriter::WriteCollection(TCollection* Collection) {
  TWriteNestingGuard guard(state_->depth);
  WriteValue(vaCollection);
  for (int i = 0; i < Collection->Count(); ++i) {
    WriteListBegin();
    WriteProperties(Collection->Items(i));
  }
  WriteListEnd();
}

void TWriter::DefineProperty(const std::wstring& Name, TReaderProc /*ReadData*/, TWriterProc WriteData,
                             bool HasData) {
  if (!HasData || !WriteData) return;
  WriteStr(state_->prefix + Name);
  WriteData(*this);
}

void TWriter::DefineBinaryProperty(const std::wstring& Name, TStreamProc /*ReadData*/, TStreamProc WriteData,
                                   bool HasData) {
  if (!HasData) return;
  WriteStr(state_->prefix + Name);
  WriteBinary(WriteData);
}

void TWriter::WriteComponent(TComponent* Component) {
  TWriteNestingGuard guard(state_->depth);
  TWritingState writing(Component->state_);
  WritePrefix(0, -1);
  WriteStr(Component->ClassName());
  WriteStr(Component->Name());
  WriteProperties(Component);
  Component->GetChildren([this](TComponent* Child) { WriteComponent(Child); }, root_);
  WriteListEnd();
}

void TWriter::WriteRootComponent(TComponent* Root) {
  TComponent* saved = root_;
  root_ = Root;
  try {
    WriteSignature();
    WriteComponent(Root);
  } catch (...) {
    root_ = saved;
    throw;
  }
  root_ = saved;
}

}  // namespace vcl
