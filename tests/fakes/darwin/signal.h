// Darwin's stack_t on Linux, for the Mac's configuration built here
// (cmake/MacOnLinux.cmake). Darwin orders its fields ss_sp, ss_size, ss_flags
// (Linux: ss_sp, ss_flags, ss_size) and refuses an alternate signal stack
// smaller than its MINSIGSTKSZ, 32 KiB. Code that fills the fields by
// position in Linux's order, or gives a stack only Linux takes, has its
// sigaltstack fail here as it would on a Mac.
#pragma once

#include_next <signal.h>

#include <errno.h>
#include <stddef.h>

typedef struct {
  void* ss_sp;
  size_t ss_size;
  int ss_flags;
} quimbo_darwin_stack_t;

static inline int quimbo_darwin_sigaltstack(const quimbo_darwin_stack_t* stack,
                                            quimbo_darwin_stack_t* previous) {
  const size_t darwinMinimum = 32768;
  stack_t given = {0};
  stack_t before = {0};
  if (stack != NULL) {
    if (!(stack->ss_flags & SS_DISABLE) && stack->ss_size < darwinMinimum) {
      errno = ENOMEM;
      return -1;
    }
    given.ss_sp = stack->ss_sp;
    given.ss_size = stack->ss_size;
    given.ss_flags = stack->ss_flags;
  }
  const int result = sigaltstack(stack != NULL ? &given : NULL, previous != NULL ? &before : NULL);
  if (result == 0 && previous != NULL) {
    previous->ss_sp = before.ss_sp;
    previous->ss_size = before.ss_size;
    previous->ss_flags = before.ss_flags;
  }
  return result;
}

#define stack_t quimbo_darwin_stack_t
#define sigaltstack quimbo_darwin_sigaltstack
