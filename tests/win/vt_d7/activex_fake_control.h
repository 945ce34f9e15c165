#pragma once
// A recording stand-in for the Flash control, living in the test process: a
// class object registered with CoRegisterClassObject under a class of its
// own, which the ActiveX unit is pointed at. Every call the driver makes is
// logged in order as a line of text; calls a driver has no business making
// fail the running test. It activates itself windowless through the driver's
// site as a real control does, and misbehaves on request.

#include <windows.h>
#include <ocidl.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "renderers/com/com_object.h"
#include "activex_player_stub.h"

namespace vt_test {

struct TFakeControlOptions {
  DWORD miscStatus = OLEMISC_SETCLIENTSITEFIRST | OLEMISC_ACTIVATEWHENVISIBLE | OLEMISC_INSIDEOUT;
  // The logged call (its first word, "QI <name>" for a query) that answers E_FAIL.
  std::string failAt;
  // DoVerb activates through the site's windowless interface.
  bool activate = true;
  // FlashVersion's answer.
  long flashVersion = 0x000A0000;
  // GetTypeInfo answers the control's interface from this type library
  // (E_NOTIMPL when empty).
  std::wstring typeLibrary;
  // What IDispatch property reads answer, by DISPID.
  std::map<DISPID, VARIANT> properties;
  // Runs inside IViewObject::Draw, after the call is logged, with the
  // device context to draw on.
  std::function<void(HDC)> onDraw;
  // Close reports its whole rectangle changed before it deactivates.
  bool invalidateOnClose = false;
  // Runs inside every call the fake logs and answers (Call), after the
  // logging, with the logged line.
  std::function<void(const std::string&)> onCall;
};

class TFakeControl;

// Registers the fake's class object for the scope, points the ActiveX unit
// at it (and back at the unregistered default afterwards), and keeps the
// log. COM is initialised for the scope.
class TFakeControlScope {
 public:
  TFakeControlScope();
  ~TFakeControlScope();
  TFakeControlScope(const TFakeControlScope&) = delete;
  TFakeControlScope& operator=(const TFakeControlScope&) = delete;

  std::vector<std::string> log;
  TFakeControlOptions options;
  // The fake made last, while it lives.
  TFakeControl* control = nullptr;
  int live = 0;

  // The log so far, cleared.
  std::vector<std::string> Take();
  // Calls the event sink the driver connected, as the control fires an
  // event: Args in declared order (they are reversed into DISPPARAMS).
  HRESULT Fire(DISPID DispId, std::vector<VARIANT> Args);
  // The connected sinks (added references are the caller's to release).
  IDispatch* EventSink() const;
  IUnknown* PropertySink() const;

 private:
  DWORD cookie_ = 0;
};

// A sentinel CLSID nobody registered: the unit looks for it by default in
// these tests, so that a registered real control does not change what the
// players choose.
extern const CLSID CLSID_NoFlashControl;
// The fake's class.
extern const CLSID CLSID_FakeFlashControl;

}  // namespace vt_test
