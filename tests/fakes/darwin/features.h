// Darwin's feature macros on Linux, for the Mac's configuration built here
// (cmake/MacOnLinux.cmake). Darwin's headers declare what they have without
// being asked, and no macro says they do; GCC and clang define _GNU_SOURCE
// for C++ on Linux, which defines _XOPEN_SOURCE. Linux's headers are asked
// for all they have (LLVM's C++ library needs some of GNU's calls), and the
// macros that asked are taken back, so that a header that looks at them
// (curses.h at _XOPEN_SOURCE) sees what it sees on a Mac.
#pragma once

#ifndef _GNU_SOURCE
#define _GNU_SOURCE 1
#endif
#include_next <features.h>
#undef _GNU_SOURCE
#undef _XOPEN_SOURCE
#undef _XOPEN_SOURCE_EXTENDED
#undef _DEFAULT_SOURCE
#undef _POSIX_C_SOURCE
#undef _POSIX_SOURCE
#undef _ISOC99_SOURCE
#undef _ISOC11_SOURCE
#undef _LARGEFILE64_SOURCE
#undef _ATFILE_SOURCE
#undef _DYNAMIC_STACK_SIZE_SOURCE
