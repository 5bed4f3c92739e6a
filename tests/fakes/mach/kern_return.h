// Linux stand-in for the macOS SDK's <mach/kern_return.h>, for the fake
// IOKit of the tests: Mach's return type and the codes the tests meet.
#pragma once

typedef int kern_return_t;

#define KERN_SUCCESS 0
#define KERN_INVALID_ARGUMENT 4
