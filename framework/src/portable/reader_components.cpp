// TReader: component trees, properties, collections and the defined
// properties of the binary form.

#include <algorithm>
#include <string>

#include "reader_state.h"

namespace vcl {

namespace {
[[noreturn]] void InvalidValue() { throw EReadError(L"Invalid property value"); }

template <class F>
const F& Accessor(const F& Function, const TPropInfo& Prop) {
  if (!Function) throw EReadError(L"Property " + Prop.Name + L" is read-only");
  return Function;
}

int IndexOfName(const std::vector<std::wstring>& Names, const std::wstring& Name) {
  for (size_t i = 0; i < Names.size(); ++i)
    if (SameText(Names[i], Name)) return static_cast<int>(i);
  return -1;
}

// Ends a collection's update however its reading ends.
class TUpdateGuard {
 public:
  explicit TUpdateGuard(TCollection* Collection) : collection_(Collection) { collection_->BeginUpdate(); }
  ~TUpdateGuard() { collection_->EndUpdate(); }
  TUpdateGuard(const TUpdateGuard&) = delete;
  TUpdateGuard& operator=(const TUpdateGuard&) = delete;

 private:
  TCollection* collection_;
};

// The component a reference names, seen from Root; nullptr when none.
TComponent* ResolveReference(TComponent* Root, const std::wstring& Name) {
  if (SameText(Name, L"Owner")) return Root;
  TComponent* current = nullptr;
  size_t start = 0;
  while (start <= Name.size()) {
    const size_t dot = std::min(Name.find(L'.', start), Name.size());
    const std::wstring part = Name.substr(start, dot - start);
    if (!current) {
      current = Root->FindComponent(part);
      if (!current && SameText(part, Root->Name())) current = Root;
    } else if (!SameText(part, L"Owner")) {
      current = current->FindComponent(part);
    }
    if (!current) return nullptr;
    start = dot + 1;
  }
  return current;
}
}  // namespace

void TReader::ReadProperties(TPersistent* Instance) {
  TPropList props;
  Instance->GetPublishedProperties(props);
  while (!EndOfList()) ReadProperty(Instance, props);
  ReadListEnd();
}

void TReader::ReadProperty(TPersistent* Instance, const TPropList& Props) {
  const std::wstring name = ReadStr();
  ++state_->propertyDepth;
  try {
    // "Font.Name": walk through the object properties to the last part.
    TPersistent* target = Instance;
    const TPropList* list = &Props;
    TPropList sub;
    size_t start = 0;
    for (size_t dot; (dot = name.find(L'.', start)) != std::wstring::npos; start = dot + 1) {
      const TPropInfo* p = list->Find(name.substr(start, dot - start));
      if (!p || p->Kind != TPropKind::pkObject || !p->GetObject)
        throw EReadError(L"Property " + name + L" does not exist");
      target = p->GetObject(*target);
      if (!target) InvalidValue();
      sub = TPropList();
      target->GetPublishedProperties(sub);
      list = &sub;
    }
    const std::wstring last = name.substr(start);
    if (const TPropInfo* p = list->Find(last)) {
      ReadPropValue(target, *p);
    } else {
      const std::wstring savedName = std::move(state_->definedName);
      const bool savedRead = state_->definedRead;
      state_->definedName = last;
      state_->definedRead = false;
      try {
        target->DefineProperties(*this);
      } catch (...) {
        state_->definedName = savedName;
        state_->definedRead = savedRead;
        throw;
      }
      const bool read = state_->definedRead;
      state_->definedName = savedName;
      state_->definedRead = savedRead;
      if (!read) throw EReadError(L"Property " + name + L" does not exist");
    }
  } catch (const Exception& e) {
    if (--state_->propertyDepth > 0) throw;
    const std::wstring where = state_->path.empty() ? name : state_->path + L"." + name;
    throw EReadError(L"Error reading " + where + L": " + e.Message());
  }
  --state_->propertyDepth;
}

void TReader::ReadPropValue(TPersistent* Instance, const TPropInfo& Prop) {
  switch (Prop.Kind) {
    case TPropKind::pkInteger:
      if (NextValue() == vaIdent && Prop.Idents) {
        const std::wstring ident = ReadIdent();
        for (const auto& [value, text] : Prop.Idents->Idents)
          if (SameText(text, ident)) return Accessor(Prop.SetOrd, Prop)(*Instance, value);
        InvalidValue();
      }
      return Accessor(Prop.SetOrd, Prop)(*Instance, ReadInteger());
    case TPropKind::pkInt64:
      return Accessor(Prop.SetOrd, Prop)(*Instance, ReadInt64());
    case TPropKind::pkBoolean:
    case TPropKind::pkEnum: {
      const TEnumType& type = Prop.Enum ? *Prop.Enum : BooleanType();
      const int index = IndexOfName(type.Names, ReadIdent());
      if (index < 0) InvalidValue();
      return Accessor(Prop.SetOrd, Prop)(*Instance, index);
    }
    case TPropKind::pkSet:
      return ReadSetValue(Instance, Prop);
    case TPropKind::pkString:
      return Accessor(Prop.SetString, Prop)(*Instance, ReadString());
    case TPropKind::pkWString:
      return Accessor(Prop.SetWString, Prop)(*Instance, ReadWideString());
    case TPropKind::pkObject: {
      auto* collection = dynamic_cast<TCollection*>(Accessor(Prop.GetObject, Prop)(*Instance));
      if (!collection) InvalidValue();
      return ReadCollection(collection);
    }
    case TPropKind::pkComponent:
      return ReadReferenceValue(Instance, Prop);
    case TPropKind::pkMethod:
      return ReadEventValue(Instance, Prop);
  }
  InvalidValue();
}

void TReader::ReadSetValue(TPersistent* Instance, const TPropInfo& Prop) {
  CheckValue(vaSet);
  uint32_t bits = 0;
  for (std::wstring name; !(name = ReadStr()).empty();) {
    const int index = Prop.Enum ? IndexOfName(Prop.Enum->Names, name) : -1;
    if (index < 0 || index >= 32) InvalidValue();
    bits |= 1u << index;
  }
  Accessor(Prop.SetOrd, Prop)(*Instance, bits);
}

void TReader::ReadEventValue(TPersistent* Instance, const TPropInfo& Prop) {
  const auto& set = Accessor(Prop.SetMethod, Prop);
  if (NextValue() == vaNil) {
    ReadValue();
    return set(*Instance, std::wstring(), nullptr);
  }
  if (NextValue() != vaIdent) InvalidValue();
  const std::wstring name = ReadIdent();
  const std::any* handler = root_ ? root_->MethodAddress(name) : nullptr;
  if (!handler) {
    if (KeepMissingMethodNames) return set(*Instance, name, nullptr);
    if (OnMissingMethod && OnMissingMethod(name)) return;
    throw EReadError(L"Method " + name + L" not found");
  }
  set(*Instance, name, handler);
}

void TReader::ReadReferenceValue(TPersistent* Instance, const TPropInfo& Prop) {
  const auto& set = Accessor(Prop.SetComponent, Prop);
  if (NextValue() == vaNil) {
    ReadValue();
    return set(*Instance, nullptr);
  }
  if (NextValue() != vaIdent) InvalidValue();
  // Resolved once the whole form is there: it may name a later component.
  state_->fixups.push_back({Instance, set, ReadIdent(), state_->items});
}

void TReader::ReadCollection(TCollection* Collection) {
  TNestingGuard guard(state_->depth);
  CheckValue(vaCollection);
  TUpdateGuard update(Collection);
  // The items go: so do the references waiting to be set in them.
  std::erase_if(state_->fixups, [Collection](const State::Fixup& F) {
    return std::any_of(F.within.begin(), F.within.end(), [Collection](TPersistent* Item) {
      auto* item = dynamic_cast<TCollectionItem*>(Item);
      return item && item->Collection() == Collection;
    });
  });
  Collection->Clear();
  while (!EndOfList()) {
    // An item may be preceded by its order, which the order in the stream
    // already gives.
    const TValueType next = NextValue();
    if (next == vaInt8 || next == vaInt16 || next == vaInt32) ReadInteger();
    CheckValue(vaList);
    TCollectionItem* item = Collection->Add();
    state_->items.push_back(item);
    try {
      ReadProperties(item);
    } catch (...) {
      state_->items.pop_back();
      throw;
    }
    state_->items.pop_back();
  }
  ReadListEnd();
}

void TReader::DefineProperty(const std::wstring& Name, TReaderProc ReadData, TWriterProc /*WriteData*/,
                             bool /*HasData*/) {
  if (state_->definedRead || state_->definedName.empty() || !SameText(Name, state_->definedName)) return;
  state_->definedRead = true;
  state_->definedName.clear();
  if (ReadData)
    ReadData(*this);
  else
    SkipValue();
}

void TReader::DefineBinaryProperty(const std::wstring& Name, TStreamProc ReadData, TStreamProc /*WriteData*/,
                                   bool /*HasData*/) {
  if (state_->definedRead || state_->definedName.empty() || !SameText(Name, state_->definedName)) return;
  state_->definedRead = true;
  state_->definedName.clear();
  ReadBinary(ReadData);
}

void TReader::ReadComponent(TComponent* Parent) {
  TNestingGuard guard(state_->depth);
  uint8_t flags;
  int32_t childPos;
  ReadPrefix(flags, childPos);
  const std::wstring className = ReadStr();
  const std::wstring name = ReadStr();
  TComponent* component;
  if (flags & ffInherited) {
    component = root_->FindComponent(name);
    if (!component) throw EReadError(L"Ancestor for '" + name + L"' not found");
    if (std::find(state_->loading.begin(), state_->loading.end(), component) == state_->loading.end()) {
      state_->loading.push_back(component);
      component->Loading();
    }
  } else {
    const TComponentFactory* factory = GetComponentClass(className);
    component = factory ? (*factory)(root_) : nullptr;
    if (!component) throw EClassNotFound(L"Class " + className + L" not found");
    state_->created.push_back(component);
    root_->InsertComponent(component);
    state_->loading.push_back(component);
    component->Loading();
    component->SetParentComponent(Parent);
    component->SetName(name);
  }
  component->state_.Include(csReading);
  // Errors name the component through its owner, the root.
  const std::wstring savedPath = state_->path;
  state_->path = root_->Name().empty() ? name : root_->Name() + L"." + name;
  ReadProperties(component);
  while (!EndOfList()) ReadComponent(component);
  ReadListEnd();
  state_->path = savedPath;
  component->state_.Exclude(csReading);
  if (std::find(state_->complete.begin(), state_->complete.end(), component) == state_->complete.end())
    state_->complete.push_back(component);
}

void TReader::FixupReferences() {
  std::vector<State::Fixup> fixups = std::move(state_->fixups);
  state_->fixups.clear();
  for (const State::Fixup& f : fixups)
    if (TComponent* target = ResolveReference(root_, f.name)) f.set(*f.instance, target);
}

void TReader::ReadFormInto(TComponent* Root) {
  root_ = Root;
  state_->loading.push_back(Root);
  state_->complete.push_back(Root);
  Root->Loading();
  Root->state_.Include(csReading);
  state_->path = Root->Name();
  ReadProperties(Root);
  while (!EndOfList()) ReadComponent(Root);
  ReadListEnd();
  Root->state_.Exclude(csReading);
  FixupReferences();
  for (TComponent* c : state_->complete) c->Loaded();
}

TComponent* TReader::ReadRootComponent(TComponent* Root) {
  // A fresh form state that keeps the place in the stream.
  auto reset = [this] {
    auto fresh = std::make_unique<State>();
    fresh->position = state_->position;
    fresh->end = state_->end;
    state_ = std::move(fresh);
  };
  reset();
  std::unique_ptr<TComponent> createdRoot;
  try {
    ReadSignature();
    uint8_t flags;
    int32_t childPos;
    ReadPrefix(flags, childPos);
    const std::wstring className = ReadStr();
    const std::wstring name = ReadStr();
    if (!Root) {
      const TComponentFactory* factory = GetComponentClass(className);
      createdRoot.reset(factory ? (*factory)(nullptr) : nullptr);
      if (!createdRoot) throw EClassNotFound(L"Class " + className + L" not found");
      Root = createdRoot.get();
    }
    Root->SetName(name);
    ReadFormInto(Root);
  } catch (...) {
    // Take back what this read did: free what it created, clear the state
    // of what it kept.
    for (TComponent* c : state_->loading)
      if (std::find(state_->created.begin(), state_->created.end(), c) == state_->created.end())
        c->state_.Exclude(csLoading).Exclude(csReading);
    if (!createdRoot && Root) {
      for (auto it = state_->created.rbegin(); it != state_->created.rend(); ++it) {
        const auto& owned = Root->components_;
        if (std::find(owned.begin(), owned.end(), *it) != owned.end()) delete *it;
      }
    }
    createdRoot.reset();
    reset();
    root_ = nullptr;
    try {
      throw;
    } catch (const EReadError&) {
      throw;
    } catch (const Exception& e) {
      // A name the component refuses and the like: still a malformed form.
      throw EReadError(e.Message());
    }
  }
  state_->created.clear();
  state_->loading.clear();
  state_->complete.clear();
  return createdRoot ? createdRoot.release() : Root;
}

}  // namespace vcl
