// Scripting both ways: the driver's playback, variable and call operations
// as calls on the movie's scriptable object, and the movie's FSCommand and
// ExternalInterface calls as the driver's events.
#include <cstring>
#include <string>

#include "framework/SysUtils.h"
#include "netscape_unit.h"
#include "vt_d7/flash_call_request.h"

namespace vt {

namespace {

// The identifiers handed to the movie: the addresses of these names.
constexpr char kPlay[] = "Play";
constexpr char kStopPlay[] = "StopPlay";
constexpr char kRewind[] = "Rewind";
constexpr char kForward[] = "Forward";
constexpr char kBack[] = "Back";
constexpr char kGetLoop[] = "GetLoop";
constexpr char kIsPlaying[] = "IsPlaying";
constexpr char kCurrentFrame[] = "CurrentFrame";
constexpr char kTotalFrames[] = "TotalFrames";
constexpr char kGotoFrame[] = "GotoFrame";
constexpr char kGetVariable[] = "GetVariable";
constexpr char kSetVariable[] = "SetVariable";
constexpr char kCallFunction[] = "CallFunction";
constexpr char kLoadMovie[] = "LoadMovie";
constexpr char kLoop[] = "Loop";
constexpr char kEmpty[] = "";

NPIdentifier Id(const char* Name) { return const_cast<char*>(Name); }

// A string variant over Text, which must outlive the call.
NPVariant StringVariant(const std::string& Text) {
  NPVariant v{};
  v.type = NPVariantType_String;
  v.value.stringValue = NPString{Text.c_str(), static_cast<uint32_t>(Text.size())};
  return v;
}

std::wstring VariantText(const NPVariant& V) {
  if (V.type != NPVariantType_String || !V.value.stringValue.UTF8Characters) return {};
  return vcl::AnsiToWide(std::string(V.value.stringValue.UTF8Characters, V.value.stringValue.UTF8Length),
                         NetscapeCodePage);
}

}  // namespace

bool TvtFlashDriverNS::Invoke(const char* Method, const NPVariant* Args, uint32_t ArgCount,
                              NPVariant& Result) {
  const TModuleCall call;
  Result = NPVariant{};
  Result.type = NPVariantType_Void;
  if (!PluginExists() || !FScriptObject || !FScriptObject->_class || !FScriptObject->_class->invoke)
    return false;
  return FScriptObject->_class->invoke(FScriptObject, Id(Method), Args, ArgCount, &Result);
}

void TvtFlashDriverNS::InvokeVoid(const char* Method, const NPVariant* Args, uint32_t ArgCount) {
  NPVariant result;
  Invoke(Method, Args, ArgCount, result);
}

bool TvtFlashDriverNS::InvokeBool(const char* Method) {
  NPVariant result;
  return Invoke(Method, nullptr, 0, result) && result.type == NPVariantType_Bool && result.value.boolValue;
}

int32_t TvtFlashDriverNS::InvokeInt(const char* Method) {
  NPVariant result;
  if (!Invoke(Method, nullptr, 0, result) || result.type != NPVariantType_Int32) return 0;
  return result.value.intValue;
}

std::wstring TvtFlashDriverNS::InvokeString(const char* Method, const std::wstring& Argument) {
  const std::string text = vcl::WideToAnsi(Argument, NetscapeCodePage);
  const NPVariant arg = StringVariant(text);
  NPVariant result;
  Invoke(Method, &arg, 1, result);
  return VariantText(result);
}

void TvtFlashDriverNS::InvokeLoadMovie(const std::wstring& URL) {
  const std::string text = vcl::WideToAnsi(URL, NetscapeCodePage);
  NPVariant args[2]{};
  args[0].type = NPVariantType_Int32;
  args[0].value.intValue = 0;
  args[1] = StringVariant(text);
  InvokeVoid(kLoadMovie, args, 2);
}

void TvtFlashDriverNS::Play() { InvokeVoid(kPlay); }
void TvtFlashDriverNS::StopPlay() { InvokeVoid(kStopPlay); }
void TvtFlashDriverNS::Rewind() { InvokeVoid(kRewind); }
void TvtFlashDriverNS::Forward() { InvokeVoid(kForward); }
void TvtFlashDriverNS::Back() { InvokeVoid(kBack); }
bool TvtFlashDriverNS::GetLoop() { return InvokeBool(kGetLoop); }
bool TvtFlashDriverNS::GetIsPlaying() { return InvokeBool(kIsPlaying); }
int32_t TvtFlashDriverNS::GetCurrentFrame() { return InvokeInt(kCurrentFrame); }
int32_t TvtFlashDriverNS::GetTotalFrames() { return InvokeInt(kTotalFrames); }

void TvtFlashDriverNS::SetLoop(bool Value) {
  const TModuleCall call;
  if (!PluginExists() || !FScriptObject || !FScriptObject->_class || !FScriptObject->_class->setProperty)
    return;
  NPVariant v{};
  v.type = NPVariantType_Bool;
  v.value.boolValue = Value;
  FScriptObject->_class->setProperty(FScriptObject, Id(kLoop), &v);
}

void TvtFlashDriverNS::SetCurrentFrame(int32_t Value) {
  NPVariant v{};
  v.type = NPVariantType_Int32;
  v.value.intValue = Value;
  InvokeVoid(kGotoFrame, &v, 1);
}

std::wstring TvtFlashDriverNS::GetVariable(const std::wstring& Name) {
  return InvokeString(kGetVariable, Name);
}

void TvtFlashDriverNS::SetVariable(const std::wstring& Name, const std::wstring& Value) {
  const std::string name = vcl::WideToAnsi(Name, NetscapeCodePage);
  const std::string value = vcl::WideToAnsi(Value, NetscapeCodePage);
  const NPVariant args[2] = {StringVariant(name), StringVariant(value)};
  try {
    InvokeVoid(kSetVariable, args, 2);
  } catch (...) {
    // The module may fail a first attempt; the second one's failure is the
    // caller's.
    InvokeVoid(kSetVariable, args, 2);
  }
}

std::wstring TvtFlashDriverNS::CallFunction(const std::wstring& Request) {
  return InvokeString(kCallFunction, Request);
}

bool TvtFlashDriverNS::HandleInvoke(NPIdentifier MethodName, const NPVariant* Args, uint32_t ArgCount,
                                    NPVariant* Result) {
  if (MethodName && std::strcmp(static_cast<const char*>(MethodName), "_DoFSCommand") == 0) {
    const std::wstring command = Args && ArgCount > 0 ? VariantText(Args[0]) : std::wstring();
    const std::wstring args = Args && ArgCount > 1 ? VariantText(Args[1]) : std::wstring();
    DoFSCommand(command, args);
    return true;
  }
  if (Result) {
    Result->type = NPVariantType_String;
    Result->value.stringValue = NPString{kEmpty, 0};
  }
  return true;
}

bool TvtFlashDriverNS::HandleEvaluate(NPString* Script, NPVariant* Result) {
  if (!Script || !Script->UTF8Characters) return true;
  const std::wstring text =
      vcl::AnsiToWide(std::string(Script->UTF8Characters, Script->UTF8Length), NetscapeCodePage);
  const std::optional<std::wstring> request = FlashCallRequestFromScript(text);
  if (!request) return true;

  FReturnValue.clear();
  const std::weak_ptr<char> alive = alive_;
  DoFlashCall(*request);
  if (alive.expired()) return true;
  evaluateAnswer_ = vcl::WideToAnsi(FReturnValue, NetscapeCodePage);
  if (Result) {
    Result->type = NPVariantType_String;
    Result->value.stringValue =
        NPString{evaluateAnswer_.c_str(), static_cast<uint32_t>(evaluateAnswer_.size())};
  }
  return true;
}

}  // namespace vt
