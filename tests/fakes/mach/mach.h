// Linux stand-in for the macOS SDK's <mach/mach.h>, for the fake IOKit of
// the tests: port names and the calling task, with the SDK's types.
#pragma once

#include <mach/kern_return.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef unsigned int natural_t;
typedef natural_t mach_port_name_t;
typedef mach_port_name_t mach_port_t;
typedef mach_port_t task_t;
typedef task_t task_port_t;

#define MACH_PORT_NULL ((mach_port_t)0)

// The calling task's own port; mach_task_self() reads it.
extern mach_port_t mach_task_self_;
#define mach_task_self() mach_task_self_

#ifdef __cplusplus
}
#endif
