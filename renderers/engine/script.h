#pragma once
// The script interpreter: values, objects, the clips and the host a script
// talks to, and the runtime that runs decoded action blocks under a budget.
// Portable.
//
// Objects live in the runtime's heap and are collected (mark and sweep)
// between runs. What must survive a collection is reachable from _global, a
// rooted handle (RootedObject, RootedValue) or a registered callback; a plain
// Value kept outside the runtime does not keep its object alive.
//
// Clips are owned by the integrator. A clip reference stored in a value is
// its target path ("_level0.a.b") and is looked up again on use, so a value
// never dangles; a clip a script runs on must stay alive until the run ends.

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "renderers/engine/actions.h"

namespace swf {

class Object;
class ScriptClip;
class ScriptHost;
class ScriptRuntime;

class Value {
 public:
  enum class Type : uint8_t { Undefined, Null, Boolean, Number, String, Object, Clip };

  Value() = default;
  static Value Null() { return Value(Type::Null); }
  static Value Bool(bool B) {
    Value v(Type::Boolean);
    v.number_ = B ? 1 : 0;
    return v;
  }
  static Value Number(double N) {
    Value v(Type::Number);
    v.number_ = N;
    return v;
  }
  static Value String(std::string S) {
    Value v(Type::String);
    v.string_ = std::move(S);
    return v;
  }
  static Value Obj(Object* O) {
    if (!O) return Null();
    Value v(Type::Object);
    v.object_ = O;
    return v;
  }
  // A clip by its absolute target path ("_level0.a.b").
  static Value ClipPath(std::string Path) {
    Value v(Type::Clip);
    v.string_ = std::move(Path);
    return v;
  }

  Type type() const { return type_; }
  bool IsUndefined() const { return type_ == Type::Undefined; }
  bool IsNull() const { return type_ == Type::Null; }
  bool IsNumber() const { return type_ == Type::Number; }
  bool IsString() const { return type_ == Type::String; }
  bool IsObject() const { return type_ == Type::Object; }
  bool IsClip() const { return type_ == Type::Clip; }
  bool IsFunction() const;

  bool boolean() const { return number_ != 0; }        // Boolean
  double number() const { return number_; }            // Number, Boolean
  const std::string& string() const { return string_; }  // String; Clip: its path
  Object* object() const { return object_; }           // Object

  // Conversions as ActionScript (SWF 7 and later) makes them. ToString of
  // an object gives "[object Object]", of an array its elements joined with
  // commas, of a function "[type Function]", of a clip its target path.
  double ToNumber() const;
  std::string ToString() const;
  bool ToBoolean() const;
  std::string TypeOf() const;  // "undefined", "null", "boolean", "number", "string", "object", "function", "movieclip"

  friend bool operator==(const Value& A, const Value& B);  // strict equality; NaN differs from itself

 private:
  explicit Value(Type T) : type_(T) {}
  Type type_ = Type::Undefined;
  double number_ = 0;
  std::string string_;
  Object* object_ = nullptr;
};

// A number as ActionScript prints it: "1", "0.5", "-3.25", "1e+21", "NaN", "Infinity".
std::string NumberToString(double N);
// A string as SWF 4 movies read it as a number: the decimal number it
// starts with ("150a" is 150), 0 when it starts with none.
double LeadingNumber(const std::string& S);
// A string as ActionScript reads it as a number: blanks around it allowed,
// decimal, 0x hexadecimal, or from SWF 6 octal with a leading zero; "" and
// anything else is NaN.
double StringToNumber(const std::string& S, int Version = 8);

class Interpreter;

// What a native function receives, and what it may ask of the running
// script: conversions that call valueOf and toString, member access that
// runs getters and setters, calls back into script code, and throwing.
struct NativeCall {
  ScriptRuntime& runtime;
  ScriptHost& host;
  ScriptClip& clip;  // the clip the calling script runs on
  Value thisValue;
  std::vector<Value> args;
  Interpreter* interpreter = nullptr;  // the run in progress

  Value Arg(size_t I) const { return I < args.size() ? args[I] : Value(); }
  // The object `this` is, or nullptr (a primitive, a clip or nothing).
  Object* ThisObject() const;

