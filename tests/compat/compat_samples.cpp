// The sample forms cppform writes.

#include "compat_samples.h"

#include <cstdio>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>

#include "compat_components.h"
#include "framework/Filer.h"

namespace compat {

namespace {

// Wide text from UTF-8 source text (non-BMP characters included).
std::wstring W(const char* Utf8) { return vcl::Utf8ToWide(Utf8); }

std::unique_ptr<TCompatForm> NewForm() {
  auto form = std::make_unique<TCompatForm>(nullptr);
  form->SetName(L"Form1");
  return form;
}

TCompatKinds* NewKinds(TCompatForm& Form, const std::wstring& Name, vcl::TComponent* Parent) {
  auto* kinds = new TCompatKinds(&Form);
  kinds->SetName(Name);
  kinds->SetParent(Parent);
  return kinds;
}

TvtFlashPlayerComp* NewPlayer(TCompatForm& Form, const std::wstring& Name) {
  auto* player = new TvtFlashPlayerComp(&Form);
  player->SetName(Name);
  return player;
}

TLoggedFlashList* NewList(TCompatForm& Form, const std::wstring& Name) {
  auto* list = new TLoggedFlashList(&Form);
  list->SetName(Name);
  return list;
}

void AddItem(TCompatKinds& Kinds, int32_t Value, const std::wstring& Text) {
  TCompatItem* item = Kinds.Items.Add();
  item->Value = Value;
  item->Text = Text;
}

void AddMovie(vt::TvtFlashList& List, const std::wstring& Name, const std::vector<uint8_t>& Bytes) {
  vt::TvtFlashStream* item = List.Flashs()->Add();
  item->SetFlashStore(Name);
  SetMovieData(*item, Bytes);
}

// Every value kind: boundary integers, long and non-ASCII strings,
// collections, references, events and binary data.
std::vector<uint8_t> Kinds() {
  auto form = NewForm();
  TCompatKinds* k1 = NewKinds(*form, L"Kinds1", form.get());
  TCompatKinds* k2 = NewKinds(*form, L"Kinds2", nullptr);
  TvtFlashPlayerComp* player = NewPlayer(*form, L"Player1");

  k1->Small = -129;
  k1->Big = 32768;
  k1->Huge = -5000000000;
  k1->Mode = TCompatMode::cmAuto;
  k1->Flags = {TCompatFlag::cfB, TCompatFlag::cfC};
  k1->Enabled = false;
  std::string caption = "It's a long caption:\t";
  for (int i = 1; i <= 30; ++i) {
    char word[16];
    std::snprintf(word, sizeof word, " word%02d", i);
    caption += word;
  }
  k1->Caption = caption + " " + std::string(100, 'x');
  // Latin-1, CJK and characters outside the BMP.
  k1->Title = W("Gr\u00fc\u00dfe, \u65e5\u672c \U0001F600");
  k1->UTitle = W("Unicode \u0416\u00e9 \U0001D11E end");
  AddItem(*k1, -129, L"minus 129");
  AddItem(*k1, -128, L"");
  AddItem(*k1, 127, L"a'b");
  AddItem(*k1, 128, W("\u00e9t\u00e9"));
  AddItem(*k1, 32767, L"");
  AddItem(*k1, 32768, L"x");
  AddItem(*k1, -32769, L"y");
  AddItem(*k1, 0, L"zero");
  k1->SetPartner(player);
  vcl::BindMethod(k1->OnChange, form.get(), L"KindsChange");
  k1->Data.resize(300);
  for (size_t i = 0; i < k1->Data.size(); ++i) k1->Data[i] = static_cast<uint8_t>(i * 7 + 3);

  // Kinds2 keeps its defaults: only the always-stored properties and the
  // empty collection are written.
  k2->Big = 0;

  player->Movie = L"a.swf";
  player->Volume = 127;
  player->Width = 128;
  player->Height = -32769;
  return FormBytes(form.get());
}

std::vector<uint8_t> Store() {
  auto form = NewForm();
  TLoggedFlashList* l1 = NewList(*form, L"FlashList1");
  TLoggedFlashList* l2 = NewList(*form, L"FlashList2");
  // A name without data is lost: the item writes "(empty)" and tag 0.
  AddMovie(*l1, L"forgotten.swf", {});
  AddMovie(*l1, L"intro.swf", {0x46, 0x57, 0x53});
  AddMovie(*l1, W("\u00dcberblick-\u6620\u753b.swf"), {1, 2, 3, 4, 5});
  AddMovie(*l1, L"same.swf", {0xAA});
  AddMovie(*l1, L"same.swf", {0xBB});
  std::vector<uint8_t> movie(70);
  movie[0] = 'F';
  movie[1] = 'W';
  movie[2] = 'S';
  for (size_t i = 3; i < movie.size(); ++i) movie[i] = static_cast<uint8_t>(i * 13);
  AddMovie(*l2, L"big.swf", movie);
  AddMovie(*l2, L"", {});
  return FormBytes(form.get());
}

std::vector<uint8_t> Player() {
  auto form = NewForm();
  NewPlayer(*form, L"Player1");
  TvtFlashPlayerComp* p2 = NewPlayer(*form, L"Player2");
  p2->Plugin = TvtPlugin::vtActiveX;
  p2->Movie = W("clip_\u00fc.swf");
  p2->Skin = "ClearOverAll";
  p2->Pause = true;
  p2->Volume = 50;
  p2->Width = 640;
  p2->Height = 480;
  vcl::BindMethod(p2->OnPaint, form.get(), L"PlayerPaint");
  vcl::BindMethod(p2->OnFSCommand, form.get(), L"PlayerFSCommand");
  vcl::BindMethod(p2->OnFlashCall, form.get(), L"PlayerFlashCall");
  return FormBytes(form.get());
}

std::vector<uint8_t> Nested() {
  auto form = NewForm();
  // Created out of stream order on purpose: the stream follows the parents'
  // child lists, then the components without parent.
  TLoggedFlashList* list = NewList(*form, L"FlashList1");
  list->SetDesignInfo((300 << 16) | 24);

  auto* outer = new TCompatPanel(form.get());
  outer->SetName(L"Outer");
  outer->Caption = L"Outer panel";
  outer->SetParent(form.get());
  TCompatKinds* k1 = NewKinds(*form, L"Kinds1", outer);
  k1->Big = 1;
  auto* inner = new TCompatPanel(form.get());
  inner->SetName(L"Inner");
  inner->Caption = W("Inner \u00e9");
  inner->SetParent(outer);
  TCompatKinds* k2 = NewKinds(*form, L"Kinds2", inner);
  k2->Big = 2;
  k2->SetPartner(k1);
  TCompatKinds* k3 = NewKinds(*form, L"Kinds3", form.get());
  k3->Big = 3;
  k3->SetPartner(inner);
  return FormBytes(form.get());
}

// Payloads our writer never produces, from a text form: an item with tag 2
// (8-bit name) and an item with an unknown tag, which keeps the item empty.
constexpr const char* kLegacyText =
    "object Form1: TCompatForm\n"
    "  object FlashList1: TvtFlashList\n"
    "    Flashs = <\n"
    "      item\n"
    "        FlashStore = 'old.swf'\n"
    "        FlashStream = {\n"
    "          02070000006F6C642E73776602000000AABB\n"
    "        }\n"
    "      end\n"
    "      item\n"
    "        FlashStore = 'odd.swf'\n"
    "        FlashStream = {\n"
    "          0709000000\n"
    "        }\n"
    "      end>\n"
    "  end\n"
    "end\n";
// A name length that runs past the end of the payload: reading must fail.
constexpr const char* kTruncatedText =
    "object Form1: TCompatForm\n"
    "  object FlashList1: TvtFlashList\n"
    "    Flashs = <\n"
    "      item\n"
    "        FlashStore = 'cut.swf'\n"
    "        FlashStream = {\n"
    "          04FFFFFF7F6300\n"
    "        }\n"
    "      end>\n"
    "  end\n"
    "end\n";

std::vector<uint8_t> FromText(const std::string& Text) {
  vcl::TMemoryStream input, output;
  input.WriteBuffer(Text.data(), static_cast<int64_t>(Text.size()));
  input.SetPosition(0);
  vcl::ObjectTextToBinary(input, output);
  const auto* bytes = static_cast<const uint8_t*>(output.Memory());
  return std::vector<uint8_t>(bytes, bytes + output.Size());
}

}  // namespace

std::vector<uint8_t> FormBytes(vcl::TComponent* Root) {
  vcl::TMemoryStream stream;
  vcl::WriteComponentToStream(stream, Root);
  const auto* bytes = static_cast<const uint8_t*>(stream.Memory());
  return std::vector<uint8_t>(bytes, bytes + stream.Size());
}

void WriteFile(const std::filesystem::path& File, const std::vector<uint8_t>& Bytes) {
  std::ofstream out(File, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(Bytes.data()), static_cast<std::streamsize>(Bytes.size()));
  if (!out.flush()) throw vcl::EWriteError(L"Cannot write " + File.wstring());
}

std::vector<uint8_t> ReadFile(const std::filesystem::path& File) {
  std::ifstream in(File, std::ios::binary);
  if (!in) throw vcl::EReadError(L"Cannot open " + File.wstring());
  std::vector<uint8_t> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  if (in.bad()) throw vcl::EReadError(L"Cannot read " + File.wstring());
  return bytes;
}

void WriteSamples(const std::filesystem::path& Dir) {
  std::filesystem::create_directories(Dir);
  WriteFile(Dir / "kinds.frm", Kinds());
  WriteFile(Dir / "store.frm", Store());
  WriteFile(Dir / "player.frm", Player());
  WriteFile(Dir / "nested.frm", Nested());
  WriteFile(Dir / "legacy.frm", FromText(kLegacyText));
  WriteFile(Dir / "truncated.bad", FromText(kTruncatedText));
}

}  // namespace compat
