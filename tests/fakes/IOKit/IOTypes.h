// Linux stand-in for the macOS SDK's <IOKit/IOTypes.h>, for the fake IOKit
// of the tests: IOKit's objects are Mach port names.
#pragma once

#include <mach/mach.h>

typedef mach_port_t io_object_t;
typedef io_object_t io_service_t;
typedef io_object_t io_connect_t;

#define IO_OBJECT_NULL ((io_object_t)0)
