// Linux stand-in for the macOS SDK's <CoreGraphics/CoreGraphics.h>, for the
// Mac's configuration built on Linux (tests/fakes/FakeSystemFrameworks.cpp
// answers it): the window server's session.
#pragma once

#include <CoreFoundation/CoreFoundation.h>

#ifdef __cplusplus
extern "C" {
#endif

CFDictionaryRef CGSessionCopyCurrentDictionary(void);

#ifdef __cplusplus
}
#endif
