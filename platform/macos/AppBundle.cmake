# Quimbo.app: the program as a menu-bar application for the macOS of
# CMAKE_OSX_DEPLOYMENT_TARGET and later (14: Homebrew's libraries on the
# build machines are built for it), with the desktop front end linked in
# (app/CMakeLists.txt links it), the logo among its resources, where the
# brand mark looks for it, and quimbo-exporter's launch daemon property list.
# Included by app/CMakeLists.txt.
set_target_properties(quimbo PROPERTIES
  OUTPUT_NAME Quimbo
  MACOSX_BUNDLE TRUE
  MACOSX_BUNDLE_INFO_PLIST ${CMAKE_CURRENT_LIST_DIR}/Info.plist.in
  MACOSX_BUNDLE_BUNDLE_NAME Quimbo
  MACOSX_BUNDLE_GUI_IDENTIFIER com.zelprin.quimbo
  MACOSX_BUNDLE_SHORT_VERSION_STRING ${PROJECT_VERSION}
  MACOSX_BUNDLE_BUNDLE_VERSION ${PROJECT_VERSION}
  # Installed, it finds Qt among the bundle's frameworks.
  INSTALL_RPATH "@executable_path/../Frameworks")
# Info.plist's LSMinimumSystemVersion.
set(QUIMBO_MACOS_MINIMUM ${CMAKE_OSX_DEPLOYMENT_TARGET})
if(NOT QUIMBO_MACOS_MINIMUM)
  message(FATAL_ERROR "Set CMAKE_OSX_DEPLOYMENT_TARGET (the macos preset does): the oldest macOS Quimbo.app runs on")
endif()

# Contents/Resources/logo.png, drawn by tools/.
set(bundleLogo ${PROJECT_BINARY_DIR}/share/quimbo/logo.png)
set_source_files_properties(${bundleLogo} PROPERTIES GENERATED TRUE MACOSX_PACKAGE_LOCATION Resources)
target_sources(quimbo PRIVATE ${bundleLogo})

# Contents/Library/LaunchDaemons/com.zelprin.quimbo.exporter.plist, placed
# as the bundle's other files are, at build and at install.
set(exporterPlist ${PROJECT_SOURCE_DIR}/platform/macos/com.zelprin.quimbo.exporter.plist)
set_source_files_properties(${exporterPlist} PROPERTIES MACOSX_PACKAGE_LOCATION Library/LaunchDaemons)
target_sources(quimbo PRIVATE ${exporterPlist})

# Contents/Resources/Quimbo.icns: the logo drawn at every size of an icon
# set, where Apple's iconutil is at hand.
find_program(ICONUTIL iconutil)
if(ICONUTIL)
  set(iconset ${CMAKE_CURRENT_BINARY_DIR}/Quimbo.iconset)
  set(icon ${CMAKE_CURRENT_BINARY_DIR}/Quimbo.icns)
  set(drawings)
  foreach(size 16 32 128 256 512)
    math(EXPR twice "${size} * 2")
    list(APPEND drawings
      COMMAND quimbo-make-logo ${iconset}/icon_${size}x${size}.png ${size}
      COMMAND quimbo-make-logo ${iconset}/icon_${size}x${size}@2x.png ${twice})
  endforeach()
  add_custom_command(OUTPUT ${icon}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${iconset}
    ${drawings}
    COMMAND ${ICONUTIL} --convert icns --output ${icon} ${iconset}
    DEPENDS quimbo-make-logo
    COMMENT "Drawing the application icon")
  set_source_files_properties(${icon} PROPERTIES MACOSX_PACKAGE_LOCATION Resources)
  target_sources(quimbo PRIVATE ${icon})
  set_target_properties(quimbo PROPERTIES MACOSX_BUNDLE_ICON_FILE Quimbo.icns)
endif()

# cmake --install puts Quimbo.app in the prefix with Qt's frameworks (and
# the other libraries it needs) inside, so that it runs where they are not
# installed, then checks their macOS and signs it; cpack -G DragNDrop makes
# a disk image of it.
install(TARGETS quimbo BUNDLE DESTINATION .)
qt_generate_deploy_app_script(TARGET quimbo OUTPUT_SCRIPT deployScript NO_UNSUPPORTED_PLATFORM_ERROR)
install(SCRIPT ${deployScript})
install(CODE "set(QUIMBO_MACOS_MINIMUM ${QUIMBO_MACOS_MINIMUM})")
install(SCRIPT ${CMAKE_CURRENT_LIST_DIR}/FinishBundle.cmake)
set(CPACK_PACKAGE_NAME Quimbo)
set(CPACK_PACKAGE_VENDOR Zelprin)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_GENERATOR DragNDrop)
set(CPACK_DMG_VOLUME_NAME Quimbo)
include(CPack)