  std::string ToString(const Value& V);
  double ToNumber(const Value& V);
  Value ToPrimitive(const Value& V);  // objects: valueOf, then toString
  Value Get(const Value& Of, const std::string& Name);
  void Set(const Value& Of, const std::string& Name, const Value& V);
  Value Call(const Value& Function, const Value& This, std::vector<Value> Args);
  Value Construct(const Value& Constructor, std::vector<Value> Args);
  [[noreturn]] void Throw(const Value& V);
};
using NativeFunction = std::function<Value(NativeCall&)>;

struct ScriptFunction;  // a function defined by a script (internal)

// Attributes of a member, as ASSetPropFlags sets them.
enum PropertyFlags : uint8_t {
  kDontEnum = 1,
  kDontDelete = 2,
  kReadOnly = 4,
};

// Data a built-in class keeps inside its instances (a date's time, a
// wrapped primitive, an XML node's links). Objects it refers to are named
// to the collector by References.
class NativeData {
 public:
  virtual ~NativeData() = default;
  virtual void References(std::vector<Object*>& /*Out*/) const {}
};

// One member of an object.
struct Property {
  Value value;
  Object* getter = nullptr;  // addProperty: both set, or neither
  Object* setter = nullptr;
  uint16_t flags = 0;        // PropertyFlags, and ASSetPropFlags' version bits (HiddenFlags in internal.h)
  uint32_t order = 0;        // when it was created, in the object's count
  std::string name;          // as first spelled
};

// An object: named members in the order they were created (an array keeps
// its elements as members "0", "1", ... and a `length`), an optional
// prototype (`__proto__`), and for a function its code or native. Before
// SWF 7 names are matched without regard to case.
class Object {
 public:
  Object();
  ~Object();
  Object(const Object&) = delete;
  Object& operator=(const Object&) = delete;

  // Own member or undefined (getters are not called; "__proto__" is the prototype).
  Value Get(const std::string& Name) const;
  bool Has(const std::string& Name) const;
  // Own member, then the prototype chain (getters not called).
  std::optional<Value> Find(const std::string& Name) const;
  // The member and the object holding it, own first, then the chain.
  const Property* FindProperty(const std::string& Name, const Object** Holder = nullptr) const;
  Property* OwnProperty(const std::string& Name);
  const Property* OwnProperty(const std::string& Name) const;
  // Sets the own member's value, creating it with no flags when missing
  // (read-only and setters are the interpreter's business).
  void Set(const std::string& Name, Value V);
  // Creates or replaces the own member with these flags.
  void Define(const std::string& Name, Value V, uint8_t Flags = 0);
  // addProperty: a member whose reads and writes call functions.
  void DefineAccessor(const std::string& Name, Object* Getter, Object* Setter, uint8_t Flags = 0);
  // ASSetPropFlags on one own member; false when missing.
  bool SetFlags(const std::string& Name, uint16_t Set, uint16_t Clear);
  // False when missing or not deletable.
  bool Delete(const std::string& Name);
  // Own member names in creation order; hidden (kDontEnum) ones only when asked.
  std::vector<std::string> Keys(bool IncludeHidden = false) const;
  // Own enumerable members with their values, in creation order.
  std::vector<std::pair<std::string, Value>> OwnValues() const;
  size_t Size() const { return members_.size(); }

  bool isArray = false;
  bool caseless = false;  // names match regardless of case (movies before SWF 7)
  Object* prototype = nullptr;
  NativeFunction native;
  std::unique_ptr<ScriptFunction> function;
  std::unique_ptr<NativeData> data;
  // On a class's prototype: the prototypes of the interfaces the class
  // implements (ImplementsOp), which instanceof also accepts.
  std::vector<Object*> interfaces;
  // Object.watch: by member name, the callback and its data.
  std::unique_ptr<std::map<std::string, std::pair<Object*, Value>>> watchers;
  bool IsFunction() const { return native || function; }

  // ---- __proto__ set to something other than an object ----
  // What a script stored in __proto__ when it is no object (a number, a
  // string, null, a clip): read back as it was, while the chain ends here.
  Value protoValue;
  // Whether Name is "__proto__" as this object matches names (any case
  // before SWF 7).
  bool NamesProto(const std::string& Name) const;

