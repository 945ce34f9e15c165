// The unit's registration of components and editors.
#include "vt_d7/Vt_flashreg.h"

#include <vector>

#include "vt_d7/Vt_layer.h"
#include "vt_d7/flash_store.h"

namespace vt {

void Register() {
  const std::vector<vcl::TPersistentClass> components = {
      vcl::ClassOf<TvtFlashList>(L"TvtFlashList"), vcl::ClassOf<TvtFlashPlayer>(L"TvtFlashPlayer"),
      vcl::ClassOf<TvtFlashPlayerWnd>(L"TvtFlashPlayerWnd"), vcl::ClassOf<TvtFlashPlayerComp>(L"TvtFlashPlayerComp"),
      vcl::ClassOf<TvtFlashLayer>(L"TvtFlashLayer")};
  // The form reader must know the classes the palette drops.
  for (const vcl::TPersistentClass& c : components) vcl::RegisterComponentClass(c.Name, c.Create);
  vcl::RegisterComponents(kPalettePage, components);

  const vcl::TPersistentClass stream = vcl::ClassOf<TvtFlashStream>(L"TvtFlashStream");
  vcl::RegisterPropertyEditor(vcl::TPropKind::pkWString, &stream, L"FlashStore",
                              vcl::EditorClassOf<TvtFlashStreamProperty>(L"TvtFlashStreamProperty"));

  const vcl::TPersistentClass players[] = {vcl::ClassOf<TvtFlashPlayer>(L"TvtFlashPlayer"),
                                           vcl::ClassOf<TvtFlashPlayerWnd>(L"TvtFlashPlayerWnd"),
                                           vcl::ClassOf<TvtFlashPlayerComp>(L"TvtFlashPlayerComp")};
  for (const vcl::TPersistentClass& player : players)
    vcl::RegisterPropertyEditor(vcl::TPropKind::pkString, &player, L"Skin",
                                vcl::EditorClassOf<TvtSkinProperty>(L"TvtSkinProperty"));
}

HINSTANCE PaletteModule() {
  HMODULE module = nullptr;
  GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                     reinterpret_cast<LPCWSTR>(&PaletteModule), &module);
  return module;
}

}  // namespace vt
