# The release: the version from common/Version.h, the files that ship, and the `dist` target that runs
# scripts/package (installer and portable zip in build/dist).
file(STRINGS ${TW_ROOT}/common/Version.h tw_version_lines REGEX "^#define TW_VERSION_")
foreach(part MAJOR MINOR PATCH BUILD)
    string(REGEX MATCH "#define TW_VERSION_${part} ([0-9]+)" unused "${tw_version_lines}")
    set(tw_version_${part} ${CMAKE_MATCH_1})
endforeach()
set(TW_VERSION "${tw_version_MAJOR}.${tw_version_MINOR}.${tw_version_PATCH}.${tw_version_BUILD}")
string(REGEX MATCH "#define TW_VERSION_TEXT \"([0-9.]+)\"" unused "${tw_version_lines}")
if(NOT CMAKE_MATCH_1 STREQUAL TW_VERSION)
    message(FATAL_ERROR "common/Version.h: TW_VERSION_TEXT \"${CMAKE_MATCH_1}\" is not ${TW_VERSION}")
endif()

set(TW_DIST_DIR ${TW_ROOT}/build/dist)
set(TW_SETUP_FILE ${TW_DIST_DIR}/Trimwell-${TW_VERSION}-x64-setup.exe)
set(TW_PORTABLE_FILE ${TW_DIST_DIR}/Trimwell-${TW_VERSION}-x64-portable.zip)

add_custom_target(dist
    COMMAND ${CMAKE_COMMAND} -E env TW_PACKAGE_FROM_BUILD=1 ${TW_ROOT}/scripts/package ${CMAKE_BINARY_DIR}
    DEPENDS Trimwell English Japanese trimwell-crop TrimwellHelp
    WORKING_DIRECTORY ${TW_ROOT}
    COMMENT "Packaging Trimwell ${TW_VERSION}: installer and portable zip"
    USES_TERMINAL)