 private:
  friend class ScriptRuntime;
  std::string Key(const std::string& Name) const;
  Property& Slot(const std::string& Name);
  void SetArrayLength(int32_t N);  // arrays: the length member and the elements it cuts off
  std::map<std::string, Property> members_;  // by Key(name)
  uint32_t nextOrder_ = 0;
  bool marked_ = false;
};

// An exception a script threw, on its way to a catch.
struct ScriptThrow {
  Value value;
};

// A movie clip as scripts see it: the root of a level, or a sprite instance.
class ScriptClip {
 public:
  virtual ~ScriptClip() = default;
  virtual ScriptClip* Parent() = 0;                       // nullptr for the root of a level
  virtual ScriptClip* Child(const std::string& Name) = 0;  // a child instance by name, or nullptr
  virtual ScriptClip* Level(int N) = 0;                   // the root of level N, or nullptr
  virtual int LevelNumber() = 0;                          // for the root of a level: its number
  virtual std::string Name() = 0;                         // the instance name ("" for a root)
  // The clip's variables: an object from ScriptRuntime::NewClipObject that
  // the clip keeps for its lifetime.
  virtual Object* Variables() = 0;

  enum class After { Keep, Play, Stop };
  virtual void Play() = 0;
  virtual void Stop() = 0;
  virtual void NextFrame() = 0;
  virtual void PrevFrame() = 0;
  virtual void GotoFrame(int Index, After Then) = 0;                  // Index from 0
  virtual bool GotoLabel(const std::string& Label, After Then) = 0;  // false: no such label
  virtual int CurrentFrame() = 0;                                   // from 1
  virtual int TotalFrames() = 0;
  // Properties by their index (0 _x, 1 _y, 2 _xscale, 3 _yscale, 4 _currentframe, 5 _totalframes,
  // 6 _alpha, 7 _visible, 8 _width, 9 _height, 10 _rotation, 11 _target, 12 _framesloaded, 13 _name,
  // 14 _droptarget, 15 _url, 16 _highquality, 17 _focusrect, 18 _soundbuftime, 19 _quality,
  // 20 _xmouse, 21 _ymouse). _target, _name, _currentframe and _totalframes are answered by the
  // runtime; the others come here.
  virtual Value GetProperty(int Index) = 0;
  virtual void SetProperty(int Index, const Value& V) = 0;
  // The action blocks of a frame (for the Call action): by number from 1 or label.
  virtual std::vector<std::vector<uint8_t>> FrameActions(const Value& /*Frame*/) { return {}; }
  virtual void CloneSprite(const std::string& /*Target*/, const std::string& /*NewName*/, int /*Depth*/) {}
  virtual void RemoveSprite(const std::string& /*Target*/) {}

  // A text field instance (typeof "object", its variables' prototype
  // TextField.prototype) rather than a movie clip.
  virtual bool IsTextField() { return false; }

  // ---- text fields (createTextField) ----
  // Makes a text field instance named Name at Depth (as scripts number
  // depths) in this clip, W x H pixels with its corner at (X, Y); the new
  // field, or nullptr when this clip cannot hold one.
  virtual ScriptClip* CreateTextField(const std::string& /*Name*/, int /*Depth*/, double /*X*/, double /*Y*/,
                                      double /*W*/, double /*H*/) {
    return nullptr;
  }
  // The characters of the static text this clip shows, in depth order
  // (TextSnapshot).
  virtual std::string StaticText() { return {}; }

