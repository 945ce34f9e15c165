// The scriptable object's class: methods and the Loop property, each on the
// instance's movie. Before a movie exists the controls do nothing and the
// queries answer false, 0 or "".
#include "renderers/npswf/scriptable.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "renderers/npswf/instance.h"
#include "renderers/npswf/instance_registry.h"
#include "renderers/npswf/script_values.h"

namespace npswf {
namespace {

enum class Method {
  None,
  Play,
  StopPlay,
  Rewind,
  Forward,
  Back,
  GetLoop,
  IsPlaying,
  CurrentFrame,
  TotalFrames,
  GotoFrame,
  GetVariable,
  SetVariable,
  CallFunction,
  LoadMovie
};

struct MethodName {
  const char* name;
  Method method;
};

constexpr MethodName kMethods[] = {
    {"Play", Method::Play},
    {"StopPlay", Method::StopPlay},
    {"Rewind", Method::Rewind},
    {"Forward", Method::Forward},
    {"Back", Method::Back},
    {"GetLoop", Method::GetLoop},
    {"IsPlaying", Method::IsPlaying},
    {"CurrentFrame", Method::CurrentFrame},
    {"TotalFrames", Method::TotalFrames},
    {"GotoFrame", Method::GotoFrame},
    {"GetVariable", Method::GetVariable},
    {"SetVariable", Method::SetVariable},
    {"CallFunction", Method::CallFunction},
    {"LoadMovie", Method::LoadMovie},
};

constexpr const char* kLoop = "Loop";

std::vector<ScriptObject*>& Objects() {
  static std::vector<ScriptObject*> objects;
  return objects;
}

Method MethodOf(NPIdentifier Name) {
  const char* text = static_cast<const char*>(Name);
  if (!text) return Method::None;
  for (const MethodName& m : kMethods)
    if (std::strcmp(m.name, text) == 0) return m.method;
  return Method::None;
}

bool IsLoop(NPIdentifier Name) { return Name && std::strcmp(static_cast<const char*>(Name), kLoop) == 0; }

void FreeObject(ScriptObject* Object) {
  auto& all = Objects();
  all.erase(std::remove(all.begin(), all.end(), Object), all.end());
  delete Object;
}

// The object's live instance, or null (after NPP_Destroy, or another class).
PluginInstance* OwnerOf(NPObject* Object);

const NPVariant& Arg(const NPVariant* Args, uint32_t Count, uint32_t Index) {
  static const NPVariant kVoid{};
  return Args && Index < Count ? Args[Index] : kVoid;
}

bool Run(PluginInstance& I, Method M, const NPVariant* Args, uint32_t Count, NPVariant* Result) {
  swf::MovieInstance* movie = I.movie();
  switch (M) {
    case Method::Play:
      if (movie) movie->Play();
      return true;
    case Method::StopPlay:
      if (movie) movie->StopPlay();
      return true;
    case Method::Rewind:
      if (movie) movie->Rewind();
      return true;
    case Method::Forward:
      if (movie) movie->Forward();
      return true;
    case Method::Back:
      if (movie) movie->Back();
      return true;
    case Method::GetLoop: SetBool(Result, I.loop()); return true;
    case Method::IsPlaying: SetBool(Result, movie && movie->IsPlaying()); return true;
    case Method::CurrentFrame: SetInt(Result, movie ? movie->CurrentFrame() : 0); return true;
    case Method::TotalFrames: SetInt(Result, movie ? movie->TotalFrames() : 0); return true;
    case Method::GotoFrame:
      if (movie) movie->GotoFrame(VariantToInt(Arg(Args, Count, 0)));
      return true;
    case Method::GetVariable:
      SetText(Result, movie ? movie->GetVariable(VariantToText(Arg(Args, Count, 0))) : std::string());
      return true;
    case Method::SetVariable:
      if (movie) movie->SetVariable(VariantToText(Arg(Args, Count, 0)), VariantToText(Arg(Args, Count, 1)));
      return true;
    case Method::CallFunction:
      SetText(Result, movie ? movie->CallFunction(VariantToText(Arg(Args, Count, 0))) : std::string());
      return true;
    case Method::LoadMovie: {
      // The URL goes to the browser as it came (8-bit); the engine's own loads convert.
      const NPVariant& url = Arg(Args, Count, 1);
      std::string text;
      if (url.type == NPVariantType_String && url.value.stringValue.UTF8Characters)
        text.assign(url.value.stringValue.UTF8Characters, url.value.stringValue.UTF8Length);
      else
        text = VariantToText(url);
      I.LoadMovie(VariantToInt(Arg(Args, Count, 0), -1), text);
      return true;
    }
    case Method::None: break;
  }
  return false;
}

// ---- the class entries; nothing escapes them ----

NPObject* Allocate(NPP, NPClass*) {
  try {
    auto* o = new ScriptObject();
    Objects().push_back(o);
    return o;
  } catch (...) {
    return nullptr;
  }
}

void Deallocate(NPObject* Object) {
  if (!Object) return;
  FreeObject(static_cast<ScriptObject*>(Object));
}

void Invalidate(NPObject* Object) {
  if (Object) static_cast<ScriptObject*>(Object)->owner = nullptr;
}

bool HasMethod(NPObject*, NPIdentifier Name) { return MethodOf(Name) != Method::None; }

bool Invoke(NPObject* Object, NPIdentifier Name, const NPVariant* Args, uint32_t Count, NPVariant* Result) {
  try {
    PluginInstance* owner = OwnerOf(Object);
    const Method m = MethodOf(Name);
    if (!owner || m == Method::None) return false;
    CallGuard guard(owner);
    return Run(*owner, m, Args, Count, Result);
  } catch (...) {
    return false;
  }
}

bool InvokeDefault(NPObject*, const NPVariant*, uint32_t, NPVariant*) { return false; }

bool HasProperty(NPObject*, NPIdentifier Name) { return IsLoop(Name); }

bool GetProperty(NPObject* Object, NPIdentifier Name, NPVariant* Result) {
  try {
    PluginInstance* owner = OwnerOf(Object);
    if (!owner || !IsLoop(Name)) return false;
    CallGuard guard(owner);
    SetBool(Result, owner->loop());
    return true;
  } catch (...) {
    return false;
  }
}

bool SetProperty(NPObject* Object, NPIdentifier Name, const NPVariant* Value) {
  try {
    PluginInstance* owner = OwnerOf(Object);
    if (!owner || !IsLoop(Name) || !Value) return false;
    CallGuard guard(owner);
    owner->SetLoop(VariantToBool(*Value));
    return true;
  } catch (...) {
    return false;
  }
}

bool RemoveProperty(NPObject*, NPIdentifier) { return false; }

bool Enumerate(NPObject*, NPIdentifier**, uint32_t*) { return false; }

bool Construct(NPObject*, const NPVariant*, uint32_t, NPVariant*) { return false; }

NPClass g_class = {.structVersion = NP_CLASS_STRUCT_VERSION,
                   .allocate = Allocate,
                   .deallocate = Deallocate,
                   .invalidate = Invalidate,
                   .hasMethod = HasMethod,
                   .invoke = Invoke,
                   .invokeDefault = InvokeDefault,
                   .hasProperty = HasProperty,
                   .getProperty = GetProperty,
                   .setProperty = SetProperty,
                   .removeProperty = RemoveProperty,
                   .enumerate = Enumerate,
                   .construct = Construct};

PluginInstance* OwnerOf(NPObject* Object) {
  if (!Object || Object->_class != &g_class) return nullptr;
  PluginInstance* owner = static_cast<ScriptObject*>(Object)->owner;
  return owner && IsRegistered(owner) && !owner->destroyed() ? owner : nullptr;
}

}  // namespace

ScriptObject* NewScriptObject(PluginInstance* Owner) {
  auto* o = static_cast<ScriptObject*>(Allocate(nullptr, &g_class));
  if (!o) return nullptr;
  o->_class = &g_class;
  o->referenceCount = 1;
  o->owner = Owner;
  return o;
}

void DetachScriptObject(ScriptObject* Object) {
  if (!Object) return;
  Object->owner = nullptr;
  if (Object->referenceCount <= 1)
    FreeObject(Object);
  else
    --Object->referenceCount;
}

NPObject* RetainScriptObject(ScriptObject* Object) {
  if (Object) ++Object->referenceCount;
  return Object;
}

void FreeDetachedScriptObjects() {
  std::vector<ScriptObject*> detached;
  for (ScriptObject* o : Objects())
    if (!o->owner) detached.push_back(o);
  for (ScriptObject* o : detached) FreeObject(o);
}

}  // namespace npswf
