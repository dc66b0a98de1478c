// Native builds have no system code page to ask; they follow code page 936.
#include "base/ansi_text.h"

namespace base {

bool IsLeadByte(unsigned char byte) {
    return byte >= 0x81 && byte <= 0xFE;
}

}  // namespace base
