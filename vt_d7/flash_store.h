#pragma once
// Vt_flashplayer: the movie store. A TvtFlashList keeps movie files inside
// the form that holds it; every stored movie of the process is also entered
// by name in the registry FlashList, where the drivers look names up.
// Portable: no <windows.h>.

#include <cstdint>
#include <memory>
#include <string>

#include "framework/Classes.h"

namespace vt {

class TvtFlashCollection;
class TvtFlashList;

// The name a stored movie shows while it holds no bytes.
inline constexpr wchar_t kEmptyFlashStore[] = L"(empty)";

// The largest movie the form stream can carry: its size field is 32 bits,
// signed.
inline constexpr int64_t kMaxStoredMovieSize = 0x7FFFFFFF;

// Raises EWriteError naming the movie when Size does not fit the payload's
// size field. Writing calls it before anything is written.
void CheckStoredMovieSize(int64_t Size, const std::wstring& Name);

// One stored movie: a name and the file's bytes. It enters FlashList when
// created and leaves it when destroyed.
class TvtFlashStream : public vcl::TCollectionItem {
 public:
  explicit TvtFlashStream(vcl::TCollection* Collection);
  ~TvtFlashStream() override;

  // The movie's bytes; the drivers read them from position 0 to the end.
  const std::unique_ptr<vcl::TMemoryStream> FStream;
  // The movie's name, kept while the item holds no bytes.
  std::wstring FStoreName = kEmptyFlashStore;

  // "(empty)" while FStream holds no bytes, otherwise FStoreName.
  std::wstring GetFlashStore() const;
  // Renames the item and its FlashList entry; the identical name (compared
  // case-sensitively) changes nothing.
  void SetFlashStore(const std::wstring& Value);

  // From another TvtFlashStream: takes its name and a copy of its bytes.
  // Any other source raises EConvertError.
  void Assign(vcl::TPersistent* Source) override;
  std::wstring GetDisplayName() const override { return GetFlashStore(); }

  // The binary property "FlashStream": a tag byte, then (tag 4) the name as
  // a 32-bit count of UTF-16 code units and the units, then a 32-bit byte
  // count and the bytes; tag 0 alone for an item without bytes. Integers
  // are little-endian. ReadData also accepts tag 2 (the name as 8-bit text
  // in the system code page) and ignores any other tag. Every length is
  // checked against the bytes left before anything is allocated; a short
  // or malformed payload raises EReadError and leaves the item as it was.
  void ReadData(vcl::TStream& Stream);
  // Raises EWriteError (writing nothing) for a movie above
  // kMaxStoredMovieSize bytes.
  void WriteData(vcl::TStream& Stream) const;

  // Published FlashStore (no default: always written); defined binary
  // property "FlashStream" (always written).
  void GetPublishedProperties(vcl::TPropList& List) override;
  void DefineProperties(vcl::TFiler& Filer) override;
  std::wstring ClassName() const override { return L"TvtFlashStream"; }
};

// The movies of one TvtFlashList.
class TvtFlashCollection : public vcl::TCollection {
 public:
  explicit TvtFlashCollection(TvtFlashList* Owner);

  TvtFlashStream* Add() { return static_cast<TvtFlashStream*>(vcl::TCollection::Add()); }
  TvtFlashStream* GetItem(int Index) const {
    return static_cast<TvtFlashStream*>(vcl::TCollection::Items(Index));
  }
  // Assigns Value to the item at Index.
  void SetItem(int Index, TvtFlashStream* Value) { GetItem(Index)->Assign(Value); }
  TvtFlashStream* Items(int Index) const { return GetItem(Index); }

  vcl::TPersistent* GetOwner() const override;
  std::wstring ClassName() const override { return L"TvtFlashCollection"; }

 private:
  TvtFlashList* owner_;
};

// A component that stores movies in its form.
class TvtFlashList : public vcl::TComponent {
 public:
  explicit TvtFlashList(vcl::TComponent* AOwner);

  TvtFlashCollection* Flashs() const { return FFlashs.get(); }
  // Replaces the stored movies by copies of Value's; the list keeps its own
  // collection.
  void SetFlashs(TvtFlashCollection* Value) { FFlashs->Assign(Value); }

  // The first item of this list, in index order, whose FlashStore equals
  // Name case-insensitively; nullptr when none does. FlashList is not
  // consulted.
  TvtFlashStream* FindFlash(const std::wstring& Name) const;

  void GetPublishedProperties(vcl::TPropList& List) override;
  std::wstring ClassName() const override { return L"TvtFlashList"; }

 private:
  std::unique_ptr<TvtFlashCollection> FFlashs;
};

// The process-wide registry of stored movies: one entry per TvtFlashStream,
// in creation order, named by its FlashStore value, with the item as the
// entry's object. Not sorted; case-insensitive. nullptr while no stored
// movie exists. Used on the user-interface thread only.
vcl::TStringList* FlashList();

// Registers TvtFlashList with the form reader. Safe to call again.
void RegisterFlashStoreClasses();

}  // namespace vt
