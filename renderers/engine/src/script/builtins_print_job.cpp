// PrintJob. The engine prints nothing: a job never starts, so its page and
// paper sizes stay 0 and its methods report failure.

#include "renderers/engine/src/script/internal.h"

namespace swf {

void InstallPrintJob(ScriptRuntime& R) {
  if (R.SwfVersion() < 6) return;
  Object* proto = R.NewObject();
  // A SWF 6 movie gets a bare prototype, outside Object's chain: a job has
  // no toString there and traces as [type Object].
  if (R.SwfVersion() < 7) proto->prototype = nullptr;
  InstallClass(R, "PrintJob", proto, [](NativeCall&) { return Value(); });
  // The sizes are read-only members of the prototype, listed by for..in.
  for (const char* name : {"paperHeight", "paperWidth", "pageHeight", "pageWidth", "orientation"}) {
    Object* get = R.NewNative([](NativeCall&) { return Value::Number(0); });
    Object* set = R.NewNative([](NativeCall&) { return Value(); });
    proto->DefineAccessor(name, get, set);
  }
  if (R.SwfVersion() < 7) return;  // SWF 6 movies see the sizes only
  // No printer answers: start fails, and pages cannot be added to a job
  // that never started.
  R.Method(proto, "start", [](NativeCall&) { return Value::Bool(false); });
  R.Method(proto, "addPage", [](NativeCall&) { return Value::Bool(false); });
  R.Method(proto, "send", [](NativeCall&) { return Value(); });
}

}  // namespace swf
