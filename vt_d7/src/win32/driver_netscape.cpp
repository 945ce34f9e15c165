#include "unavailable_driver_class.h"
#include "vt_d7/Vt_driver_netscape.h"

namespace vt {

const TvtFlashDriverClass& TvtFlashDriverNSClass() {
  static const TUnavailableDriverClass ref(L"TvtFlashDriverNS");
  return ref;
}

}  // namespace vt
