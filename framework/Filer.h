#pragma once
// Form streaming: published-property metadata, the class registry, the
// reader and writer of the framework's binary form format ("TPF0"), and the
// conversion between the binary and the text form. Portable.

#include <any>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <type_traits>
#include <vector>

#include "Classes.h"

namespace vcl {

// ---------------------------------------------------------------------------
// Value tags of the binary form format. vaUString is the UTF-16 tag Free
// Pascal 3 writes for UnicodeString; vaQWord its unsigned 64-bit integer.

enum class TValueType : uint8_t {
  vaNull, vaList, vaInt8, vaInt16, vaInt32, vaExtended, vaString, vaIdent, vaFalse, vaTrue, vaBinary,
  vaSet, vaLString, vaNil, vaCollection, vaSingle, vaCurrency, vaDate, vaWString, vaInt64,
  vaUTF8String, vaUString, vaQWord
};
using enum TValueType;

// Flags of a component's header in the stream.
constexpr uint8_t ffInherited = 0x01;
constexpr uint8_t ffChildPos = 0x02;
constexpr uint8_t ffInline = 0x04;

// ---------------------------------------------------------------------------
// Published-property metadata

// An enumeration's identifiers by ordinal ("alNone", "alTop", ...); also the
// element type of a set.
struct TEnumType {
  std::wstring Name;
  std::vector<std::wstring> Names;
};
// False, True.
const TEnumType& BooleanType();

// Integer constants written as identifiers instead of numbers (colours such
// as clWindow, cursors such as crDrag).
struct TIntegerIdents {
  std::vector<std::pair<int32_t, std::wstring>> Idents;
};

enum class TPropKind {
  pkInteger,    // 32-bit signed
  pkInt64,      // 64-bit signed
  pkBoolean,
  pkEnum,       // ordinal of Enum
  pkSet,        // bit i set = Enum->Names[i] included
  pkString,     // 8-bit text in the system code page
  pkWString,    // wide text
  pkObject,     // a persistent the instance owns (a collection, ...), stored as its own properties
  pkComponent,  // a reference to another component, stored by name
  pkMethod      // an event, stored as the name of the root's published method it is bound to
};

class TReader;
class TWriter;

// One published property. Accessors take the instance as the base class;
// the TPublisher helpers below build them from member pointers.
struct TPropInfo {
  std::wstring Name;
  TPropKind Kind = TPropKind::pkInteger;
  const TEnumType* Enum = nullptr;          // pkBoolean, pkEnum, pkSet
  const TIntegerIdents* Idents = nullptr;   // pkInteger, optional
  // Ordinal kinds (pkInteger, pkInt64, pkBoolean, pkEnum, pkSet bits): a
  // value equal to the default is not written. No default: always written.
  std::optional<int64_t> Default;
  // Whether the property is written at all (empty: yes).
  std::function<bool(TPersistent&)> Stored;

  std::function<int64_t(TPersistent&)> GetOrd;
  std::function<void(TPersistent&, int64_t)> SetOrd;
  std::function<std::string(TPersistent&)> GetString;
  std::function<void(TPersistent&, const std::string&)> SetString;
  std::function<std::wstring(TPersistent&)> GetWString;
  std::function<void(TPersistent&, const std::wstring&)> SetWString;
  std::function<TPersistent*(TPersistent&)> GetObject;
  std::function<TComponent*(TPersistent&)> GetComponent;
  std::function<void(TPersistent&, TComponent*)> SetComponent;
  // pkMethod: the name of the published method the event is bound to
  // (empty: unassigned, or assigned to a handler without a name, which is
  // not written); SetMethod binds it (Name empty: unassign) to Handler, a
  // std::any holding the std::function of the event's type, or raises
  // EReadError when the handler is of another type. A nullptr Handler binds
  // the name alone, to a handler that does nothing.
  std::function<std::wstring(TPersistent&)> GetMethodName;
  std::function<void(TPersistent&, const std::wstring& Name, const std::any* Handler)> SetMethod;
};

// The published properties of an instance, in stream order.
class TPropList {
 public:
  // Appends Info, or replaces an earlier property of the same name in place.
  void Add(TPropInfo Info);
  int Count() const { return static_cast<int>(props_.size()); }
  const TPropInfo& operator[](int Index) const { return props_[static_cast<size_t>(Index)]; }
  // Case-insensitive; nullptr when there is none.
  const TPropInfo* Find(const std::wstring& Name) const;
  auto begin() const { return props_.begin(); }
  auto end() const { return props_.end(); }

