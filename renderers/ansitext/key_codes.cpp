#include "renderers/ansitext/key_codes.h"

#include <windows.h>

namespace swfwin {

int SwfKeyCode(unsigned VirtualKey) {
  switch (VirtualKey) {
    case VK_LEFT: return 1;
    case VK_RIGHT: return 2;
    case VK_HOME: return 3;
    case VK_END: return 4;
    case VK_INSERT: return 5;
    case VK_DELETE: return 6;
    case VK_BACK: return 8;
    case VK_RETURN: return 13;
    case VK_UP: return 14;
    case VK_DOWN: return 15;
    case VK_PRIOR: return 16;
    case VK_NEXT: return 17;
    case VK_TAB: return 18;
    case VK_ESCAPE: return 19;
    default: return 0;
  }
}

}  // namespace swfwin