  // ---- the clip's placement, for Color and flash.geom.Transform ----
  // The matrix in pixels (x' = a*x + c*y + tx) and the colour transform
  // (channel' = channel * mult + add, mult 1 and add 0 leaving it as it is)
  // the clip is placed with. A level's root answers the identity and ignores
  // changes.
  struct PlacementMatrix {
    double a = 1, b = 0, c = 0, d = 1, tx = 0, ty = 0;
  };
  struct PlacementColor {
    double mult[4] = {1, 1, 1, 1};  // red, green, blue, alpha
    double add[4] = {0, 0, 0, 0};
  };
  virtual PlacementMatrix GetMatrix() { return {}; }
  virtual void SetMatrix(const PlacementMatrix& /*M*/) {}
  virtual PlacementColor GetColorTransform() { return {}; }
  virtual void SetColorTransform(const PlacementColor& /*C*/) {}
  // ---- the display list as MovieClip methods change it ----
  // Depths as scripts count them (the timeline's from -16384). Each answers
  // nothing (nullptr, false, nullopt) where the clip cannot do it.
  virtual ScriptClip* AttachMovie(const std::string& /*Linkage*/, const std::string& /*Name*/, int /*Depth*/) {
    return nullptr;
  }
  virtual ScriptClip* CreateEmptyClip(const std::string& /*Name*/, int /*Depth*/) { return nullptr; }
  virtual ScriptClip* Duplicate(const std::string& /*Name*/, int /*Depth*/) { return nullptr; }
  virtual bool Remove() { return false; }  // a clip a script placed (depth >= 0)
  virtual std::optional<int> Depth() { return std::nullopt; }
  virtual void SwapDepths(int /*Depth*/) {}
  virtual int NextHighestDepth() { return 0; }
  virtual ScriptClip* InstanceAtDepth(int /*Depth*/) { return nullptr; }
  // The clip's frame to the stage (twips), a..d then tx, ty; nullopt when gone.
  virtual std::optional<std::array<double, 6>> ToStage() { return std::nullopt; }
  // What the clip shows, in its own twips: xMin, yMin, xMax, yMax; nullopt
  // when it shows nothing.
  virtual std::optional<std::array<double, 4>> LocalBounds() { return std::nullopt; }
  // Whether the stage point (twips) hits what the clip shows: its bounds, or
  // with ShapeFlag its shapes.
  virtual bool HitTest(double /*X*/, double /*Y*/, bool /*ShapeFlag*/) { return false; }
  virtual int SwfVersion() { return -1; }
  virtual double BytesTotal() { return 0; }
  // The name the clip's character is exported under ("" for none).
  virtual std::string LinkageName() { return ""; }
  // True the first time only: the clip is yet to take its registered class
  // and run its initialising events; from now on it counts as done.
  virtual bool BeginConstruction() { return false; }
  // Properties of a clip beyond the indexed ones (enabled, useHandCursor,
  // blendMode, _lockroot, ...): nullopt / false for a name that is not one.
  virtual std::optional<Value> DisplayProperty(const std::string& /*Name*/) { return std::nullopt; }
  virtual bool SetDisplayProperty(const std::string& /*Name*/, const Value& /*V*/) { return false; }

  // ---- library sounds, for Sound.attachSound ----
  // The length in milliseconds of the sound exported as Linkage from the
  // clip's movie; nullopt when no sound has that name.
  virtual std::optional<double> LibrarySoundLength(const std::string& /*Linkage*/) { return std::nullopt; }

  ScriptClip* Root();              // the root of this clip's level
  std::string TargetPath();        // "_level0.a.b"
  std::string SlashPath();         // "/a/b" ("/" for a root)

  // ---- buttons ----
  // A button instance (typeof "object", its variables' prototype
  // Button.prototype) rather than a movie clip.
  virtual bool IsButton() { return false; }

  // ---- video instances ----
  // A video instance (typeof "object", its variables' prototype
  // Video.prototype) rather than a movie clip.
  virtual bool IsVideo() { return false; }

  // ---- removed clips, for the scripts still running on them ----
  // True once the clip's instance has left the display list: scripts on it
  // find variables on its level's root, and a block on it ends after a call.
  virtual bool Removed() { return false; }

  // ---- for..in over a clip ----
  // The names of the child clips and text fields, in depth order: for..in
  // gives them after the clip's own variables.
  virtual std::vector<std::string> ChildNames() { return {}; }
};

// A get-URL action as the host sees it. FSCommands arrive here too: a URL
// "FSCommand:cmd" with target "args" is the fscommand("cmd", "args") a
// compiler emits (the integrator maps it to the host's FSCommand call).
struct UrlRequest {
  std::string url;
  std::string target;     // a window name, "_levelN", or with loadTarget the path of a clip
  int method = 0;         // 0 none, 1 GET, 2 POST: send the clip's variables
  bool loadTarget = false;     // GetURL2: the target is a clip (loadMovie into a clip)
  bool loadVariables = false;  // GetURL2: load variables (loadVariables)
  ScriptClip* from = nullptr;  // the clip the script runs on
};

// What a script asks of the world outside the movie.
class ScriptHost {
 public:
  virtual ~ScriptHost() = default;
  virtual void GetURL(const UrlRequest& Request) = 0;
  // ExternalInterface.call(name, args...): the host's answer is the call's value.
  virtual Value CallExternal(const std::string& Name, const std::vector<Value>& Args) = 0;
  // ExternalInterface.addCallback(name, thisObject, function). The runtime
  // keeps the pair alive; call it with ScriptRuntime::CallCallback.
  virtual void AddCallback(const std::string& Name, const Value& ThisObject, const Value& Function) = 0;
  virtual void Trace(const std::string& Text) = 0;
  virtual void Log(const std::string& Text) = 0;

