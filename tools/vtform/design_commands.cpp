#include "tools/vtform/design_commands.h"

#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <cwctype>
#include <optional>
#include <string>

#include "framework/Dialogs.h"
#include "tools/common/png_file.h"
#include "tools/vtform/designed_form.h"
#include "tools/vtform/files.h"
#include "vt_d7/Vt_flashreg.h"
#include "vt_d7/Vt_layer.h"
#include "vt_d7/flash_store.h"

namespace vtform {

namespace {

using vcl::WideToUtf8;

// The designer vtform stands for: it counts the changes the editors report.
class CommandDesigner : public vcl::IDesigner {
 public:
  explicit CommandDesigner(vcl::TComponent* Root) : root_(Root) {}
  void Modified() override { ++modified; }
  vcl::TComponent* Root() const override { return root_; }
  int modified = 0;

 private:
  vcl::TComponent* root_;
};

// While it lives, the editors' message boxes are collected and their
// file-open dialogs answered with a given file (or cancelled).
class EditorAnswers {
 public:
  explicit EditorAnswers(std::optional<std::wstring> File) : file_(std::move(File)) {
    oldMessage_ = vcl::SetShowMessageHandler([this](const std::wstring& M) { messages.push_back(M); });
    oldDialog_ = vcl::SetOpenDialogHandler([this](vcl::TOpenDialog& D) {
      if (!file_) return false;
      D.SetFileName(*file_);
      return true;
    });
  }
  ~EditorAnswers() {
    vcl::SetShowMessageHandler(std::move(oldMessage_));
    vcl::SetOpenDialogHandler(std::move(oldDialog_));
  }
  EditorAnswers(const EditorAnswers&) = delete;
  EditorAnswers& operator=(const EditorAnswers&) = delete;
  // Raises the first message shown as the command's error.
  void Check() const {
    if (!messages.empty()) throw FileError{WideToUtf8(messages.front())};
  }
  std::vector<std::wstring> messages;

