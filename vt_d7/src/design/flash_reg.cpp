// The unit's registration of components and editors.
#include "vt_d7/Vt_flashreg.h"

#include "vt_d7/Vt_layer.h"
#include "vt_d7/flash_store.h"

namespace vt {

void Register() {
  const vcl::TPersistentClass list = vcl::ClassOf<TvtFlashList>(L"TvtFlashList");
  const vcl::TPersistentClass graphic = vcl::ClassOf<TvtFlashPlayer>(L"TvtFlashPlayer");
  const vcl::TPersistentClass window = vcl::ClassOf<TvtFlashPlayerWnd>(L"TvtFlashPlayerWnd");
  const vcl::TPersistentClass offscreen = vcl::ClassOf<TvtFlashPlayerComp>(L"TvtFlashPlayerComp");
  const vcl::TPersistentClass layer = vcl::ClassOf<TvtFlashLayer>(L"TvtFlashLayer");
  const vcl::TPersistentClass stream = vcl::ClassOf<TvtFlashStream>(L"TvtFlashStream");

  // The form reader must know the classes the palette drops.
  for (const vcl::TPersistentClass* c : {&list, &graphic, &window, &offscreen, &layer})
    vcl::RegisterComponentClass(c->Name, c->Create);
  vcl::RegisterComponents(kPalettePage, {list, graphic, window, offscreen, layer});
  vcl::RegisterPropertyEditor(vcl::TPropKind::pkWString, &stream, L"FlashStore",
                              vcl::EditorClassOf<TvtFlashStreamProperty>(L"TvtFlashStreamProperty"));
  for (const vcl::TPersistentClass* player : {&graphic, &window, &offscreen})
    vcl::RegisterPropertyEditor(vcl::TPropKind::pkString, player, L"Skin",
                                vcl::EditorClassOf<TvtSkinProperty>(L"TvtSkinProperty"));
}

HINSTANCE PaletteModule() {
  HMODULE module = nullptr;
  GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                     reinterpret_cast<LPCWSTR>(&PaletteModule), &module);
  return module;
}

}  // namespace vt
