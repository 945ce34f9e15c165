#pragma once
// Persistent objects, components with owners, streams and string lists.

#include <any>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "SysUtils.h"
#include "Types.h"

#ifdef _WIN32
// The module handle type, declared as <windows.h> does, so this header needs
// no <windows.h>.
struct HINSTANCE__;
#endif

namespace vcl {

class TFiler;
class TPropList;
class TComponent;

class TObject {
 public:
  TObject() = default;
  TObject(const TObject&) = delete;
  TObject& operator=(const TObject&) = delete;
  virtual ~TObject() = default;
  // Class name as the form stream and the designer know it.
  virtual std::wstring ClassName() const { return L"TObject"; }
};

using TNotifyEvent = std::function<void(TObject* Sender)>;

class TPersistent : public TObject {
 public:
  // Copies Source into this object. The base knows no pair of classes and
  // raises EConvertError ("Cannot assign a X to a Y").
  virtual void Assign(TPersistent* Source);
  std::wstring ClassName() const override { return L"TPersistent"; }

  // The published properties in declaration order, inherited ones first. A
  // class adds its own after calling its base; publishing a name again
  // replaces the inherited entry in place (TPropList::Add).
  virtual void GetPublishedProperties(TPropList& List);
  // Properties stored in the form stream beside the published ones, each
  // with its own reader and writer (TFiler::DefineProperty and
  // DefineBinaryProperty).
  virtual void DefineProperties(TFiler& Filer);
  // The object this one belongs to (the designer names it by this).
  virtual TPersistent* GetOwner() const { return nullptr; }

 protected:
  virtual void AssignTo(TPersistent* Dest);
  [[noreturn]] void AssignError(TPersistent* Source);
};

enum class TComponentStateFlag { csLoading, csReading, csWriting, csDestroying, csDesigning };
using TComponentState = TSet<TComponentStateFlag>;
using enum TComponentStateFlag;

enum class TOperation { opInsert, opRemove };

// A component is owned by its owner, which frees it when it is freed itself.
// A component without owner belongs to whoever created it.
class TComponent : public TPersistent {
 public:
  explicit TComponent(TComponent* AOwner);
  ~TComponent() override;

  TComponent* Owner() const { return owner_; }
  int ComponentCount() const { return static_cast<int>(components_.size()); }
  TComponent* Components(int Index) const;
  TComponent* FindComponent(const std::wstring& AName) const;

  const std::wstring& Name() const { return name_; }
  virtual void SetName(const std::wstring& NewName);

  TComponentState ComponentState() const { return state_; }
  bool IsLoading() const { return state_.Contains(csLoading); }
  bool IsDesigning() const { return state_.Contains(csDesigning); }
  bool IsDestroying() const { return state_.Contains(csDestroying); }

  // The form reader marks a component with Loading() before it applies the
  // stored properties and calls Loaded() afterwards. Public so that the
  // reader and tests can drive the loading state.
  virtual void Loading();
  virtual void Loaded();
  // Puts the component (and, by default, everything it owns) into the
  // designer or takes it out again.
  void SetDesigning(bool Value, bool SetChildren = true);

  // A component inserted into a designing owner is put into the designer.
  void InsertComponent(TComponent* AComponent);
  void RemoveComponent(TComponent* AComponent);
  // Tells the owned components that AComponent is being inserted or removed.
  virtual void Notification(TComponent* AComponent, TOperation Operation);

  // Form streaming. A component written into a form lists its children
  // (GetChildren: the components stored inside it, in stream order); a
  // component whose place in the tree is given by a parent rather than by
  // its owner says so with HasParent and names that parent. The base lists,
  // for the root only, the owned components that have no parent.
  using TGetChildProc = std::function<void(TComponent* Child)>;
  virtual void GetChildren(const TGetChildProc& Proc, TComponent* Root);
  virtual bool HasParent() const { return false; }
  virtual TComponent* GetParentComponent() const { return nullptr; }
  // The reader hands a child the component it was stored inside.
  virtual void SetParentComponent(TComponent* /*Value*/) {}
  TPersistent* GetOwner() const override { return owner_; }

  // An application value; published, default 0.
  int32_t Tag() const { return tag_; }
  void SetTag(int32_t Value) { tag_ = Value; }
  // The designer's position of a non-visual component: left in the low 16
  // bits, top in the high 16 bits; stored as the defined properties "Left"
  // and "Top" when not 0.
  int32_t DesignInfo() const { return designInfo_; }
  void SetDesignInfo(int32_t Value) { designInfo_ = Value; }

