// Linux stand-in for the macOS SDK's <CoreFoundation/CoreFoundation.h>, for
// the fake IOKit of the tests: the dictionary types of IOKit's matching.
#pragma once

#ifdef __cplusplus
extern "C" {
#endif

typedef const void* CFTypeRef;
typedef const struct __CFDictionary* CFDictionaryRef;
typedef struct __CFDictionary* CFMutableDictionaryRef;

void CFRelease(CFTypeRef cf);

#ifdef __cplusplus
}
#endif
