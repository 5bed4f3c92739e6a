# Run by `cmake --install` after Qt's deploy script has copied Qt and the
# other libraries into the installed Quimbo.app. QUIMBO_MACOS_MINIMUM is set
# before it runs.
set(app "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}/Quimbo.app")

# The libraries come from Homebrew, built for the macOS of the machine that
# built them: none may need a later macOS than the bundle says it runs on.
file(GLOB_RECURSE files LIST_DIRECTORIES false
  "${app}/Contents/MacOS/*" "${app}/Contents/Frameworks/*" "${app}/Contents/PlugIns/*")
foreach(file IN LISTS files)
  if(IS_SYMLINK "${file}")
    continue()
  endif()
  execute_process(COMMAND vtool -show-build "${file}"
    OUTPUT_VARIABLE build ERROR_QUIET RESULT_VARIABLE status)
  if(status EQUAL 0 AND build MATCHES "minos ([0-9.]+)"
     AND CMAKE_MATCH_1 VERSION_GREATER QUIMBO_MACOS_MINIMUM)
    message(FATAL_ERROR "${file} needs macOS ${CMAKE_MATCH_1}, but Quimbo.app says it runs on "
      "macOS ${QUIMBO_MACOS_MINIMUM}: build on that macOS, or raise the minimum")
  endif()
endforeach()

# Qt's deploy script rewrites the load paths of the libraries it copies,
# which breaks their signatures, and an arm64 Mac refuses to load code whose
# signature is broken: the whole bundle is signed again, ad hoc, and checked.
execute_process(COMMAND codesign --force --deep --sign - "${app}" COMMAND_ERROR_IS_FATAL ANY)
execute_process(COMMAND codesign --verify --deep --strict "${app}" COMMAND_ERROR_IS_FATAL ANY)
