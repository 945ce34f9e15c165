#pragma once
// Parts of the interpreter shared between its files.

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "renderers/engine/script.h"

namespace swf {

// A function a script defined: its code in the block it came from, and what
// it closes over.
struct ScriptFunction {
  std::shared_ptr<const ActionBlock> block;
  size_t begin = 0, end = 0;                 // its body's actions
  std::shared_ptr<const FunctionDef> def;
  std::vector<Object*> scope;                // enclosing activations and with objects, outermost first
  std::string clipPath;                      // the clip it was defined on
  std::shared_ptr<const std::vector<std::string>> constants;  // the constant pool at definition
};

// An aborted run (budget, stack, nesting); the message follows "script aborted: ".
struct ScriptAbort {
  std::string reason;
};

// Work done inside conversions and member updates (array joins, truncation)
// that one action can cause; the interpreter charges it to the run's budget.
void ChargeWork(uint64_t Units);
uint64_t TakeWork();

// A native constructor that refuses its arguments (a BitmapData too large)
// calls RefuseInstance: the `new` running it then gives undefined instead
// of the object. TakeRefusedInstance reads and clears the mark.
void RefuseInstance();
bool TakeRefusedInstance();

// A number as a 32-bit signed integer, wrapping (NaN and infinities are 0).
int32_t WrapInt32(double V);
// Arrays: the length member and element names.
double ArrayLength(const Object& A);
std::string JoinArray(const Object& A, const std::string& Separator, int Depth = 0);
void InstallBuiltins(ScriptRuntime& R);
// A constructor function installed in _global as Name, with Prototype as
// its prototype member and the prototype's constructor (the runtime's
// built-in prototype of that name unless one is set already).
Object* InstallClass(ScriptRuntime& R, const std::string& Name, Object* Prototype, NativeFunction Constructor);

// The built-in library, a file each.
void InstallObject(ScriptRuntime& R);             // builtins_object.cpp: Object, ASSetPropFlags
void InstallFunction(ScriptRuntime& R);           // builtins_object.cpp: Function, call, apply
void InstallPrimitiveClasses(ScriptRuntime& R);   // builtins_primitives.cpp: Boolean, Number
void InstallString(ScriptRuntime& R);             // builtins_string.cpp
void InstallMath(ScriptRuntime& R);               // builtins_math.cpp
void InstallGlobalFunctions(ScriptRuntime& R);    // builtins_globals.cpp: parseInt, escape, isNaN, ...
void InstallBroadcaster(ScriptRuntime& R);        // builtins_globals.cpp: AsBroadcaster
void InstallArray(ScriptRuntime& R);              // builtins_array.cpp
void InstallMovieClip(ScriptRuntime& R);          // builtins_movieclip.cpp
void InstallDate(ScriptRuntime& R);               // builtins_date.cpp
void InstallTimers(ScriptRuntime& R);             // builtins_timers.cpp: setInterval, setTimeout, getTimer
void InstallSystemObjects(ScriptRuntime& R);      // builtins_system.cpp: System, Key, Mouse, Stage, SharedObject, ...
void InstallXml(ScriptRuntime& R);                // builtins_xml.cpp: XML, XMLNode
void InstallLoadVars(ScriptRuntime& R);           // builtins_loadvars.cpp
void InstallMovieClipLoader(ScriptRuntime& R);    // builtins_movieclip_loader.cpp
void InstallGeometry(ScriptRuntime& R);           // builtins_geometry.cpp: flash.geom
void InstallTextClasses(ScriptRuntime& R);        // builtins_text.cpp: TextField, TextFormat
void InstallStyleSheet(ScriptRuntime& R, Object* TextFieldClass);  // builtins_style_sheet.cpp: TextField.StyleSheet
void InstallMediaStubs(ScriptRuntime& R);         // builtins_media.cpp: Color, Sound, ...
void InstallPrintJob(ScriptRuntime& R);           // builtins_print_job.cpp
void InstallFileReferences(ScriptRuntime& R);     // builtins_file_reference.cpp: flash.net.FileReference(List)
// ---- packages (builtins_external.cpp) ----
// The package object at a dotted path under _global ("flash.geom"), made
// when missing.
Object* Package(ScriptRuntime& R, const std::string& Path);
void InstallExternalInterface(ScriptRuntime& R);  // builtins_external.cpp: flash.external.ExternalInterface
void InstallBitmapData(ScriptRuntime& R);         // builtins_bitmapdata.cpp: flash.display.BitmapData
void InstallDrawing(ScriptRuntime& R);            // builtins_drawing.cpp: MovieClip's moveTo, lineTo, beginFill, ...
// builtins_classes.cpp: Error, and the classes movies find by name that have nothing behind them yet (last).
void InstallButton(ScriptRuntime& R);            // builtins_button.cpp
void InstallVideo(ScriptRuntime& R);             // builtins_video.cpp
void InstallClassStubs(ScriptRuntime& R);
// native_table.cpp: ASnative and ASSetNative, the built-in methods by number (after the library).
void InstallNativeTable(ScriptRuntime& R);
// ASSetPropFlags' version bits: a member with one of them set is hidden
// from movies of the versions it names (128: SWF 5, 256: SWF 6, 1024: up
// to 6, 4096: up to 7, 8192: up to 8, 16384: up to 9). A hidden member
// reads as undefined and is written as if it were not there.
constexpr uint16_t kVersionFlags = 128 | 256 | 1024 | 4096 | 8192 | 16384;
uint16_t HiddenFlags(int SwfVersion);

// Shared by the built-in classes.
// An object wrapping a boolean, number or string (new Number(5), Object("a")).
Value WrapPrimitive(ScriptRuntime& R, const Value& V);
// Whether O is a Date (builtins_date.cpp): from SWF 6 the operators take its toString.
bool IsDateObject(const Object& O);
// ASnative(200, Index): a function of Math by its native number (builtins_math.cpp).
Value MathNative(ScriptRuntime& R, double Index);
// The length of a string as scripts see it: in UTF-16 units (builtins_string.cpp).
double StringLength(const std::string& S);
// Makes O (a new object) the wrapper of V.
void MakeWrapper(Object* O, const Value& V);
// The primitive a Boolean, Number or String object wraps; nullopt for other objects.
std::optional<Value> WrappedPrimitive(const Object* O);
// True while a native constructor runs for `new` (its this is the object new made).
bool IsConstructing(const NativeCall& C);
// Object.registerClass: library symbol names to the constructors movies
// registered for them (members of a pinned object; empty until a movie
// registers one). attachMovie gives a new clip of a registered symbol the
// constructor's prototype and runs the constructor on it.
// Each SWF version has its own table (names caseless before SWF 7): a
// movie loaded from another version neither sees nor replaces the classes
// registered by the first. Version -1: the runtime's own.
Object* RegisteredClasses(ScriptRuntime& R, int SwfVersion = -1);
Value RegisteredClass(ScriptRuntime& R, const std::string& Symbol, int SwfVersion = -1);
void InstallColor(ScriptRuntime& R);              // builtins_color.cpp (from InstallGeometry)
void InstallTransform(ScriptRuntime& R);          // builtins_transform.cpp (from InstallGeometry)
// ---- registered classes on clips (builtins_movieclip.cpp) ----
// A clip takes the class registered for its linkage name: its prototype,
// then the constructor called on it. Nothing when no class is registered.
// Call is how to call the constructor (from a native or from the player).
void ApplyRegisteredClass(ScriptRuntime& R, ScriptClip& Clip,
                          const std::function<void(const Value& Ctor, const Value& This)>& Call);

// The property index of a name such as "_x", or -1.
int PropertyIndex(const std::string& Name);

}  // namespace swf