  // Handlers that event properties of a form stream bind to by name: a root
  // component publishes its methods here, each as a std::function of its
  // event type (a TNotifyEvent for OnClick, ...). Publishing a name again
  // replaces the handler.
  void PublishMethod(const std::wstring& Name, std::any Handler);
  // The published handler of that name (case-insensitive), or nullptr.
  const std::any* MethodAddress(const std::wstring& Name) const;

  void GetPublishedProperties(TPropList& List) override;
  void DefineProperties(TFiler& Filer) override;
  std::wstring ClassName() const override { return L"TComponent"; }

 protected:
  // Marks this component as being destroyed (and its owned components).
  void Destroying();

 private:
  // The form reader and writer keep csReading and csWriting, and clear the
  // loading state of a form whose reading failed.
  friend class TReader;
  friend class TWriter;
  TComponent* owner_ = nullptr;
  std::vector<TComponent*> components_;
  std::wstring name_;
  TComponentState state_;
  int32_t tag_ = 0;
  int32_t designInfo_ = 0;
  std::vector<std::pair<std::wstring, std::any>> methods_;
};

// ---------------------------------------------------------------------------
// Collections

class TCollection;

// An item of a collection. It joins the collection given to its
// constructor and leaves it when destroyed; the collection owns it.
class TCollectionItem : public TPersistent {
 public:
  explicit TCollectionItem(TCollection* Collection);
  ~TCollectionItem() override;

  TCollection* Collection() const { return collection_; }
  // Moves the item to another collection (nullptr: to none; the caller then
  // owns it).
  void SetCollection(TCollection* Value);
  int Index() const;
  void SetIndex(int Value);
  // A number unique within the collection, given when the item joined.
  int ID() const { return id_; }
  // What the designer shows for the item; the base gives the class name.
  virtual std::wstring GetDisplayName() const { return ClassName(); }
  TPersistent* GetOwner() const override;
  std::wstring ClassName() const override { return L"TCollectionItem"; }

 private:
  friend class TCollection;
  TCollection* collection_ = nullptr;
  int id_ = 0;
};

// An ordered, owning list of items of one item class. Indexes out of range
// raise EListError ("List index out of bounds (N)").
class TCollection : public TPersistent {
 public:
  // Creates one item of the collection's item class inside Collection.
  using TItemClass = std::function<TCollectionItem*(TCollection* Collection)>;
  explicit TCollection(TItemClass ItemClass);
  ~TCollection() override;

  int Count() const { return static_cast<int>(items_.size()); }
  TCollectionItem* Items(int Index) const;
  void SetItems(int Index, TCollectionItem* Value) { Items(Index)->Assign(Value); }
  TCollectionItem* Add();
  TCollectionItem* Insert(int Index);
  void Delete(int Index);
  void Clear();
  TCollectionItem* FindItemID(int ID) const;
  void BeginUpdate() { ++updateCount_; }
  void EndUpdate();
  // Replaces the items by as many new ones, each assigned from Source's.
  void Assign(TPersistent* Source) override;
  std::wstring ClassName() const override { return L"TCollection"; }

 protected:
  // Called after an item (nullptr: the whole collection) changed, unless
  // inside BeginUpdate/EndUpdate.
  virtual void Update(TCollectionItem* /*Item*/) {}
  void Changed();

 private:
  friend class TCollectionItem;
  void InsertItem(TCollectionItem* Item);
  void RemoveItem(TCollectionItem* Item);
  void MoveItem(int From, int To);

  TItemClass itemClass_;
  std::vector<TCollectionItem*> items_;
  int nextId_ = 0;
  int updateCount_ = 0;
};

// ---------------------------------------------------------------------------
// Streams

enum class TSeekOrigin { soBeginning, soCurrent, soEnd };
using enum TSeekOrigin;

// A sequence of bytes with a position. Streams are not copyable; the one
// that opens a resource (file, module resource) closes it when destroyed.
// Negative counts read or write nothing; positions are never negative.
class TStream : public TObject {
 public:
  // Reads up to Count bytes into Buffer; returns how many were read (0 at
  // the end of the stream or when Count <= 0).
  virtual int64_t Read(void* Buffer, int64_t Count) = 0;
  // Writes up to Count bytes; returns how many were written.
  virtual int64_t Write(const void* Buffer, int64_t Count) = 0;
  // Moves the position and returns the new one. A position before the
  // start or beyond the range of int64_t raises EStreamError.
  virtual int64_t Seek(int64_t Offset, TSeekOrigin Origin) = 0;

  int64_t Position() { return Seek(0, soCurrent); }
  void SetPosition(int64_t Pos) { Seek(Pos, soBeginning); }
  // The size; the base finds it by seeking to the end and back.
  virtual int64_t Size();
  // Changes the size. The base raises EStreamError (a stream of fixed size).
  virtual void SetSize(int64_t NewSize);

