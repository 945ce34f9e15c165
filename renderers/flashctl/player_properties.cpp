// IvtFlashPlayer: the properties the control stores and gives back (most
// of them only stored; WMode, BGColor, Base and FlashVars are used when
// drawing, fetching and starting a movie). Every put notifies the property
// change sinks.
#include <cstdio>

#include "renderers/com/com_call.h"
#include "renderers/flashctl/control.h"
#include "renderers/flashctl/out_params.h"

namespace flashctl {
namespace {

constexpr DISPID kQualityId = 0x69, kScaleModeId = 0x78, kAlignModeId = 0x79, kBackgroundColorId = 0x7b,
                 kBGColorId = 0x8c, kInlineDataId = 0xbf, kProfilePortId = 0xc4;

}  // namespace

HRESULT FlashControl::get_WMode(BSTR* Value) {
  if (!Value) return E_POINTER;
  return vt::ComCall([&] { return SetText(Value, props_.wmode); });
}

HRESULT FlashControl::put_WMode(BSTR Value) {
  return vt::ComCall([&]() -> HRESULT {
    props_.wmode = vt::TBstr::BstrText(Value);
    PropertyChanged(0x85);
    return S_OK;
  });
}

HRESULT FlashControl::get_SAlign(BSTR* Value) {
  if (!Value) return E_POINTER;
  return vt::ComCall([&] { return SetText(Value, props_.salign); });
}

HRESULT FlashControl::put_SAlign(BSTR Value) {
  return vt::ComCall([&]() -> HRESULT {
    props_.salign = vt::TBstr::BstrText(Value);
    PropertyChanged(0x86);
    return S_OK;
  });
}

HRESULT FlashControl::get_Base(BSTR* Value) {
  if (!Value) return E_POINTER;
  return vt::ComCall([&] { return SetText(Value, props_.base); });
}

HRESULT FlashControl::put_Base(BSTR Value) {
  return vt::ComCall([&]() -> HRESULT {
    props_.base = vt::TBstr::BstrText(Value);
    PropertyChanged(0x88);
    return S_OK;
  });
}

HRESULT FlashControl::get_Scale(BSTR* Value) {
  if (!Value) return E_POINTER;
  return vt::ComCall([&] { return SetText(Value, props_.scale); });
}

HRESULT FlashControl::put_Scale(BSTR Value) {
  return vt::ComCall([&]() -> HRESULT {
    props_.scale = vt::TBstr::BstrText(Value);
    PropertyChanged(0x89);
    return S_OK;
  });
}

HRESULT FlashControl::get_BGColor(BSTR* Value) {
  if (!Value) return E_POINTER;
  return vt::ComCall([&] { return SetText(Value, props_.bgcolor); });
}

HRESULT FlashControl::put_BGColor(BSTR Value) {
  return vt::ComCall([&]() -> HRESULT {
    props_.bgcolor = vt::TBstr::BstrText(Value);
    PropertyChanged(0x8c);
    return S_OK;
  });
}

HRESULT FlashControl::get_Quality2(BSTR* Value) {
  if (!Value) return E_POINTER;
  return vt::ComCall([&] { return SetText(Value, props_.quality2); });
}

HRESULT FlashControl::put_Quality2(BSTR Value) {
  return vt::ComCall([&]() -> HRESULT {
    props_.quality2 = vt::TBstr::BstrText(Value);
    PropertyChanged(0x8d);
    return S_OK;
  });
}

HRESULT FlashControl::get_SWRemote(BSTR* Value) {
  if (!Value) return E_POINTER;
  return vt::ComCall([&] { return SetText(Value, props_.swremote); });
}

HRESULT FlashControl::put_SWRemote(BSTR Value) {
  return vt::ComCall([&]() -> HRESULT {
    props_.swremote = vt::TBstr::BstrText(Value);
    PropertyChanged(0x9f);
    return S_OK;
  });
}

HRESULT FlashControl::get_FlashVars(BSTR* Value) {
  if (!Value) return E_POINTER;
  return vt::ComCall([&] { return SetText(Value, props_.flashVars); });
}

HRESULT FlashControl::put_FlashVars(BSTR Value) {
  return vt::ComCall([&]() -> HRESULT {
    props_.flashVars = vt::TBstr::BstrText(Value);
    PropertyChanged(0xaa);
    return S_OK;
  });
}

HRESULT FlashControl::get_AllowScriptAccess(BSTR* Value) {
  if (!Value) return E_POINTER;
  return vt::ComCall([&] { return SetText(Value, props_.allowScriptAccess); });
}

HRESULT FlashControl::put_AllowScriptAccess(BSTR Value) {
  return vt::ComCall([&]() -> HRESULT {
    props_.allowScriptAccess = vt::TBstr::BstrText(Value);
    PropertyChanged(0xab);
    return S_OK;
  });
}

HRESULT FlashControl::get_MovieData(BSTR* Value) {
  if (!Value) return E_POINTER;
  return vt::ComCall([&] { return SetText(Value, props_.movieData); });
}

HRESULT FlashControl::put_MovieData(BSTR Value) {
  return vt::ComCall([&]() -> HRESULT {
    props_.movieData = vt::TBstr::BstrText(Value);
    PropertyChanged(0xbe);
    return S_OK;
  });
}

HRESULT FlashControl::get_ProfileAddress(BSTR* Value) {
  if (!Value) return E_POINTER;
  return vt::ComCall([&] { return SetText(Value, props_.profileAddress); });
}

HRESULT FlashControl::put_ProfileAddress(BSTR Value) {
  return vt::ComCall([&]() -> HRESULT {
    props_.profileAddress = vt::TBstr::BstrText(Value);
    PropertyChanged(0xc3);
    return S_OK;
  });
}

HRESULT FlashControl::get_AllowNetworking(BSTR* Value) {
  if (!Value) return E_POINTER;
  return vt::ComCall([&] { return SetText(Value, props_.allowNetworking); });
}

HRESULT FlashControl::put_AllowNetworking(BSTR Value) {
  return vt::ComCall([&]() -> HRESULT {
    props_.allowNetworking = vt::TBstr::BstrText(Value);
    PropertyChanged(0xc9);
    return S_OK;
  });
}

HRESULT FlashControl::get_AllowFullScreen(BSTR* Value) {
  if (!Value) return E_POINTER;
  return vt::ComCall([&] { return SetText(Value, props_.allowFullScreen); });
}

HRESULT FlashControl::put_AllowFullScreen(BSTR Value) {
  return vt::ComCall([&]() -> HRESULT {
    props_.allowFullScreen = vt::TBstr::BstrText(Value);
    PropertyChanged(0xca);
    return S_OK;
  });
}

HRESULT FlashControl::get_Menu(VARIANT_BOOL* Value) {
  if (!Value) return E_POINTER;
  *Value = Vb(props_.menu);
  return S_OK;
}

HRESULT FlashControl::put_Menu(VARIANT_BOOL Value) {
  return vt::ComCall([&]() -> HRESULT {
    props_.menu = Value != VARIANT_FALSE;
    PropertyChanged(0x87);
    return S_OK;
  });
}

HRESULT FlashControl::get_DeviceFont(VARIANT_BOOL* Value) {
  if (!Value) return E_POINTER;
  *Value = Vb(props_.deviceFont);
  return S_OK;
}

HRESULT FlashControl::put_DeviceFont(VARIANT_BOOL Value) {
  return vt::ComCall([&]() -> HRESULT {
    props_.deviceFont = Value != VARIANT_FALSE;
    PropertyChanged(0x8a);
    return S_OK;
  });
}

HRESULT FlashControl::get_EmbedMovie(VARIANT_BOOL* Value) {
  if (!Value) return E_POINTER;
  *Value = Vb(props_.embedMovie);
  return S_OK;
}

HRESULT FlashControl::put_EmbedMovie(VARIANT_BOOL Value) {
  return vt::ComCall([&]() -> HRESULT {
    props_.embedMovie = Value != VARIANT_FALSE;
    PropertyChanged(0x8b);
    return S_OK;
  });
}

HRESULT FlashControl::get_SeamlessTabbing(VARIANT_BOOL* Value) {
  if (!Value) return E_POINTER;
  *Value = Vb(props_.seamlessTabbing);
  return S_OK;
}

HRESULT FlashControl::put_SeamlessTabbing(VARIANT_BOOL Value) {
  return vt::ComCall([&]() -> HRESULT {
    props_.seamlessTabbing = Value != VARIANT_FALSE;
    PropertyChanged(0xc0);
    return S_OK;
  });
}

HRESULT FlashControl::get_Profile(VARIANT_BOOL* Value) {
  if (!Value) return E_POINTER;
  *Value = Vb(props_.profile);
  return S_OK;
}

HRESULT FlashControl::put_Profile(VARIANT_BOOL Value) {
  return vt::ComCall([&]() -> HRESULT {
    props_.profile = Value != VARIANT_FALSE;
    PropertyChanged(0xc2);
    return S_OK;
  });
}

HRESULT FlashControl::get_Quality(vtFlashQuality* Quality) {
  if (!Quality) return E_POINTER;
  *Quality = static_cast<vtFlashQuality>(props_.quality);
  return S_OK;
}

HRESULT FlashControl::put_Quality(vtFlashQuality Quality) {
  if (Quality < vtQualityLow || Quality > vtQualityBest) return E_INVALIDARG;
  return vt::ComCall([&]() -> HRESULT {
    props_.quality = Quality;
    PropertyChanged(kQualityId);
    return S_OK;
  });
}

HRESULT FlashControl::get_ScaleMode(vtFlashScaleMode* Scale) {
  if (!Scale) return E_POINTER;
  *Scale = static_cast<vtFlashScaleMode>(props_.scaleMode);
  return S_OK;
}

HRESULT FlashControl::put_ScaleMode(vtFlashScaleMode Scale) {
  if (Scale < vtScaleShowAll || Scale > vtScaleExactFit) return E_INVALIDARG;
  return vt::ComCall([&]() -> HRESULT {
    props_.scaleMode = Scale;
    PropertyChanged(kScaleModeId);
    return S_OK;
  });
}

HRESULT FlashControl::get_AlignMode(int* Align) {
  if (!Align) return E_POINTER;
  *Align = props_.alignMode;
  return S_OK;
}

HRESULT FlashControl::put_AlignMode(int Align) {
  return vt::ComCall([&]() -> HRESULT {
    props_.alignMode = Align;
    PropertyChanged(kAlignModeId);
    return S_OK;
  });
}

// BackgroundColor is BGColor as a number 0xRRGGBB; -1 when BGColor holds no colour.
HRESULT FlashControl::get_BackgroundColor(LONG* Color) {
  if (!Color) return E_POINTER;
  const auto color = ParseColor(props_.bgcolor);
  *Color = color ? static_cast<LONG>(*color) : -1;
  return S_OK;
}

HRESULT FlashControl::put_BackgroundColor(LONG Color) {
  return vt::ComCall([&]() -> HRESULT {
    if (Color < 0) {
      props_.bgcolor.clear();
    } else {
      wchar_t text[8];
      swprintf(text, 8, L"#%06lX", static_cast<unsigned long>(Color & 0xFFFFFF));
      props_.bgcolor = text;
    }
    PropertyChanged(kBackgroundColorId);
    PropertyChanged(kBGColorId);
    return S_OK;
  });
}

HRESULT FlashControl::get_InlineData(IUnknown** Value) {
  if (!Value) return E_POINTER;
  *Value = inlineData_.Get();
  if (*Value) (*Value)->AddRef();
  return S_OK;
}

HRESULT FlashControl::put_InlineData(IUnknown* Value) {
  return vt::ComCall([&]() -> HRESULT {
    vt::TComPtr<IUnknown> old = std::exchange(inlineData_, vt::TComPtr<IUnknown>::Share(Value));
    PropertyChanged(kInlineDataId);
    return S_OK;
  });
}

HRESULT FlashControl::get_ProfilePort(LONG* Value) {
  if (!Value) return E_POINTER;
  *Value = props_.profilePort;
  return S_OK;
}

HRESULT FlashControl::put_ProfilePort(LONG Value) {
  return vt::ComCall([&]() -> HRESULT {
    props_.profilePort = Value;
    PropertyChanged(kProfilePortId);
    return S_OK;
  });
}

}  // namespace flashctl