 private:
  std::vector<TPropInfo> props_;
};

// An event handler bound to a published method by name: what the reader
// stores in an event, and how the writer finds the name again.
template <class Sig>
struct TBoundMethod {
  std::wstring Name;
  std::function<Sig> Handler;
  template <class... A>
  auto operator()(A&&... Args) const {
    return Handler(std::forward<A>(Args)...);
  }
};

// Binds Event to Root's published method Name (as the reader does), so the
// writer stores the name. Raises EReadError when Root has no such method of
// the event's type.
template <class Sig>
void BindMethod(std::function<Sig>& Event, TComponent* Root, const std::wstring& Name);

// Adds the properties of class C to a list. Getters and setters are member
// function pointers, data member pointers or callables taking C&.
template <class C>
class TPublisher {
 public:
  explicit TPublisher(TPropList& List) : list_(List) {}

  template <class G, class S>
  TPublisher& Integer(std::wstring Name, G Get, S Set, std::optional<int32_t> Default = std::nullopt,
                      const TIntegerIdents* Idents = nullptr);
  template <class G, class S>
  TPublisher& Int64(std::wstring Name, G Get, S Set, std::optional<int64_t> Default = std::nullopt);
  template <class G, class S>
  TPublisher& Boolean(std::wstring Name, G Get, S Set, std::optional<bool> Default = std::nullopt);
  // E is the C++ enumeration; its values are the ordinals of Type.
  template <class G, class S>
  TPublisher& Enum(std::wstring Name, const TEnumType& Type, G Get, S Set,
                   std::optional<int64_t> Default = std::nullopt);
  // The getter returns a TSet<E> (or an integer of bits).
  template <class G, class S>
  TPublisher& Set(std::wstring Name, const TEnumType& Type, G Get, S Set,
                  std::optional<uint32_t> Default = std::nullopt);
  template <class G, class S>
  TPublisher& String(std::wstring Name, G Get, S Set);
  template <class G, class S>
  TPublisher& WString(std::wstring Name, G Get, S Set);
  // A persistent owned by the instance; G returns a pointer to it.
  template <class G>
  TPublisher& Object(std::wstring Name, G Get);
  template <class G, class S>
  TPublisher& Component(std::wstring Name, G Get, S Set);
  // An event: a data member pointer to a std::function<Sig>.
  template <class Sig>
  TPublisher& Event(std::wstring Name, std::function<Sig> C::*Field);
  // Sets the stored condition of the property added last.
  TPublisher& StoredIf(std::function<bool(C&)> Stored);

 private:
  TPropInfo& Last();
  TPropList& list_;
};

// ---------------------------------------------------------------------------
// The class registry: how the reader creates the components a stream names.
// (Not RegisterClass: <windows.h> makes that name a macro.)

using TComponentFactory = std::function<TComponent*(TComponent* Owner)>;
// Registers (or replaces) a class under its stream name.
void RegisterComponentClass(const std::wstring& ClassName, TComponentFactory Create);
template <class T>
void RegisterComponentClass(const std::wstring& ClassName) {
  RegisterComponentClass(ClassName, [](TComponent* Owner) -> TComponent* { return new T(Owner); });
}
void UnRegisterComponentClass(const std::wstring& ClassName);
// The factory registered under ClassName (case-insensitive), or nullptr.
const TComponentFactory* GetComponentClass(const std::wstring& ClassName);

// ---------------------------------------------------------------------------
// Filers

// What readers and writers share: the root and the defined properties.
class TFiler : public TObject {
 public:
  using TReaderProc = std::function<void(TReader& Reader)>;
  using TWriterProc = std::function<void(TWriter& Writer)>;
  // A binary property's reader gets a stream over exactly its bytes; its
  // writer writes them into a stream, which frames them with their length.
  using TStreamProc = std::function<void(TStream& Stream)>;

  // A property stored as one value of any type, read and written through
  // the filer. HasData: whether the writer writes it.
  virtual void DefineProperty(const std::wstring& Name, TReaderProc ReadData, TWriterProc WriteData,
                              bool HasData) = 0;
  virtual void DefineBinaryProperty(const std::wstring& Name, TStreamProc ReadData, TStreamProc WriteData,
                                    bool HasData) = 0;
  TComponent* Root() const { return root_; }