  // ---- data loads (XML.load, LoadVars.load, sendAndLoad) ----
  // Fetches Url (Method "GET" or "POST", Body the posted text) for Receiver.
  // When it ends the host calls Receiver.onData with the text, or with
  // undefined when it failed, and keeps Receiver alive until then. The
  // default never answers.
  virtual void LoadData(const std::string& /*Url*/, const std::string& /*Method*/, const std::string& /*Body*/,
                        Object* /*Receiver*/) {}

  // ---- the clock (Date) ----
  // The time now, in milliseconds since 1970-01-01 UTC: the system clock unless the host says otherwise.
  virtual double Now();
  // Local time minus UTC at a moment, in milliseconds: 0 (UTC) unless the
  // host says otherwise, so that what scripts print does not depend on the machine.
  virtual double LocalTimeOffsetMs(double /*UtcMs*/) { return 0; }

  // ---- MovieClipLoader (loadClip, unloadClip) ----
  // Loads Url into Target (a clip's target path, or "_levelN") for Loader:
  // the host calls Loader.broadcastMessage with onLoadStart, onLoadProgress,
  // onLoadComplete and, once the movie's first frame has run, onLoadInit, or
  // with onLoadError, and keeps Loader alive until then. False when nothing
  // was started (the default).
  virtual bool LoadClip(const std::string& /*Url*/, const std::string& /*Target*/, Object* /*Loader*/) {
    return false;
  }
  // Empties the clip at Target (a level goes) and drops the loads into it
  // still in flight. False when there is no such clip.
  virtual bool UnloadClip(const std::string& /*Target*/) { return false; }
};

// Limits of one run (a frame's scripts, a button's actions, a call from the host).
struct Budget {
  uint64_t maxActions = 1000000;
  uint32_t maxCallDepth = 256;
  size_t maxStack = 100000;           // values on the operand stack
  size_t maxStringLength = 1u << 20;  // bytes in one string
  size_t maxObjects = 1u << 20;       // live objects in the heap
};

// Keeps one object alive across collections while the handle lives. The
// handle must not outlive its runtime.
class RootedObject {
 public:
  RootedObject() = default;
  RootedObject(ScriptRuntime& R, Object* O);
  RootedObject(RootedObject&& Other) noexcept;
  RootedObject& operator=(RootedObject&& Other) noexcept;
  ~RootedObject();
  Object* get() const { return object_; }
  Object* operator->() const { return object_; }

 private:
  ScriptRuntime* runtime_ = nullptr;
  Object* object_ = nullptr;
};

class RootedValue {
 public:
  RootedValue() = default;
  RootedValue(ScriptRuntime& R, Value V)
      : value_(std::move(V)), root_(value_.IsObject() ? RootedObject(R, value_.object()) : RootedObject()) {}
  const Value& get() const { return value_; }

 private:
  Value value_;
  RootedObject root_;
};

class ScriptRuntime {
 public:
  explicit ScriptRuntime(int SwfVersion = 8);
  ~ScriptRuntime();
  ScriptRuntime(const ScriptRuntime&) = delete;
  ScriptRuntime& operator=(const ScriptRuntime&) = delete;

  // Runs a block on Target. A damaged block is logged ("script damaged:
  // ...") and runs up to its damage; a run that exceeds the budget stops with
  // the log line "script aborted: ..." and returns false.
  bool RunActions(const uint8_t* Data, size_t Size, ScriptClip& Target, ScriptHost& Host, const Budget& Limits = {});
  bool RunActions(std::shared_ptr<const ActionBlock> Block, ScriptClip& Target, ScriptHost& Host,
                  const Budget& Limits = {});
  // Calls a function value (script or native) with this and arguments; the
  // result, or undefined when the call fails or is aborted (logged).
  Value CallFunction(const Value& Function, const Value& This, const std::vector<Value>& Args, ScriptClip& Clip,
                     ScriptHost& Host, const Budget& Limits = {});
  // Calls what ExternalInterface.addCallback registered under Name; nullopt
  // when nothing is registered.
  std::optional<Value> CallCallback(const std::string& Name, const std::vector<Value>& Args, ScriptClip& Clip,
                                    ScriptHost& Host, const Budget& Limits = {});