  // Read or write exactly Count bytes, or raise EReadError ("Stream read
  // error") / EWriteError ("Stream write error").
  void ReadBuffer(void* Buffer, int64_t Count);
  void WriteBuffer(const void* Buffer, int64_t Count);
  // Copies Count bytes from Source's position into this stream; Count 0
  // copies the rest of Source. Returns the number of bytes copied. A negative
  // Count or a short source raises EReadError.
  int64_t CopyFrom(TStream& Source, int64_t Count);

  std::wstring ClassName() const override { return L"TStream"; }
};

// A stream over a block of memory that it reads from; the owner of the
// memory is the derived class.
class TCustomMemoryStream : public TStream {
 public:
  int64_t Read(void* Buffer, int64_t Count) override;
  int64_t Seek(int64_t Offset, TSeekOrigin Origin) override;
  int64_t Size() override { return size_; }
  const void* Memory() const { return memory_; }
  // Writes the whole content (not just from the position) to Stream.
  void SaveToStream(TStream& Stream) const;

  std::wstring ClassName() const override { return L"TCustomMemoryStream"; }

 protected:
  void SetPointer(void* Memory, int64_t Size);
  int64_t position_ = 0;

 private:
  void* memory_ = nullptr;
  int64_t size_ = 0;
};

// A growable stream in memory. Writing beyond the end grows it; bytes
// between the old end and a write or a larger SetSize are zero. The memory
// grows in place where the allocator can extend it, and bytes about to be
// written are never zeroed first, so a large write costs one copy.
class TMemoryStream : public TCustomMemoryStream {
 public:
  TMemoryStream() = default;
  int64_t Write(const void* Buffer, int64_t Count) override;
  // Shrinking keeps the first NewSize bytes and moves the position back to
  // the end when it was beyond it. Running out of memory raises EOutOfMemory.
  void SetSize(int64_t NewSize) override;
  void* Memory() { return buffer_.get(); }
  const void* Memory() const { return buffer_.get(); }
  // Empties the stream and frees its memory.
  void Clear();
  // Replaces the content with all of Stream (from its start); the position
  // ends at 0.
  void LoadFromStream(TStream& Stream);
  // Replaces the content with the next Count bytes of Source, read straight
  // into this stream's memory; the position ends at 0. A source with fewer
  // bytes raises EReadError and leaves this stream empty.
  void LoadFromStream(TStream& Source, int64_t Count);

  std::wstring ClassName() const override { return L"TMemoryStream"; }

 private:
  struct FreeMemory {
    void operator()(void* Memory) const;
  };
  // Makes room for Capacity bytes; the bytes beyond the size are undefined.
  void Reserve(int64_t Capacity);
  std::unique_ptr<uint8_t, FreeMemory> buffer_;
  int64_t capacity_ = 0;  // the size is the base's
};

#ifdef _WIN32
// File open modes: one access mode or'ed with one share mode, or fmCreate
// (create or truncate, read and write) with an optional share mode.
constexpr uint16_t fmCreate = 0xFF00;
constexpr uint16_t fmOpenRead = 0x0000;
constexpr uint16_t fmOpenWrite = 0x0001;
constexpr uint16_t fmOpenReadWrite = 0x0002;
constexpr uint16_t fmShareCompat = 0x0000;  // as exclusive
constexpr uint16_t fmShareExclusive = 0x0010;
constexpr uint16_t fmShareDenyWrite = 0x0020;
constexpr uint16_t fmShareDenyRead = 0x0030;
constexpr uint16_t fmShareDenyNone = 0x0040;

// A stream over a file. Failing to create or open it raises EFCreateError
// or EFOpenError with the file name and the system's message; failing
// reads and writes raise EReadError / EWriteError with the system's message.
class TFileStream : public TStream {
 public:
  TFileStream(const std::wstring& FileName, uint16_t Mode);
  ~TFileStream() override;
  int64_t Read(void* Buffer, int64_t Count) override;
  int64_t Write(const void* Buffer, int64_t Count) override;
  int64_t Seek(int64_t Offset, TSeekOrigin Origin) override;
  int64_t Size() override;
  // Truncates or extends the file; the position stays unless it was beyond
  // the new end.
  void SetSize(int64_t NewSize) override;
  const std::wstring& FileName() const { return fileName_; }
  // The Win32 file handle (a HANDLE).
  void* Handle() const { return handle_; }

  std::wstring ClassName() const override { return L"TFileStream"; }

