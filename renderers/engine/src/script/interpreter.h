#pragma once
// The execution loop. Script function calls push a frame onto an explicit
// frame stack instead of recursing in C++, so call depth costs no native
// stack; only a call from outside (the host, a callback) starts a new loop.

#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "renderers/engine/src/script/internal.h"

namespace swf {

class Interpreter {
 public:
  Interpreter(ScriptRuntime& R, ScriptHost& H, const Budget& B) : runtime_(R), host_(H), budget_(B) {}

  // Runs a top-level block on Target to its end. Throws ScriptAbort.
  void RunBlock(std::shared_ptr<const ActionBlock> Block, ScriptClip& Target);
  // Calls a function value and runs it to its return. Throws ScriptAbort.
  Value CallValue(const Value& Function, const Value& This, std::vector<Value> Args, ScriptClip& Clip,
                  Object* Home = nullptr);

  // Paths, evaluated as a top-level script on From would.
  Value GetPathFrom(ScriptClip& From, const std::string& Path);
  bool SetPathFrom(ScriptClip& From, const std::string& Path, const Value& V);

  // What natives ask of the run (NativeCall's helpers). Calls back into
  // script code run to their end before these return; an exception they
  // throw passes on as ScriptThrow.
  Value ToPrimitiveOf(const Value& V, bool NumberWanted = false);
  Value ConversionMethod(const Value& V, const std::string& Name);
  std::string ToStringOf(const Value& V);
  double ToNumberOf(const Value& V);
  bool ToBooleanOf(const Value& V);
  // What comparisons and logic push: 1 or 0 in SWF 4 movies, booleans after.
  Value Truth(bool B) const;
  Value MemberOf(const Value& Of, const std::string& Name);
  void SetMemberOf(const Value& Of, const std::string& Name, const Value& V);
  Value CallNested(const Value& Function, const Value& This, std::vector<Value> Args);
  Value ConstructNested(const Value& Ctor, std::vector<Value> Args);
  ScriptClip& CurrentClip();

 private:
  enum class Mode { Discard, Push, Construct, Result };
  struct Frame {
    std::shared_ptr<const ActionBlock> block;
    size_t pc = 0, end = 0;
    std::shared_ptr<const std::vector<std::string>> constants;
    std::vector<Value> registers;
    std::vector<Object*> scope;      // activations and with objects, outermost first
    std::vector<std::pair<size_t, size_t>> withs;  // [start, end) of each with object at the scope's tail
    std::vector<Value> withValues;                 // the value each with was given (a clip or an object)
    Object* activation = nullptr;    // nullptr for a top-level block
    ScriptClip* target = nullptr;    // changed by SetTarget
    ScriptClip* original = nullptr;  // the clip the block or function runs on
    bool targetLost = false;         // SetTarget named nothing: the level's root stands in
    Value thisValue;
    // How many __proto__ steps from `this` the running method was found (at
    // least 1; 0: no `super`). `super` walks `this`'s chain again on each use,
    // so a chain changed during the call is followed.
    int superDepth = 0;
    bool superAllowed = false;
    bool thisHidden = false;  // a function that keeps `this` in a register or suppresses it
    size_t stackBase = 0;
    Mode mode = Mode::Discard;
    Value constructed;
    // Try statements in progress, innermost last.
    struct TryRegion {
      const Action* action;
      size_t begin;  // the try body's first action
      size_t stack;  // values on the stack when it began
      enum class State { Try, Catch, Finally } state = State::Try;
      bool rethrow = false;  // the finally body runs on the way of an exception
      bool returning = false;  // ... or of a return; thrown then holds the result
      Value thrown;
    };
    std::vector<TryRegion> tries;
    // A call left this frame: it ends when its clip, there when it began
    // (an unload handler's is not), was removed meanwhile.
    bool haltIfRemoved = false;
    bool beganOnLiveClip = false;
  };

  // An empty frame on Clip's top level, to call or look up from.
  Frame TopFrame(ScriptClip& Clip);
  // A return inside try statements: true when a finally body runs first.
  bool ReturnThroughFinally(Frame& F, Value& Result);
  void Loop(size_t StopDepth);
  void Step(Frame& F, const Action& A);
  void Finish(Value Result);
  // Leaves try statements the frame's next action is outside of; true when
  // the frame changed (an exception passed on from a finally body).
  bool LeaveTries(Frame& F, size_t StopDepth);
  // Finds the catch or finally body for V in the frames above StopDepth,
  // ending the frames without one; throws ScriptThrow when there is none.
  void Throw(Value V, size_t StopDepth);

  // Stack.
  void Push(Value V);
  Value Pop();
  std::vector<Value> PopArgs();

  // Calls.
  // Home is the prototype the function was found on (its depth in This's
  // chain is `super`'s), or SuperDepth gives that depth directly.
  void Invoke(const Value& Function, const Value& This, std::vector<Value> Args, Mode M, Value Constructed = {},
              Object* Home = nullptr, int SuperDepth = 0);
  // The object whose members `this` means: an object, or a clip's variables.
  Object* MembersOf(const Value& V);
  // The object Depth __proto__ steps up from V's members, or nullptr.
  Object* ChainAt(const Value& V, int Depth);
  // `super` in a method: an object that looks members up above the method's
  // prototype and calls them on the method's `this`.
  Value MakeSuper(Frame& F);
  // instanceof: V's prototype chain holds Ctor's prototype, or a prototype
  // on it implements it.
  bool InstanceOf(Frame& F, const Value& V, const Value& Ctor);
  // Calls Name of Of (empty: Of itself) as the CallMethod action does.
  void CallMethod(Frame& F, const Value& Of, const Value& Name, std::vector<Value> Args);
  void Construct(const Value& Ctor, std::vector<Value> Args);
  void DefineFunction(Frame& F, const Action& A, size_t Index);

