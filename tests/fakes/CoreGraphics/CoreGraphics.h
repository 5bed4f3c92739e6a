// Linux stand-in for the macOS SDK's <CoreGraphics/CoreGraphics.h>, for the
// compile check of the Mac's plain C++: the window server's session.
#pragma once

#include <CoreFoundation/CoreFoundation.h>

#ifdef __cplusplus
extern "C" {
#endif

CFDictionaryRef CGSessionCopyCurrentDictionary(void);

#ifdef __cplusplus
}
#endif