 protected:
  explicit TFiler(TStream& Stream) : stream_(Stream) {}
  TStream& stream_;
  TComponent* root_ = nullptr;
};

// Reads the binary form. Every malformed input ends in EReadError (or
// EClassNotFound) with a message that names what was wrong; nothing is
// allocated that the remaining bytes cannot back; components created before
// the error are freed.
class TReader : public TFiler {
 public:
  explicit TReader(TStream& Stream);
  ~TReader() override;

  // Values
  TValueType NextValue();
  TValueType ReadValue();
  void CheckValue(TValueType Value);
  void ReadSignature();
  void ReadListBegin() { CheckValue(vaList); }
  void ReadListEnd() { CheckValue(vaNull); }
  bool EndOfList() { return NextValue() == vaNull; }
  // A component header's flags and child position (ffChildPos; else -1).
  void ReadPrefix(uint8_t& Flags, int32_t& ChildPos);
  // Any integer value (vaInt8 to vaInt64, vaQWord) that fits.
  int32_t ReadInteger();
  int64_t ReadInt64();
  bool ReadBoolean();
  double ReadFloat();
  // Any string value, as wide text (8-bit values decoded from the system
  // code page) or as 8-bit text in the system code page.
  std::wstring ReadWideString();
  std::string ReadString();
  // An identifier value (vaIdent, and vaFalse, vaTrue, vaNil, vaNull by
  // their names).
  std::wstring ReadIdent();
  // A length-prefixed short string (class, component and property names),
  // taken as UTF-8 (plain ASCII in practice).
  std::wstring ReadStr();
  // A vaBinary value: ReadData gets a stream over exactly its bytes, read
  // straight from this reader's stream; what it leaves unread is skipped,
  // and reading beyond the bytes raises EReadError.
  void ReadBinary(const TStreamProc& ReadData);
  // Skips one value of any type.
  void SkipValue();

  // Components. Reads a whole form (signature included) into Root, which
  // takes the stream's component name (its class name is not checked), or,
  // with nullptr, into a root created from the registry by the stream's
  // class name (EClassNotFound "Class X not found"), which the caller owns.
  //
  // The stream's components are created from the registry owned by the
  // root; each is put in the loading state (Loading()) as soon as it exists,
  // then handed the component it was stored inside (SetParentComponent) and
  // named, and then its properties and its own children are read. A child
  // flagged ffInherited is not created but looked up among the root's owned
  // components by name.
  //
  // Component references are resolved when the whole form has been read,
  // by name through the root ("Name", "Owner" for the root, "A.B" for B
  // owned by A, "Root.Name" with the root's own name); a name that resolves
  // to nothing leaves the reference nil. Then every component read gets
  // Loaded(): the root first, then each component after its own children
  // (the order of completion: for Form1 { Panel1 { Button1 } Label1 } that
  // is Form1, Button1, Panel1, Label1).
  //
  // On any error the components this reader created are freed (a root it
  // created too), a root handed in keeps only what it had before, and the
  // loading state of the kept components is cleared again.
  TComponent* ReadRootComponent(TComponent* Root);
  // Reads the properties of Instance and the end of their list.
  void ReadProperties(TPersistent* Instance);
  // Reads a vaCollection value (the tag included) into Collection,
  // replacing its items.
  void ReadCollection(TCollection* Collection);

  // Called for an event bound to a method the root does not publish.
  // Return true to skip the event; by default (unassigned) it is an error.
  std::function<bool(const std::wstring& MethodName)> OnMissingMethod;
  // For a designer, which has no application code at hand: an event bound
  // to a method the root does not publish keeps the method's name (so the
  // form written again names it) with a handler that does nothing. Asked
  // before OnMissingMethod.
  bool KeepMissingMethodNames = false;

  void DefineProperty(const std::wstring& Name, TReaderProc ReadData, TWriterProc WriteData,
                      bool HasData) override;
  void DefineBinaryProperty(const std::wstring& Name, TStreamProc ReadData, TStreamProc WriteData,
                            bool HasData) override;

