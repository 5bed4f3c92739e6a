# The Mac's configuration built on Linux (QUIMBO_MACOS_ON_LINUX): the same
# targets from the same sources, linked as on a Mac, with clang and LLVM's
# libc++ as Xcode builds them. What cannot be had on Linux is stood in for,
# no more:
# - Darwin's C library, which declares its calls unasked and defines no
#   _GNU_SOURCE or _XOPEN_SOURCE (tests/fakes/darwin/features.h), and its
#   stack_t, whose fields come in another order than Linux's
#   (tests/fakes/darwin/signal.h).
# - Apple's frameworks: IOKit, CoreGraphics' session and ServiceManagement
#   in C++ over the fake IOKit (tests/fakes), the main bundle as Linux finds
#   it, the status item as the strip the Linux desktop shows where no tray
#   runs. The Objective-C++ itself is compile-checked by scripts/check-mac.sh.
# - Homebrew's ncursesw.pc, which defines nothing (platform/CMakeLists.txt).
# - Debian's GoogleTest and Qt are built for GCC's C++ library: GoogleTest is
#   built here from its sources, and the Qt functions that give a std::string
#   are given for libc++ (tests/fakes/QtForLibcxx.cpp).
if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
  message(FATAL_ERROR "QUIMBO_MACOS_ON_LINUX builds with clang (CMAKE_CXX_COMPILER=clang++), as Xcode does")
endif()
add_compile_options(-stdlib=libc++)
add_link_options(-stdlib=libc++)
include_directories(BEFORE SYSTEM ${PROJECT_SOURCE_DIR}/tests/fakes/darwin)

if(QUIMBO_BUILD_TESTS)
  set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  add_subdirectory(/usr/src/googletest ${PROJECT_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
endif()

if(QUIMBO_DESKTOP)
  add_library(quimbo_qt_for_libcxx STATIC tests/fakes/QtForLibcxx.cpp)
  target_include_directories(quimbo_qt_for_libcxx SYSTEM PRIVATE
    $<TARGET_PROPERTY:Qt6::Core,INTERFACE_INCLUDE_DIRECTORIES>)
  set_property(TARGET Qt6::Core APPEND PROPERTY INTERFACE_LINK_LIBRARIES quimbo_qt_for_libcxx)
endif()