 private:
  std::wstring fileName_;
  void* handle_;
};

// A read-only stream over a resource of a module (nullptr: the program).
// A missing resource raises EResNotFound ("Resource X not found"); writing
// raises EStreamError. ResType is a name or an integer type such as
// RT_RCDATA.
class TResourceStream : public TCustomMemoryStream {
 public:
  TResourceStream(HINSTANCE__* Instance, const std::wstring& ResName, const wchar_t* ResType);
  TResourceStream(HINSTANCE__* Instance, const std::wstring& ResName, const std::wstring& ResType)
      : TResourceStream(Instance, ResName, ResType.c_str()) {}
  TResourceStream(HINSTANCE__* Instance, int ResId, const wchar_t* ResType);
  int64_t Write(const void* Buffer, int64_t Count) override;
  void SetSize(int64_t NewSize) override;

  std::wstring ClassName() const override { return L"TResourceStream"; }

 private:
  void Initialize(HINSTANCE__* Instance, const wchar_t* Name, const std::wstring& DisplayName,
                  const wchar_t* ResType);
};
#endif

// ---------------------------------------------------------------------------
// String list

enum class TDuplicates { dupIgnore, dupAccept, dupError };
using enum TDuplicates;

// A list of wide strings, each with an optional object. The objects are not
// owned unless OwnsObjects is set, in which case Delete, Clear, replacing an
// object and the destructor free them. Comparisons are ordinal and, unless
// CaseSensitive is set, case-insensitive (SameText). A sorted list keeps its
// order on Add and finds strings by binary search.
// Indexes out of range raise EStringListError("List index out of bounds (N)").
class TStringList : public TPersistent {
 public:
  TStringList() = default;
  explicit TStringList(bool OwnsObjects) : ownsObjects_(OwnsObjects) {}
  ~TStringList() override;

  int Count() const { return static_cast<int>(items_.size()); }
  const std::wstring& Strings(int Index) const;
  // Not allowed on a sorted list (EStringListError).
  void SetStrings(int Index, const std::wstring& S);
  TObject* Objects(int Index) const;
  void SetObjects(int Index, TObject* AObject);

  // Adds S (in order when sorted) and returns its index. A sorted list
  // applies Duplicates: dupIgnore returns the existing index, dupError
  // raises EStringListError.
  int Add(const std::wstring& S);
  int AddObject(const std::wstring& S, TObject* AObject);
  // Not allowed on a sorted list (EStringListError). Index may be Count.
  void Insert(int Index, const std::wstring& S);
  void InsertObject(int Index, const std::wstring& S, TObject* AObject);
  void Delete(int Index);
  void Clear();
  // Not allowed on a sorted list (EStringListError).
  void Exchange(int Index1, int Index2);

  int IndexOf(const std::wstring& S) const;
  int IndexOfObject(const TObject* AObject) const;
  // Looks S up; returns whether it is there and sets Index to the first
  // match or to where S would be inserted. Binary search on a sorted list;
  // on an unsorted list a linear search (Index = Count when missing).
  bool Find(const std::wstring& S, int& Index) const;
  // Sorts the list (stable; the order of equal strings is kept).
  void Sort();

  bool Sorted() const { return sorted_; }
  void SetSorted(bool Value);
  bool CaseSensitive() const { return caseSensitive_; }
  // Changing the case sensitivity of a sorted list sorts it again.
  void SetCaseSensitive(bool Value);
  TDuplicates Duplicates() const { return duplicates_; }
  void SetDuplicates(TDuplicates Value) { duplicates_ = Value; }
  bool OwnsObjects() const { return ownsObjects_; }
  void SetOwnsObjects(bool Value) { ownsObjects_ = Value; }

  // Every string followed by CRLF. SetText splits at CRLF, CR or LF; a last
  // line without line break counts as a line.
  std::wstring Text() const;
  void SetText(const std::wstring& Value);

  // Copies the strings and object pointers of another TStringList. The
  // objects stay Source's: a list that owns its objects takes the strings
  // only, so no object is ever freed twice.
  void Assign(TPersistent* Source) override;
  std::wstring ClassName() const override { return L"TStringList"; }

  // Compares two strings the way this list does (-1, 0, 1).
  int CompareStrings(const std::wstring& A, const std::wstring& B) const;

 private:
  struct Item {
    std::wstring string;
    TObject* object = nullptr;
  };
  [[noreturn]] static void IndexError(int Index);
  [[noreturn]] static void SortedError();
  void CheckIndex(int Index) const;
  void InsertItem(int Index, const std::wstring& S, TObject* AObject);

  std::vector<Item> items_;
  bool sorted_ = false;
  bool caseSensitive_ = false;
  bool ownsObjects_ = false;
  TDuplicates duplicates_ = dupIgnore;
};

}  // namespace vcl