 private:
  struct State;
  void ReadBytes(void* Buffer, int64_t Count);
  uint8_t ReadByte();
  // A 32-bit count of items of UnitSize bytes, checked against the bytes
  // left in the stream.
  int64_t ReadLength(int64_t UnitSize);
  std::string ReadPayload(int64_t Count);
  std::u16string ReadUtf16(int64_t Count);
  void SkipBytes(int64_t Count);
  void ReadComponent(TComponent* Parent);
  void ReadProperty(TPersistent* Instance, const TPropList& Props);
  void ReadPropValue(TPersistent* Instance, const TPropInfo& Prop);
  void ReadSetValue(TPersistent* Instance, const TPropInfo& Prop);
  void ReadEventValue(TPersistent* Instance, const TPropInfo& Prop);
  void ReadReferenceValue(TPersistent* Instance, const TPropInfo& Prop);
  void FixupReferences();
  void ReadFormInto(TComponent* Root);
  std::unique_ptr<State> state_;
  int peeked_ = -1;  // a byte NextValue looked at, not yet consumed
};

// Writes the binary form.
class TWriter : public TFiler {
 public:
  explicit TWriter(TStream& Stream);
  ~TWriter() override;

  void WriteValue(TValueType Value);
  void WriteSignature();
  void WriteListBegin() { WriteValue(vaList); }
  void WriteListEnd() { WriteValue(vaNull); }
  void WritePrefix(uint8_t Flags, int32_t ChildPos);
  // The smallest of vaInt8, vaInt16, vaInt32 (vaInt64 when needed).
  void WriteInteger(int64_t Value);
  void WriteBoolean(bool Value);
  void WriteFloat(double Value);
  // 8-bit text: vaString up to 255 bytes, else vaLString.
  void WriteString(const std::string& Value);
  // Wide text: vaWString (UTF-16).
  void WriteWideString(const std::wstring& Value);
  // vaIdent; False, True, nil and Null as their own tags.
  void WriteIdent(const std::wstring& Ident);
  // A short string in UTF-8; more than 255 bytes raise EWriteError.
  void WriteStr(const std::wstring& Value);
  // vaBinary with its 32-bit length; more than 2^31 - 1 bytes raise
  // EWriteError. WriteData writes straight into this writer's stream (after
  // a placeholder length, patched afterwards); only an output that cannot
  // seek makes the bytes go through memory first.
  void WriteBinary(const TStreamProc& WriteData);

  // Writes a whole form: the signature, then Root and its children
  // (GetChildren with Root, recursively), each as its header (flags only
  // when not zero, class name, name), its properties and the end of their
  // list, its children and the end of their list. References name
  // components through Root.
  void WriteRootComponent(TComponent* Root);
  // Writes the properties of Instance and the end of their list: the
  // published ones in declaration order (those Stored says no to, ordinals
  // equal to their default, empty strings, nil references and unnamed
  // events left out; an object property that is not a collection as its own
  // properties under dotted names), then the defined ones.
  void WriteProperties(TPersistent* Instance);
  // Writes Collection as a vaCollection value (the tag included).
  void WriteCollection(TCollection* Collection);

  void DefineProperty(const std::wstring& Name, TReaderProc ReadData, TWriterProc WriteData,
                      bool HasData) override;
  void DefineBinaryProperty(const std::wstring& Name, TStreamProc ReadData, TStreamProc WriteData,
                            bool HasData) override;