  // Variables and members.
  Value GetVariable(Frame& F, const std::string& Name);
  bool SetVariable(Frame& F, const std::string& Name, const Value& V);
  // `var` and named functions on a timeline (no function's locals): a name
  // that is a path ("/:v", "_root.o.v") defines the member it leads to.
  void DefineOnTimeline(Frame& F, const std::string& Name, const Value& V);
  void DeclareOnTimeline(Frame& F, const std::string& Name);
  // `var`: a local in a function, else on the timeline as above.
  void DefineLocal(Frame& F, const std::string& Name, const Value& V);
  void DeclareLocal(Frame& F, const std::string& Name);
  Value GetPlain(Frame& F, const std::string& Name);
  // The function CallFunction names and the `this` it runs on: the object a
  // path names ("a.b.f"), or the with object that holds the name.
  Value CalleeOf(Frame& F, const std::string& Name, Value& This);
  bool SetPlain(Frame& F, const std::string& Name, const Value& V);
  Value GetMember(Frame& F, const Value& Of, const std::string& Name);
  // Members of an object with getters, setters, watchers and read-only
  // members applied; This is what accessors and watchers are called on.
  Value GetObjectMember(Object* O, const Value& This, const std::string& Name);
  bool SetObjectMember(Object* O, const Value& This, const std::string& Name, const Value& V);
  bool SetMember(Frame& F, const Value& Of, const std::string& Name, const Value& V);
  ScriptClip* ClipOf(Frame& F, const Value& V);
  ScriptClip* TargetOf(Frame& F, const Value& V);
  // tellTarget: to a clip, or, when it names nothing, to its level's root
  // for variables while the target's own properties read as nothing.
  void Retarget(Frame& F, ScriptClip* To);
  Value ClipValue(ScriptClip* C) { return C ? Value::ClipPath(C->TargetPath()) : Value(); }
  Value GetClipProperty(ScriptClip& C, int Index);
  Object* ScopeHolding(Frame& F, const std::string& Name);
  // ---- paths (paths.cpp) ----
  // The clip variables are found on: the frame's target, or the root of its
  // level once the target was removed.
  ScriptClip& ScopeClip(Frame& F);
  // A variable of a scope object, its getter run on This; nullopt when it has none.
  std::optional<Value> ReadVariable(Object* O, const Value& This, const std::string& Name);
  // What a target path ("/a/b", "../c", "a.b", "a:b") leads to; undefined when nothing.
  Value ResolvePath(Frame& F, const std::string& Path);
  ScriptClip* PropertyTarget(Frame& F, const Value& V);
  void SkipActions(Frame& F, size_t Count);
  Value PropertyValue(int Index, const Value& V);
  // A clip reference as text: its path, or "" once nothing answers to it.
  std::string ClipText(const Value& V);
  // Where a function whose clip was removed runs: on the clip it is called
  // on, else on the root of the caller's level.
  ScriptClip* StandInHome(Frame& Caller, const Value& This);

  void Goto(Frame& F, const Value& FrameValue, ScriptClip::After Then, int Bias);
  void CallFrame(Frame& F, const Value& FrameValue);
  Value Add2(const Value& A, const Value& B);
  bool Equals2(const Value& A, const Value& B, int Depth = 0);
  Value Less2(const Value& A, const Value& B);

  ScriptRuntime& runtime_;
  ScriptHost& host_;
  const Budget& budget_;
  std::deque<Frame> frames_;  // a deque: a frame stays where it is while calls push others
  std::vector<Value> stack_;
  uint64_t actions_ = 0;
  Value result_;
  std::optional<Value> heldThrow_;  // thrown by a conversion method's getter, raised when its action ends

  // ---- path lookups for the host (GetPathFrom, SetPathFrom) ----
  // Runs Use on a frame of From's pushed for the lookup, popped after.
  template <typename Fn>
  auto WithPathFrame(ScriptClip& From, Fn Use);
  // ---- addProperty accessors ----
  // The accessors running, by the object and member name they run for.
  // Before SWF 7 a member's accessor does not run again inside itself; from
  // SWF 7 accessors nest up to kAccessorDepth deep. One that may not run
  // reads the member's kept value, or leaves a write unheard.
  static constexpr size_t kAccessorDepth = 65;
  std::vector<std::pair<const Object*, std::string>> runningAccessors_;
  bool AccessorMayRun(const Object* O, const std::string& Name) const;
  Value RunAccessor(Object* Fn, const Object* O, const std::string& Name, const Value& This,
                    std::vector<Value> Args, Object* Holder);
};

// Frame runs for a frame's Call action are decoded on the spot; so are the blocks RunActions gets.
Value ToPrimitive(const Value& V);

}  // namespace swf
