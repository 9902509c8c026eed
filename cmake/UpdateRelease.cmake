# What updates and installs are made of, built with the product:
#   velm_next      the client built as the next revision (the version the update tests move to)
#   release/       a signed demo release of it: update.txt and velm.exe, as the demo server serves
#   velm-setup-<version>[-x64][-dev].exe   the per-user NSIS installer of velm.exe

# The next revision gets a Config.h of its own; its include folder comes first for the one source
# file that reads the version and for the version resource.
math(EXPR VELM_NEXT_REVISION "${PROJECT_VERSION_PATCH} + 1")
set(VELM_NEXT_VERSION "${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}.${VELM_NEXT_REVISION}")
function(velm_configure_next)
    set(PROJECT_VERSION_PATCH ${VELM_NEXT_REVISION})
    set(PROJECT_VERSION ${VELM_NEXT_VERSION})
    configure_file(${CMAKE_SOURCE_DIR}/src/base/Config.h.in ${VELM_GENERATED}/next/Config.h @ONLY)
endfunction()
velm_configure_next()

set(VELM_NEXT_RES_OBJ ${CMAKE_BINARY_DIR}/velm_next_res.o)
add_custom_command(
    OUTPUT ${VELM_NEXT_RES_OBJ}
    COMMAND ${CMAKE_RC_COMPILER} -c 65001 -I ${VELM_GENERATED}/next -I ${VELM_RES_DIR}
            -O res -o ${CMAKE_BINARY_DIR}/velm_next_std.res ${VELM_RES_DIR}/velm.rc
    COMMAND Python3::Interpreter ${CMAKE_SOURCE_DIR}/tools/mkres.py
            ${CMAKE_BINARY_DIR}/velm_next_std.res ${CMAKE_BINARY_DIR}/velm_next_all.res
            PNG:101:${VELM_RES_DIR}/login.png PNG:102:${VELM_RES_DIR}/splash.png
            ICON:101:${VELM_RES_DIR}/velm.ico UPDATE:101:$<TARGET_FILE:Update>
    COMMAND ${CMAKE_RC_COMPILER} -J res -O coff -o ${VELM_NEXT_RES_OBJ}
            ${CMAKE_BINARY_DIR}/velm_next_all.res
    DEPENDS ${VELM_RES_DIR}/velm.rc ${VELM_RES_INPUTS} Update ${CMAKE_SOURCE_DIR}/tools/mkres.py
            ${VELM_GENERATED}/next/Config.h
    COMMENT "Resource table of the next revision"
    VERBATIM)
add_custom_target(velm_next_resources DEPENDS ${VELM_NEXT_RES_OBJ})

# UpdateCheck.cpp compiled here defines every symbol of its copy in velm_startup, so the linker never
# takes that copy from the library.
add_executable(velm_next WIN32 src/app/main.cpp src/startup/UpdateCheck.cpp)
target_include_directories(velm_next BEFORE PRIVATE ${VELM_GENERATED}/next)
target_compile_options(velm_next PRIVATE ${VELM_WARNINGS})
target_link_libraries(velm_next PRIVATE velm_core ${VELM_NEXT_RES_OBJ})
target_link_options(velm_next PRIVATE -static -s)
add_dependencies(velm_next velm_next_resources)

# The demo release, signed with the development key. A real release runs the same tool with the
# maintainers' key (README, "Updates").
set(VELM_DEMO_SIGNING_KEY ${CMAKE_SOURCE_DIR}/tools/keys/DEVELOPMENT-ONLY-update-key.pem
    CACHE FILEPATH "Private key the demo release is signed with")
set(VELM_RELEASE_DIR ${CMAKE_BINARY_DIR}/release)
# Each processor's releases live apart on the server, beside that client's own manifest.
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    set(VELM_RELEASE_PATH /gamehome/velm/x64/release/velm.exe)
else()
    set(VELM_RELEASE_PATH /gamehome/velm/release/velm.exe)
endif()
add_custom_command(
    OUTPUT ${VELM_RELEASE_DIR}/update.txt ${VELM_RELEASE_DIR}/velm.exe
    COMMAND ${CMAKE_COMMAND} -E make_directory ${VELM_RELEASE_DIR}
    COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:velm_next> ${VELM_RELEASE_DIR}/velm.exe
    COMMAND Python3::Interpreter ${CMAKE_SOURCE_DIR}/tools/velm_sign.py sign
            --key ${VELM_DEMO_SIGNING_KEY} --exe ${VELM_RELEASE_DIR}/velm.exe
            --version ${VELM_NEXT_VERSION}
            --url ${VELM_STATIC_SERVER}${VELM_RELEASE_PATH}
            --out ${VELM_RELEASE_DIR}/update.txt
    DEPENDS velm_next ${VELM_DEMO_SIGNING_KEY} ${CMAKE_SOURCE_DIR}/tools/velm_sign.py
    COMMENT "Signed demo release ${VELM_NEXT_VERSION}"
    VERBATIM)
add_custom_target(velm_demo_release ALL DEPENDS ${VELM_RELEASE_DIR}/update.txt)

# The installer of the player's client, one per processor: velm-setup-<version>.exe installs the
# 32-bit client, velm-setup-<version>-x64.exe the 64-bit one (and runs only on 64-bit Windows).
# A build whose updater trusts the development key (the default tree: local demo server) adds
# "-dev", so that no one takes its installer for a release.
find_program(VELM_MAKENSIS makensis REQUIRED)
set(VELM_INSTALLER_NAME velm-setup-${PROJECT_VERSION})
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    string(APPEND VELM_INSTALLER_NAME -x64)
    set(VELM_INSTALLER_TARGET amd64-unicode)
else()
    set(VELM_INSTALLER_TARGET x86-unicode)
endif()
if(VELM_TRUSTS_DEVELOPMENT_KEY)
    string(APPEND VELM_INSTALLER_NAME -dev)
endif()
set(VELM_INSTALLER ${CMAKE_BINARY_DIR}/${VELM_INSTALLER_NAME}.exe)
set(VELM_INSTALLER_SIGN "")
if(VELM_CODE_SIGN_COMMAND)
    set(VELM_INSTALLER_SIGN "-DSIGN_COMMAND=${VELM_CODE_SIGN_COMMAND}")
endif()
add_custom_command(
    OUTPUT ${VELM_INSTALLER}
    COMMAND ${VELM_MAKENSIS} -V2 -INPUTCHARSET UTF8 -DVERSION=${PROJECT_VERSION}
            -DVELM_EXE=$<TARGET_FILE:velm_player> -DRESOURCES=${VELM_RES_DIR}
            -DTARGET=${VELM_INSTALLER_TARGET} -DOUTFILE=${VELM_INSTALLER}
            ${VELM_INSTALLER_SIGN}
            ${CMAKE_SOURCE_DIR}/installer/velm.nsi
    DEPENDS velm_player ${CMAKE_SOURCE_DIR}/installer/velm.nsi ${VELM_RES_DIR}/velm.ico
    COMMENT "Installer ${PROJECT_VERSION} (${VELM_INSTALLER_TARGET})"
    VERBATIM)
add_custom_target(velm_installer ALL DEPENDS ${VELM_INSTALLER})