 private:
  struct State;
  void WriteBytes(const void* Buffer, int64_t Count);
  void WriteLength(int64_t Count);
  void WritePropertyList(TPersistent* Instance);
  void WriteProperty(TPersistent* Instance, const TPropInfo& Prop);
  void WriteComponent(TComponent* Component);
  std::wstring ReferenceName(TComponent* Component) const;
  std::unique_ptr<State> state_;
};

// Writes Root as a whole form ("TPF0" and the component tree) at the
// stream's position.
void WriteComponentToStream(TStream& Stream, TComponent* Root);
// Reads a whole form from the stream's position into Root (see
// TReader::ReadRootComponent).
TComponent* ReadComponentFromStream(TStream& Stream, TComponent* Root);

// Conversion between the binary form (from Input's position) and the text
// form ("object Name: TClass" ... "end"). Malformed input raises EReadError
// (binary) or EParserError (text) naming what and where.
void ObjectBinaryToText(TStream& Input, TStream& Output);
void ObjectTextToBinary(TStream& Input, TStream& Output);

// ---------------------------------------------------------------------------
// Template definitions

namespace filer_detail {

// A handler of any event type that does nothing (and returns a default value).
template <class Sig>
struct DoNothing;
template <class R, class... A>
struct DoNothing<R(A...)> {
  R operator()(A...) const {
    if constexpr (!std::is_void_v<R>) return R{};
  }
};

template <class C, class G>
decltype(auto) Get(G Get, C& Instance) {
  if constexpr (std::is_invocable_v<G, C&>)
    return std::invoke(Get, Instance);
  else
    return std::invoke(Get, static_cast<const C&>(Instance));
}

template <class C, class S, class V>
void Set(S Set, C& Instance, V&& Value) {
  if constexpr (std::is_member_object_pointer_v<S>)
    Instance.*Set = std::forward<V>(Value);
  else
    std::invoke(Set, Instance, std::forward<V>(Value));
}

template <class T>
int64_t ToOrd(const T& Value) {
  if constexpr (std::is_enum_v<T>)
    return static_cast<int64_t>(Value);
  else if constexpr (requires { Value.Bits(); })
    return static_cast<int64_t>(Value.Bits());
  else
    return static_cast<int64_t>(Value);
}

template <class T>
T FromOrd(int64_t Value) {
  if constexpr (std::is_enum_v<T> || std::is_integral_v<T>) {
    return static_cast<T>(Value);
  } else {
    // A TSet<E>: include every set bit.
    T Result;
    for (unsigned i = 0; i < 32; ++i)
      if ((static_cast<uint64_t>(Value) >> i) & 1u) Result.Include(static_cast<typename T::Element>(i));
    return Result;
  }
}

// The value type a getter yields, without reference and const.
template <class C, class G>
using ValueOf = std::remove_cvref_t<decltype(Get(std::declval<G>(), std::declval<C&>()))>;

[[noreturn]] void MethodTypeError(const std::wstring& Name);
[[noreturn]] void MethodNotFound(const std::wstring& Name);

}  // namespace filer_detail

template <class Sig>
void BindMethod(std::function<Sig>& Event, TComponent* Root, const std::wstring& Name) {
  const std::any* Handler = Root ? Root->MethodAddress(Name) : nullptr;
  if (!Handler) filer_detail::MethodNotFound(Name);
  const auto* Function = std::any_cast<std::function<Sig>>(Handler);
  if (!Function) filer_detail::MethodTypeError(Name);
  Event = TBoundMethod<Sig>{Name, *Function};
}

template <class C>
TPropInfo& TPublisher<C>::Last() {
  return const_cast<TPropInfo&>(list_[list_.Count() - 1]);
}

template <class C>
template <class G, class S>
TPublisher<C>& TPublisher<C>::Integer(std::wstring Name, G Get, S Set, std::optional<int32_t> Default,
                                      const TIntegerIdents* Idents) {
  using V = filer_detail::ValueOf<C, G>;
  TPropInfo P;
  P.Name = std::move(Name);
  P.Kind = TPropKind::pkInteger;
  P.Idents = Idents;
  if (Default) P.Default = *Default;
  P.GetOrd = [Get](TPersistent& I) { return filer_detail::ToOrd(filer_detail::Get(Get, static_cast<C&>(I))); };
  P.SetOrd = [Set](TPersistent& I, int64_t V2) {
    filer_detail::Set(Set, static_cast<C&>(I), filer_detail::FromOrd<V>(V2));
  };
  list_.Add(std::move(P));
  return *this;
}

template <class C>
template <class G, class S>
TPublisher<C>& TPublisher<C>::Int64(std::wstring Name, G Get, S Set, std::optional<int64_t> Default) {
  Integer(std::move(Name), Get, Set);
  Last().Kind = TPropKind::pkInt64;
  Last().Default = Default;
  return *this;
}

template <class C>
template <class G, class S>
TPublisher<C>& TPublisher<C>::Boolean(std::wstring Name, G Get, S Set, std::optional<bool> Default) {
  Integer(std::move(Name), Get, Set);
  Last().Kind = TPropKind::pkBoolean;
  Last().Enum = &BooleanType();
  if (Default) Last().Default = *Default ? 1 : 0;
  return *this;
}

template <class C>
template <class G, class S>
TPublisher<C>& TPublisher<C>::Enum(std::wstring Name, const TEnumType& Type, G Get, S Set,
                                   std::optional<int64_t> Default) {
  Integer(std::move(Name), Get, Set);
  Last().Kind = TPropKind::pkEnum;
  Last().Enum = &Type;
  Last().Default = Default;
  return *this;
}

template <class C>
template <class G, class S>
TPublisher<C>& TPublisher<C>::Set(std::wstring Name, const TEnumType& Type, G Get, S Set,
                                  std::optional<uint32_t> Default) {
  Integer(std::move(Name), Get, Set);
  Last().Kind = TPropKind::pkSet;
  Last().Enum = &Type;
  if (Default) Last().Default = *Default;
  return *this;
}

template <class C>
template <class G, class S>
TPublisher<C>& TPublisher<C>::String(std::wstring Name, G Get, S Set) {
  TPropInfo P;
  P.Name = std::move(Name);
  P.Kind = TPropKind::pkString;
  P.GetString = [Get](TPersistent& I) { return std::string(filer_detail::Get(Get, static_cast<C&>(I))); };
  P.SetString = [Set](TPersistent& I, const std::string& V) { filer_detail::Set(Set, static_cast<C&>(I), V); };
  list_.Add(std::move(P));
  return *this;
}

template <class C>
template <class G, class S>
TPublisher<C>& TPublisher<C>::WString(std::wstring Name, G Get, S Set) {
  TPropInfo P;
  P.Name = std::move(Name);
  P.Kind = TPropKind::pkWString;
  P.GetWString = [Get](TPersistent& I) { return std::wstring(filer_detail::Get(Get, static_cast<C&>(I))); };
  P.SetWString = [Set](TPersistent& I, const std::wstring& V) { filer_detail::Set(Set, static_cast<C&>(I), V); };
  list_.Add(std::move(P));
  return *this;
}

template <class C>
template <class G>
TPublisher<C>& TPublisher<C>::Object(std::wstring Name, G Get) {
  TPropInfo P;
  P.Name = std::move(Name);
  P.Kind = TPropKind::pkObject;
  P.GetObject = [Get](TPersistent& I) -> TPersistent* { return filer_detail::Get(Get, static_cast<C&>(I)); };
  list_.Add(std::move(P));
  return *this;
}

template <class C>
template <class G, class S>
TPublisher<C>& TPublisher<C>::Component(std::wstring Name, G Get, S Set) {
  TPropInfo P;
  P.Name = std::move(Name);
  P.Kind = TPropKind::pkComponent;
  P.GetComponent = [Get](TPersistent& I) -> TComponent* { return filer_detail::Get(Get, static_cast<C&>(I)); };
  P.SetComponent = [Set](TPersistent& I, TComponent* V) {
    using V2 = filer_detail::ValueOf<C, G>;
    filer_detail::Set(Set, static_cast<C&>(I), static_cast<V2>(V));
  };
  list_.Add(std::move(P));
  return *this;
}

template <class C>
template <class Sig>
TPublisher<C>& TPublisher<C>::Event(std::wstring Name, std::function<Sig> C::*Field) {
  TPropInfo P;
  P.Name = std::move(Name);
  P.Kind = TPropKind::pkMethod;
  P.GetMethodName = [Field](TPersistent& I) -> std::wstring {
    const auto* Bound = (static_cast<C&>(I).*Field).template target<TBoundMethod<Sig>>();
    return Bound ? Bound->Name : std::wstring();
  };
  P.SetMethod = [Field](TPersistent& I, const std::wstring& MethodName, const std::any* Handler) {
    std::function<Sig>& Event = static_cast<C&>(I).*Field;
    if (MethodName.empty()) {
      Event = nullptr;
      return;
    }
    if (!Handler) {
      // Bound by name only (a designer reading a form): the name is kept.
      Event = TBoundMethod<Sig>{MethodName, filer_detail::DoNothing<Sig>{}};
      return;
    }
    const auto* Function = std::any_cast<std::function<Sig>>(Handler);
    if (!Function) filer_detail::MethodTypeError(MethodName);
    Event = TBoundMethod<Sig>{MethodName, *Function};
  };
  list_.Add(std::move(P));
  return *this;
}

template <class C>
TPublisher<C>& TPublisher<C>::StoredIf(std::function<bool(C&)> Stored) {
  Last().Stored = [Stored = std::move(Stored)](TPersistent& I) { return Stored(static_cast<C&>(I)); };
  return *this;
}

}  // namespace vcl
