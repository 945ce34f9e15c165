#pragma once
// Every entry of IvtFlashPlayer answering as an unexpected call, for test
// doubles that implement only what the code under test may call.
#include <string>

#include "renderers/flashocx/flash_player.h"

namespace vt_test {

class TFlashPlayerStub : public IvtFlashPlayer {
 protected:
  // Reports the call as a failure of the running test; E_NOTIMPL.
  virtual HRESULT Unexpected(const char* Method) = 0;

 public:
  HRESULT STDMETHODCALLTYPE get_ReadyState(LONG *) override { return Unexpected("get_ReadyState"); }
  HRESULT STDMETHODCALLTYPE get_TotalFrames(LONG *) override { return Unexpected("get_TotalFrames"); }
  HRESULT STDMETHODCALLTYPE get_Playing(VARIANT_BOOL *) override { return Unexpected("get_Playing"); }
  HRESULT STDMETHODCALLTYPE put_Playing(VARIANT_BOOL) override { return Unexpected("put_Playing"); }
  HRESULT STDMETHODCALLTYPE get_Quality(vtFlashQuality *) override { return Unexpected("get_Quality"); }
  HRESULT STDMETHODCALLTYPE put_Quality(vtFlashQuality) override { return Unexpected("put_Quality"); }
  HRESULT STDMETHODCALLTYPE get_ScaleMode(vtFlashScaleMode *) override { return Unexpected("get_ScaleMode"); }
  HRESULT STDMETHODCALLTYPE put_ScaleMode(vtFlashScaleMode) override { return Unexpected("put_ScaleMode"); }
  HRESULT STDMETHODCALLTYPE get_AlignMode(int *) override { return Unexpected("get_AlignMode"); }
  HRESULT STDMETHODCALLTYPE put_AlignMode(int) override { return Unexpected("put_AlignMode"); }
  HRESULT STDMETHODCALLTYPE get_BackgroundColor(LONG *) override { return Unexpected("get_BackgroundColor"); }
  HRESULT STDMETHODCALLTYPE put_BackgroundColor(LONG) override { return Unexpected("put_BackgroundColor"); }
  HRESULT STDMETHODCALLTYPE get_Loop(VARIANT_BOOL *) override { return Unexpected("get_Loop"); }
  HRESULT STDMETHODCALLTYPE put_Loop(VARIANT_BOOL) override { return Unexpected("put_Loop"); }
  HRESULT STDMETHODCALLTYPE get_Movie(BSTR *) override { return Unexpected("get_Movie"); }
  HRESULT STDMETHODCALLTYPE put_Movie(BSTR) override { return Unexpected("put_Movie"); }
  HRESULT STDMETHODCALLTYPE get_FrameNum(LONG *) override { return Unexpected("get_FrameNum"); }
  HRESULT STDMETHODCALLTYPE put_FrameNum(LONG) override { return Unexpected("put_FrameNum"); }
  HRESULT STDMETHODCALLTYPE SetZoomRect(LONG, LONG, LONG, LONG) override { return Unexpected("SetZoomRect"); }
  HRESULT STDMETHODCALLTYPE Zoom(int) override { return Unexpected("Zoom"); }
  HRESULT STDMETHODCALLTYPE Pan(LONG, LONG, int) override { return Unexpected("Pan"); }
  HRESULT STDMETHODCALLTYPE Play() override { return Unexpected("Play"); }
  HRESULT STDMETHODCALLTYPE Stop() override { return Unexpected("Stop"); }
  HRESULT STDMETHODCALLTYPE Back() override { return Unexpected("Back"); }
  HRESULT STDMETHODCALLTYPE Forward() override { return Unexpected("Forward"); }
  HRESULT STDMETHODCALLTYPE Rewind() override { return Unexpected("Rewind"); }
  HRESULT STDMETHODCALLTYPE StopPlay() override { return Unexpected("StopPlay"); }
  HRESULT STDMETHODCALLTYPE GotoFrame(LONG) override { return Unexpected("GotoFrame"); }
  HRESULT STDMETHODCALLTYPE CurrentFrame(LONG *) override { return Unexpected("CurrentFrame"); }
  HRESULT STDMETHODCALLTYPE IsPlaying(VARIANT_BOOL *) override { return Unexpected("IsPlaying"); }
  HRESULT STDMETHODCALLTYPE PercentLoaded(LONG *) override { return Unexpected("PercentLoaded"); }
  HRESULT STDMETHODCALLTYPE FrameLoaded(LONG, VARIANT_BOOL *) override { return Unexpected("FrameLoaded"); }
  HRESULT STDMETHODCALLTYPE FlashVersion(LONG *) override { return Unexpected("FlashVersion"); }
  HRESULT STDMETHODCALLTYPE get_WMode(BSTR *) override { return Unexpected("get_WMode"); }
  HRESULT STDMETHODCALLTYPE put_WMode(BSTR) override { return Unexpected("put_WMode"); }
  HRESULT STDMETHODCALLTYPE get_SAlign(BSTR *) override { return Unexpected("get_SAlign"); }
  HRESULT STDMETHODCALLTYPE put_SAlign(BSTR) override { return Unexpected("put_SAlign"); }
  HRESULT STDMETHODCALLTYPE get_Menu(VARIANT_BOOL *) override { return Unexpected("get_Menu"); }
  HRESULT STDMETHODCALLTYPE put_Menu(VARIANT_BOOL) override { return Unexpected("put_Menu"); }
  HRESULT STDMETHODCALLTYPE get_Base(BSTR *) override { return Unexpected("get_Base"); }
  HRESULT STDMETHODCALLTYPE put_Base(BSTR) override { return Unexpected("put_Base"); }
  HRESULT STDMETHODCALLTYPE get_Scale(BSTR *) override { return Unexpected("get_Scale"); }
  HRESULT STDMETHODCALLTYPE put_Scale(BSTR) override { return Unexpected("put_Scale"); }
  HRESULT STDMETHODCALLTYPE get_DeviceFont(VARIANT_BOOL *) override { return Unexpected("get_DeviceFont"); }
  HRESULT STDMETHODCALLTYPE put_DeviceFont(VARIANT_BOOL) override { return Unexpected("put_DeviceFont"); }
  HRESULT STDMETHODCALLTYPE get_EmbedMovie(VARIANT_BOOL *) override { return Unexpected("get_EmbedMovie"); }
  HRESULT STDMETHODCALLTYPE put_EmbedMovie(VARIANT_BOOL) override { return Unexpected("put_EmbedMovie"); }
  HRESULT STDMETHODCALLTYPE get_BGColor(BSTR *) override { return Unexpected("get_BGColor"); }
  HRESULT STDMETHODCALLTYPE put_BGColor(BSTR) override { return Unexpected("put_BGColor"); }
  HRESULT STDMETHODCALLTYPE get_Quality2(BSTR *) override { return Unexpected("get_Quality2"); }
  HRESULT STDMETHODCALLTYPE put_Quality2(BSTR) override { return Unexpected("put_Quality2"); }
  HRESULT STDMETHODCALLTYPE LoadMovie(int, BSTR) override { return Unexpected("LoadMovie"); }
  HRESULT STDMETHODCALLTYPE TGotoFrame(BSTR, LONG) override { return Unexpected("TGotoFrame"); }
  HRESULT STDMETHODCALLTYPE TGotoLabel(BSTR, BSTR) override { return Unexpected("TGotoLabel"); }
  HRESULT STDMETHODCALLTYPE TCurrentFrame(BSTR, LONG *) override { return Unexpected("TCurrentFrame"); }
  HRESULT STDMETHODCALLTYPE TCurrentLabel(BSTR, BSTR *) override { return Unexpected("TCurrentLabel"); }
  HRESULT STDMETHODCALLTYPE TPlay(BSTR) override { return Unexpected("TPlay"); }
  HRESULT STDMETHODCALLTYPE TStopPlay(BSTR) override { return Unexpected("TStopPlay"); }
  HRESULT STDMETHODCALLTYPE SetVariable(BSTR, BSTR) override { return Unexpected("SetVariable"); }
  HRESULT STDMETHODCALLTYPE GetVariable(BSTR, BSTR *) override { return Unexpected("GetVariable"); }
  HRESULT STDMETHODCALLTYPE TSetProperty(BSTR, int, BSTR) override { return Unexpected("TSetProperty"); }
  HRESULT STDMETHODCALLTYPE TGetProperty(BSTR, int, BSTR *) override { return Unexpected("TGetProperty"); }
  HRESULT STDMETHODCALLTYPE TCallFrame(BSTR, int) override { return Unexpected("TCallFrame"); }
  HRESULT STDMETHODCALLTYPE TCallLabel(BSTR, BSTR) override { return Unexpected("TCallLabel"); }
  HRESULT STDMETHODCALLTYPE TSetPropertyNum(BSTR, int, double) override { return Unexpected("TSetPropertyNum"); }
  HRESULT STDMETHODCALLTYPE TGetPropertyNum(BSTR, int, double *) override { return Unexpected("TGetPropertyNum"); }
  HRESULT STDMETHODCALLTYPE TGetPropertyAsNumber(BSTR, int, double *) override { return Unexpected("TGetPropertyAsNumber"); }
  HRESULT STDMETHODCALLTYPE get_SWRemote(BSTR *) override { return Unexpected("get_SWRemote"); }
  HRESULT STDMETHODCALLTYPE put_SWRemote(BSTR) override { return Unexpected("put_SWRemote"); }
  HRESULT STDMETHODCALLTYPE get_FlashVars(BSTR *) override { return Unexpected("get_FlashVars"); }
  HRESULT STDMETHODCALLTYPE put_FlashVars(BSTR) override { return Unexpected("put_FlashVars"); }
  HRESULT STDMETHODCALLTYPE get_AllowScriptAccess(BSTR *) override { return Unexpected("get_AllowScriptAccess"); }
  HRESULT STDMETHODCALLTYPE put_AllowScriptAccess(BSTR) override { return Unexpected("put_AllowScriptAccess"); }
  HRESULT STDMETHODCALLTYPE get_MovieData(BSTR *) override { return Unexpected("get_MovieData"); }
  HRESULT STDMETHODCALLTYPE put_MovieData(BSTR) override { return Unexpected("put_MovieData"); }
  HRESULT STDMETHODCALLTYPE get_InlineData(IUnknown **) override { return Unexpected("get_InlineData"); }
  HRESULT STDMETHODCALLTYPE put_InlineData(IUnknown *) override { return Unexpected("put_InlineData"); }
  HRESULT STDMETHODCALLTYPE get_SeamlessTabbing(VARIANT_BOOL *) override { return Unexpected("get_SeamlessTabbing"); }
  HRESULT STDMETHODCALLTYPE put_SeamlessTabbing(VARIANT_BOOL) override { return Unexpected("put_SeamlessTabbing"); }
  HRESULT STDMETHODCALLTYPE EnforceLocalSecurity() override { return Unexpected("EnforceLocalSecurity"); }
  HRESULT STDMETHODCALLTYPE get_Profile(VARIANT_BOOL *) override { return Unexpected("get_Profile"); }
  HRESULT STDMETHODCALLTYPE put_Profile(VARIANT_BOOL) override { return Unexpected("put_Profile"); }
  HRESULT STDMETHODCALLTYPE get_ProfileAddress(BSTR *) override { return Unexpected("get_ProfileAddress"); }
  HRESULT STDMETHODCALLTYPE put_ProfileAddress(BSTR) override { return Unexpected("put_ProfileAddress"); }
  HRESULT STDMETHODCALLTYPE get_ProfilePort(LONG *) override { return Unexpected("get_ProfilePort"); }
  HRESULT STDMETHODCALLTYPE put_ProfilePort(LONG) override { return Unexpected("put_ProfilePort"); }
  HRESULT STDMETHODCALLTYPE CallFunction(BSTR, BSTR *) override { return Unexpected("CallFunction"); }
  HRESULT STDMETHODCALLTYPE SetReturnValue(BSTR) override { return Unexpected("SetReturnValue"); }
  HRESULT STDMETHODCALLTYPE DisableLocalSecurity() override { return Unexpected("DisableLocalSecurity"); }
  HRESULT STDMETHODCALLTYPE get_AllowNetworking(BSTR *) override { return Unexpected("get_AllowNetworking"); }
  HRESULT STDMETHODCALLTYPE put_AllowNetworking(BSTR) override { return Unexpected("put_AllowNetworking"); }
  HRESULT STDMETHODCALLTYPE get_AllowFullScreen(BSTR *) override { return Unexpected("get_AllowFullScreen"); }
  HRESULT STDMETHODCALLTYPE put_AllowFullScreen(BSTR) override { return Unexpected("put_AllowFullScreen"); }
};

}  // namespace vt_test
