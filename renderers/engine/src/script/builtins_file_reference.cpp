// flash.net.FileReference and flash.net.FileReferenceList. The engine shows
// no file dialog and sends nothing: browse and download answer as the
// player does when its dialog opens, and since no one picks a file, no
// selection, upload or progress event follows. Each object broadcasts its
// events to the listeners added with addListener, as AsBroadcaster's do.

#include "renderers/engine/src/script/internal.h"

namespace swf {
namespace {

// Makes Self a broadcaster with AsBroadcaster's own methods and an empty
// _listeners list.
void InitializeBroadcaster(NativeCall& C, Object* Self) {
  const Value ab = C.runtime.Global()->Get("AsBroadcaster");
  if (!ab.IsObject()) return;
  C.Call(C.Get(ab, "initialize"), ab, {Value::Obj(Self)});
}

// The file's details read as undefined until a file is picked.
void FileMembers(ScriptRuntime& R, Object* Proto) {
  for (const char* name : {"creationDate", "creator", "modificationDate", "name", "size", "type"}) {
    Object* get = R.NewNative([](NativeCall&) { return Value(); });
    Object* set = R.NewNative([](NativeCall&) { return Value(); });
    Proto->DefineAccessor(name, get, set, kDontEnum);
  }
}

// browse([typeList]): true when the dialog would open. A type list, when
// given, must be an array of filters.
Value Browse(NativeCall& C) {
  if (!C.ThisObject()) return Value::Bool(false);
  const Value types = C.Arg(0);
  if (!types.IsUndefined() && !(types.IsObject() && types.object()->isArray)) return Value::Bool(false);
  return Value::Bool(true);
}

void InstallFileReference(ScriptRuntime& R, Object* Package) {
  Object* proto = R.NewObject();
  Object* ctor = R.NewNative([](NativeCall& C) {
    if (Object* self = C.ThisObject()) InitializeBroadcaster(C, self);
    return Value();
  });
  ctor->Define("prototype", Value::Obj(proto), kDontEnum);
  proto->Define("constructor", Value::Obj(ctor), kDontEnum);
  FileMembers(R, proto);
  Object* postData = R.NewNative([](NativeCall&) { return Value(); });
  proto->DefineAccessor("postData", postData, R.NewNative([](NativeCall&) { return Value(); }), kDontEnum);
  R.Method(proto, "browse", Browse);
  // download(url[, defaultName]): the save dialog would open for a URL.
  R.Method(proto, "download", [](NativeCall& C) {
    if (!C.ThisObject() || C.args.empty()) return Value::Bool(false);
    return Value::Bool(!C.ToString(C.args[0]).empty());
  });
  // upload(url): nothing was picked to send.
  R.Method(proto, "upload", [](NativeCall&) { return Value::Bool(false); });
  R.Method(proto, "cancel", [](NativeCall&) { return Value(); });
  Package->Set("FileReference", Value::Obj(ctor));
}

void InstallFileReferenceList(ScriptRuntime& R, Object* Package) {
  Object* proto = R.NewObject();
  Object* ctor = R.NewNative([](NativeCall& C) {
    if (Object* self = C.ThisObject()) InitializeBroadcaster(C, self);
    return Value();
  });
  ctor->Define("prototype", Value::Obj(proto), kDontEnum);
  proto->Define("constructor", Value::Obj(ctor), kDontEnum);
  R.Method(proto, "browse", Browse);
  Package->Set("FileReferenceList", Value::Obj(ctor));
}

}  // namespace

void InstallFileReferences(ScriptRuntime& R) {
  if (R.SwfVersion() < 8) return;
  Object* net = Package(R, "flash.net");
  InstallFileReference(R, net);
  InstallFileReferenceList(R, net);
}

}  // namespace swf
