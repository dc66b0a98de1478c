// In the programs the lead-byte test is the system's own, for the active ANSI code page.
#include <windows.h>

#include "base/ansi_text.h"

namespace base {

bool IsLeadByte(unsigned char byte) {
    return IsDBCSLeadByte(byte) != FALSE;
}

}  // namespace base