  // What ExternalInterface.addCallback does besides telling the host.
  void RegisterCallback(const std::string& Name, const Value& This, const Value& Function) {
    callbacks_[Name] = {This, Function};
  }

  // Variables by path as movies name them: "x", "flv.skin", "_root.a", "/clip:var", "/:var",
  // "_level0.a", "this", "_parent.x", "_global.g". A path naming a clip gives the clip.
  Value GetVariablePath(ScriptClip& From, const std::string& Path);
  // False when the path's clip or object does not exist.
  bool SetVariablePath(ScriptClip& From, const std::string& Path, const Value& V);
  // A clip by target: "" (From), "/a/b", "../b", "a/b", "_root.a", "_level1", "this", "_parent".
  ScriptClip* ResolveTarget(ScriptClip& From, const std::string& Target);

  Object* Global() const { return global_; }
  // A new object (its prototype Object.prototype), array (Array.prototype)
  // or native function (Function.prototype) in the heap, unrooted: keep it
  // reachable or root it.
  Object* NewObject();
  Object* NewArray(const std::vector<Value>& Elements);
  Object* NewNative(NativeFunction F);
  // A native function installed as Owner's hidden member Name.
  Object* Method(Object* Owner, const std::string& Name, NativeFunction F, uint8_t Flags = kDontEnum);
  RootedObject NewRootedObject() { return RootedObject(*this, NewObject()); }
  // The variables of a clip: an object whose prototype is MovieClip.prototype.
  RootedObject NewClipObject();

  // The prototypes of the built-in classes ("Object", "Function", "Array",
  // "String", "MovieClip", ...) as the runtime installed them, whatever a
  // movie later does to _global; nullptr for a class not installed.
  Object* BuiltinPrototype(const std::string& Class) const;
  void SetBuiltinPrototype(const std::string& Class, Object* Prototype);

  // Collects unreachable objects now (only between runs; ignored during one).
  void Collect();
  size_t ObjectCount() const { return heap_.size(); }
  int SwfVersion() const { return version_; }

  // ---- timers (setInterval, setTimeout) and the movie's clock; builtins_timers.cpp ----
  // Runs the intervals and timeouts due by NowMs, the movie's own clock in
  // milliseconds from its start, each at most once and earliest first, on
  // the clips that set them (Root when those are gone).
  void RunTimers(double NowMs, ScriptClip& Root, ScriptHost& Host, const Budget& Limits = {});
  // The movie's clock as RunTimers last set it (getTimer).
  double ClockMs() const { return clockMs_; }

 private:
  double clockMs_ = 0;
  friend class RootedObject;
  friend class Interpreter;
  void Pin(Object* O) { ++pins_[O]; }
  void Unpin(Object* O);
  void Mark(const Value& V, std::vector<Object*>& Work);
  void MaybeCollect();

  int version_;
  std::vector<std::unique_ptr<Object>> heap_;
  std::map<Object*, int> pins_;
  std::map<std::string, std::pair<Value, Value>> callbacks_;
  Object* global_ = nullptr;
  std::map<std::string, Object*> prototypes_;  // of the built-in classes, pinned
  Object* objectProto_ = nullptr;  // the most used of them
  Object* functionProto_ = nullptr;
  Object* arrayProto_ = nullptr;
  Object* clipProto_ = nullptr;
  const Budget* budget_ = nullptr;  // of the outermost run in progress
  int running_ = 0;  // nested runs in progress
  size_t liveAfterCollect_ = 0;
  uint32_t random_ = 0x2545F491;
  friend void InstallBuiltins(ScriptRuntime&);

 public:
  // The timers set and not yet cleared (builtins_timers.cpp keeps them
  // here); last, so that it lets go of its object before the heap goes.
  RootedObject timers;
};

}  // namespace swf
