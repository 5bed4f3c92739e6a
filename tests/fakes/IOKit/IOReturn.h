// Linux stand-in for the macOS SDK's <IOKit/IOReturn.h>, for the fake IOKit
// of the tests: the IOKit return codes it gives, built as the SDK builds them.
#pragma once

#include <mach/kern_return.h>

typedef kern_return_t IOReturn;

#define err_system(x) ((signed)((((unsigned)(x)) & 0x3f) << 26))
#define err_sub(x) (((x)&0xfff) << 14)
#define sys_iokit err_system(0x38)
#define sub_iokit_common err_sub(0)
#define iokit_common_err(code) (sys_iokit | sub_iokit_common | (code))

#define kIOReturnSuccess KERN_SUCCESS
#define kIOReturnBadArgument iokit_common_err(0x2c2)
