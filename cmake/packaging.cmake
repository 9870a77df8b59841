# The packages: a Debian package on Linux, a zip of both programs on Windows.
if(WIN32)
  # The Windows zip holds both programs side by side: this build's, and the other
  # architecture's when VEMBLO_OTHER_WINDOWS_PROGRAM names it.
  set(VEMBLO_OTHER_WINDOWS_PROGRAM "" CACHE FILEPATH "The other architecture's vemblo.exe")
  if(CMAKE_SIZEOF_VOID_P EQUAL 4)
    set(VEMBLO_ARCH x86)
    set(VEMBLO_OTHER_ARCH x64)
  else()
    set(VEMBLO_ARCH x64)
    set(VEMBLO_OTHER_ARCH x86)
  endif()
  install(TARGETS vemblo RUNTIME DESTINATION ${VEMBLO_ARCH})
  if(VEMBLO_OTHER_WINDOWS_PROGRAM)
    install(PROGRAMS ${VEMBLO_OTHER_WINDOWS_PROGRAM} DESTINATION ${VEMBLO_OTHER_ARCH})
  endif()
  install(FILES README.md DESTINATION .)
  install(FILES LICENSE DESTINATION . RENAME LICENSE.txt)
  set(CPACK_GENERATOR ZIP)
  set(CPACK_SYSTEM_NAME windows)
  set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
else()
  # Debian wants the man page and the changelog compressed, without a time stamp. The man page
  # takes the version from project().
  set(VEMBLO_DOC_DIR share/doc/${PROJECT_NAME})
  configure_file(doc/vemblo.1.in ${CMAKE_BINARY_DIR}/vemblo.1 @ONLY)
  foreach(file ${CMAKE_BINARY_DIR}/vemblo.1 ${PROJECT_SOURCE_DIR}/packaging/debian/changelog)
    get_filename_component(name ${file} NAME)
    add_custom_command(OUTPUT ${name}.gz COMMAND gzip -9n -c ${file} > ${name}.gz DEPENDS ${file}
      VERBATIM)
  endforeach()
  add_custom_target(compressed_docs ALL DEPENDS vemblo.1.gz changelog.gz)
  install(TARGETS vemblo RUNTIME DESTINATION bin)
  install(FILES ${CMAKE_BINARY_DIR}/vemblo.1.gz DESTINATION share/man/man1)
  install(FILES ${CMAKE_BINARY_DIR}/changelog.gz packaging/debian/copyright
    DESTINATION ${VEMBLO_DOC_DIR})
  install(FILES packaging/debian/lintian-overrides DESTINATION share/lintian/overrides
    RENAME ${PROJECT_NAME})
  # Labelled with the architecture the compiler builds for, which a cross build does not share
  # with the machine that builds it.
  execute_process(COMMAND ${CMAKE_CXX_COMPILER} -dumpmachine OUTPUT_VARIABLE VEMBLO_TARGET
    OUTPUT_STRIP_TRAILING_WHITESPACE)
  if(VEMBLO_TARGET MATCHES "^x86_64-")
    set(CPACK_DEBIAN_PACKAGE_ARCHITECTURE amd64)
  elseif(VEMBLO_TARGET MATCHES "^i[3-6]86-")
    set(CPACK_DEBIAN_PACKAGE_ARCHITECTURE i386)
  elseif(VEMBLO_TARGET MATCHES "^aarch64-")
    set(CPACK_DEBIAN_PACKAGE_ARCHITECTURE arm64)
  elseif(VEMBLO_TARGET MATCHES "^arm.*-gnueabihf$")
    set(CPACK_DEBIAN_PACKAGE_ARCHITECTURE armhf)
  endif()
  set(CPACK_GENERATOR DEB)
  set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_SECTION utils)
  set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "vemblo renames a file or a directory in its own directory, putting the local
date as six digits, YYMMDD, and an optional text between its base name and
its extension: notes.txt becomes notes261206.txt. A file under the new name
is replaced in one step; a failure changes nothing and is reported.")
endif()
set(CPACK_PACKAGE_NAME vemblo)
set(CPACK_PACKAGE_VENDOR "The Vemblo developers")
set(CPACK_PACKAGE_CONTACT "The Vemblo developers <dev@vemblo.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION}")
set(CPACK_STRIP_FILES ON)
set(CPACK_RESOURCE_FILE_README ${PROJECT_SOURCE_DIR}/README.md)
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
include(CPack)