 private:
  std::optional<std::wstring> file_;
  vcl::TShowMessageHandler oldMessage_;
  vcl::TOpenDialogHandler oldDialog_;
};

// ---- the palette ----

struct PaletteBitmap {
  int width = 0, height = 0, bits = 0;
};

std::optional<PaletteBitmap> FindPaletteBitmap(const std::wstring& Name) {
  HRSRC found = FindResourceW(vt::PaletteModule(), Name.c_str(), MAKEINTRESOURCEW(2) /* RT_BITMAP */);
  if (!found || SizeofResource(vt::PaletteModule(), found) < sizeof(BITMAPINFOHEADER)) return std::nullopt;
  const auto* header = static_cast<const BITMAPINFOHEADER*>(LockResource(LoadResource(vt::PaletteModule(), found)));
  if (!header) return std::nullopt;
  return PaletteBitmap{header->biWidth, std::abs(header->biHeight), header->biBitCount};
}

// The bitmap as the palette shows it: the bottom-left pixel's colour is
// transparent.
void WritePaletteBitmap(const std::wstring& Name, const std::filesystem::path& File) {
  HBITMAP bitmap = static_cast<HBITMAP>(
      LoadImageW(vt::PaletteModule(), Name.c_str(), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
  if (!bitmap) throw FileError{WideToUtf8(Name) + ": no such bitmap"};
  BITMAP info{};
  GetObjectW(bitmap, sizeof info, &info);
  BITMAPINFO format{};
  format.bmiHeader.biSize = sizeof format.bmiHeader;
  format.bmiHeader.biWidth = info.bmWidth;
  format.bmiHeader.biHeight = -info.bmHeight;  // top-down
  format.bmiHeader.biPlanes = 1;
  format.bmiHeader.biBitCount = 32;
  format.bmiHeader.biCompression = BI_RGB;
  std::vector<uint32_t> pixels(static_cast<size_t>(info.bmWidth) * static_cast<size_t>(info.bmHeight));
  HDC screen = GetDC(nullptr);
  const int rows = GetDIBits(screen, bitmap, 0, static_cast<UINT>(info.bmHeight), pixels.data(), &format, DIB_RGB_COLORS);
  ReleaseDC(nullptr, screen);
  DeleteObject(bitmap);
  if (rows != info.bmHeight || pixels.empty()) throw FileError{WideToUtf8(Name) + ": cannot read the bitmap"};
  const uint32_t transparent = pixels[pixels.size() - static_cast<size_t>(info.bmWidth)] & 0xFFFFFF;
  for (uint32_t& p : pixels) p = (p & 0xFFFFFF) == transparent ? 0 : p | 0xFF000000;
  vttools::WritePngFile(File.wstring(), pixels.data(), info.bmWidth, info.bmHeight);
}

void ListPalette(const std::optional<std::filesystem::path>& OutDir, std::ostream& Out) {
  if (OutDir) std::filesystem::create_directories(*OutDir);
  for (const vcl::TPalettePage& page : vcl::PalettePages()) {
    Out << WideToUtf8(page.Name) << "\n";
    for (const vcl::TPersistentClass& c : page.Classes) {
      std::wstring resource = c.Name;
      for (wchar_t& ch : resource) ch = static_cast<wchar_t>(std::towupper(ch));
      std::string name = WideToUtf8(c.Name);
      name.resize(std::max<size_t>(name.size(), 20), ' ');
      Out << "  " << name;
      if (const auto bitmap = FindPaletteBitmap(resource))
        Out << "  " << WideToUtf8(resource) << " " << bitmap->width << "x" << bitmap->height << ", "
            << (1 << bitmap->bits) << " colours";
      else
        Out << "  (no bitmap)";
      if (OutDir) {
        const std::filesystem::path file = *OutDir / (resource + L".png");
        WritePaletteBitmap(resource, file);
        Out << "  -> " << PathText(file);
      }
      Out << "\n";
    }
  }
}

// ---- properties ----

vcl::TComponent& FindComponent(vcl::TComponent& Root, const std::wstring& Name) {
  if (vcl::SameText(Root.Name(), Name)) return Root;
  vcl::TComponent* found = Root.FindComponent(Name);
  if (!found) throw FileError{"the form has no component " + WideToUtf8(Name)};
  return *found;
}

void ListProperties(CommandDesigner& Designer, vcl::TPersistent& Instance, const std::string& Prefix,
                    std::ostream& Out) {
  for (const auto& editor : vcl::GetPropertyEditors(Designer, {&Instance})) {
    const vcl::TPropInfo& info = editor->GetPropInfo();
    const std::string name = Prefix + WideToUtf8(info.Name);
    Out << "  " << name << " = " << WideToUtf8(editor->GetValue()) << "  ("
        << WideToUtf8(vcl::GetEditorClass(Instance, info).Name) << ")\n";
    const vcl::TPropertyAttributes attributes = editor->GetAttributes();
    if (attributes.Contains(vcl::paValueList)) {
      std::string values;
      editor->GetValues([&](const std::wstring& V) { values += (values.empty() ? "" : ", ") + WideToUtf8(V); });
      Out << "      values: " << values << "\n";
    }
    if (!attributes.Contains(vcl::paSubProperties) || info.Kind != vcl::TPropKind::pkObject || !info.GetObject)
      continue;
    vcl::TPersistent* object = info.GetObject(Instance);
    if (auto* collection = dynamic_cast<vcl::TCollection*>(object)) {
      for (int i = 0; i < collection->Count(); ++i)
        ListProperties(Designer, *collection->Items(i), name + "[" + std::to_string(i) + "].", Out);
    } else if (object) {
      ListProperties(Designer, *object, name + ".", Out);
    }
  }
}

// The object holding PROPERTY of a dotted path ("Font.Size": the Font), and
// the property's own name.
std::pair<vcl::TPersistent*, std::wstring> ResolvePath(vcl::TPersistent& Instance, const std::wstring& Path) {
  const size_t dot = Path.find(L'.');
  if (dot == std::wstring::npos) return {&Instance, Path};
  vcl::TPropList props;
  Instance.GetPublishedProperties(props);
  const vcl::TPropInfo* info = props.Find(Path.substr(0, dot));
  vcl::TPersistent* object =
      info && info->Kind == vcl::TPropKind::pkObject && info->GetObject ? info->GetObject(Instance) : nullptr;
  if (!object || dynamic_cast<vcl::TCollection*>(object))
    throw FileError{"no property " + WideToUtf8(Path.substr(0, dot)) + " holding properties"};
  return ResolvePath(*object, Path.substr(dot + 1));
}

// ---- commands ----

struct FormFile {
  std::filesystem::path path;
  DesignedForm form;
};

FormFile ReadFormFile(const std::filesystem::path& Path) {
  const std::string bytes = ReadFile(Path);
  try {
    return {Path, ReadDesignedForm(bytes)};
  } catch (const vcl::Exception& E) {
    throw FileError{PathText(Path) + ": " + E.what()};
  }
}

void SaveFormFile(const FormFile& Form, const std::optional<std::filesystem::path>& Out) {
  WriteFile(Out.value_or(Form.path), WriteDesignedForm(Form.form));
}

void SetProperty(const std::filesystem::path& FormPath, const std::wstring& Assignment,
                 const std::optional<std::filesystem::path>& OutPath, std::ostream& Out) {
  const size_t equals = Assignment.find(L'=');
  const size_t dot = Assignment.find(L'.');
  if (equals == std::wstring::npos || dot == std::wstring::npos || dot > equals)
    throw UsageError{"--set wants COMPONENT.PROPERTY=VALUE"};
  FormFile file = ReadFormFile(FormPath);
  vcl::TComponent& component = FindComponent(*file.form.Root, Assignment.substr(0, dot));
  const auto [instance, property] = ResolvePath(component, Assignment.substr(dot + 1, equals - dot - 1));
  CommandDesigner designer(file.form.Root.get());
  auto editor = vcl::GetPropertyEditor(designer, {instance}, property);
  if (!editor) throw FileError{WideToUtf8(component.Name()) + " has no property " + WideToUtf8(property)};
  const vcl::TPropertyAttributes attributes = editor->GetAttributes();
  if (attributes.Contains(vcl::paReadOnly) || attributes == vcl::TPropertyAttributes{vcl::paDialog})
    throw FileError{WideToUtf8(property) + " cannot be set as text"};
  {
    EditorAnswers answers(std::nullopt);
    editor->SetValue(Assignment.substr(equals + 1));
    answers.Check();
  }
  Out << WideToUtf8(component.Name()) << "." << WideToUtf8(Assignment.substr(dot + 1, equals - dot - 1)) << " = "
      << WideToUtf8(editor->GetValue()) << "\n";
  SaveFormFile(file, OutPath);
}

void LoadMovie(const std::filesystem::path& FormPath, const std::wstring& ListName, const std::wstring& Item,
               const std::filesystem::path& Movie, const std::optional<std::filesystem::path>& OutPath,
               std::ostream& Out) {
  FormFile file = ReadFormFile(FormPath);
  auto* list = dynamic_cast<vt::TvtFlashList*>(&FindComponent(*file.form.Root, ListName));
  if (!list) throw FileError{WideToUtf8(ListName) + " is not a movie list"};
  vt::TvtFlashStream* item = nullptr;
  int index = 0;
  if (!Item.empty() && Item.find_first_not_of(L"0123456789") == std::wstring::npos && Item.size() < 9) {
    index = std::stoi(Item);
    if (index > list->Flashs()->Count())
      throw FileError{WideToUtf8(ListName) + " has " + std::to_string(list->Flashs()->Count()) + " movies"};
    item = index == list->Flashs()->Count() ? list->Flashs()->Add() : list->Flashs()->GetItem(index);
  } else {
    item = list->FindFlash(Item);
    if (!item) throw FileError{WideToUtf8(ListName) + " holds no movie " + WideToUtf8(Item)};
    index = item->Index();
  }
  CommandDesigner designer(file.form.Root.get());
  auto editor = vcl::GetPropertyEditor(designer, {item}, L"FlashStore");
  {
    EditorAnswers answers(std::filesystem::absolute(Movie).wstring());
    editor->Edit();
    answers.Check();
  }
  Out << WideToUtf8(ListName) << "[" << index << "].FlashStore = " << WideToUtf8(editor->GetValue()) << " ("
      << item->FStream->Size() << " bytes)\n";
  SaveFormFile(file, OutPath);
}

// Takes a trailing "--out PATH" off Args.
std::optional<std::filesystem::path> TakeOut(std::vector<std::filesystem::path>& Args) {
  if (Args.size() >= 2 && Args[Args.size() - 2] == "--out") {
    std::filesystem::path out = Args.back();
    Args.resize(Args.size() - 2);
    return out;
  }
  return std::nullopt;
}

}  // namespace

int RunDesign(const std::vector<std::filesystem::path>& Arguments, std::ostream& Out, std::ostream& Err) {
  std::vector<std::filesystem::path> args = Arguments;
  return RunReportingErrors(
      [&] {
        const std::optional<std::filesystem::path> out = TakeOut(args);
        const std::filesystem::path command = args.at(0);
        auto expect = [&](size_t Count, const char* Usage) {
          if (args.size() != Count) throw UsageError{command.string() + " wants " + Usage};
        };
        // The units' initialisation, as in any program linking them, then the
        // designer loading the package.
        vcl::Application()->Initialize();
        vt::InitializeFlashPlayerUnit();
        vt::InitializeLayerUnit();
        vt::Register();
        if (command == "--palette") {
          expect(1, "no argument but --out DIR");
          ListPalette(out, Out);
        } else if (command == "--props") {
          if (out) throw UsageError{"--props writes nothing"};
          expect(3, "FORM COMPONENT");
          FormFile file = ReadFormFile(args[1]);
          vcl::TComponent& component = FindComponent(*file.form.Root, args[2].wstring());
          CommandDesigner designer(file.form.Root.get());
          Out << WideToUtf8(component.Name()) << ": " << WideToUtf8(component.ClassName()) << "\n";
          ListProperties(designer, component, "", Out);
        } else if (command == "--set") {
          expect(3, "FORM COMPONENT.PROPERTY=VALUE");
          SetProperty(args[1], args[2].wstring(), out, Out);
        } else {
          expect(5, "FORM LIST ITEM FILE");
          LoadMovie(args[1], args[2].wstring(), args[3].wstring(), args[4], out, Out);
        }
      },
      Err);
}

}  // namespace vtform
