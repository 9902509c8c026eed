# Cross build: the product, the updater and the tests that run under Wine.
# Known DLLs only (always taken from System32); the others go through cmake/DelayLoad.cmake.
set(VELM_SYSTEM_LIBS ole32 oleaut32 uuid user32 gdi32 advapi32)
include(${CMAKE_SOURCE_DIR}/cmake/DelayLoad.cmake)

# The resource table: velm.rc through windres to a .res, then the named types appended by
# tools/mkres.py, then the whole table to one COFF object for the link.
find_package(Python3 REQUIRED COMPONENTS Interpreter)
set(VELM_RES_DIR ${CMAKE_SOURCE_DIR}/resources)
file(GLOB VELM_RES_INPUTS CONFIGURE_DEPENDS ${VELM_RES_DIR}/*.bmp ${VELM_RES_DIR}/*.ico
    ${VELM_RES_DIR}/*.png ${VELM_RES_DIR}/design/* ${VELM_RES_DIR}/*.manifest)
set(VELM_RES_OBJ ${CMAKE_BINARY_DIR}/velm_res.o)
add_custom_command(
    OUTPUT ${VELM_RES_OBJ}
    COMMAND ${CMAKE_RC_COMPILER} -c 65001 -I ${VELM_GENERATED} -I ${VELM_RES_DIR}
            -O res -o ${CMAKE_BINARY_DIR}/velm_std.res ${VELM_RES_DIR}/velm.rc
    COMMAND Python3::Interpreter ${CMAKE_SOURCE_DIR}/tools/mkres.py
            ${CMAKE_BINARY_DIR}/velm_std.res ${CMAKE_BINARY_DIR}/velm_all.res
            PNG:101:${VELM_RES_DIR}/login.png PNG:102:${VELM_RES_DIR}/splash.png
            ICON:101:${VELM_RES_DIR}/velm.ico UPDATE:101:$<TARGET_FILE:Update>
    COMMAND ${CMAKE_RC_COMPILER} -J res -O coff -o ${VELM_RES_OBJ}
            ${CMAKE_BINARY_DIR}/velm_all.res
    DEPENDS ${VELM_RES_DIR}/velm.rc ${VELM_RES_INPUTS} Update ${CMAKE_SOURCE_DIR}/tools/mkres.py
            ${VELM_GENERATED}/Config.h
    COMMENT "Resource table"
    VERBATIM)
add_custom_target(velm_resources DEPENDS ${VELM_RES_OBJ})

# One static library a layer, linked to the layers it declares below it; velm_core is all of them.
foreach(layer ${VELM_LAYERS})
    add_library(velm_${layer} STATIC ${VELM_LAYER_${layer}_SOURCES})
    target_include_directories(velm_${layer} PUBLIC ${CMAKE_SOURCE_DIR}/src ${VELM_GENERATED})
    target_compile_definitions(velm_${layer} PUBLIC WINVER=0x0601 _WIN32_WINNT=0x0601
        _WIN32_IE=0x0800 NOMINMAX STRICT)
    target_compile_options(velm_${layer} PRIVATE ${VELM_WARNINGS})
    foreach(dep ${VELM_LAYER_${layer}_DEPENDS})
        target_link_libraries(velm_${layer} PUBLIC velm_${dep})
    endforeach()
endforeach()
target_link_libraries(velm_base PUBLIC ${VELM_SYSTEM_LIBS} velm_delay_load)
add_library(velm_core INTERFACE)
foreach(layer ${VELM_LAYERS})
    target_link_libraries(velm_core INTERFACE velm_${layer})
endforeach()

# Adds the resource object to an executable.
function(velm_add_resources target)
    add_dependencies(${target} velm_resources)
    target_link_libraries(${target} PRIVATE ${VELM_RES_OBJ})
endfunction()

add_executable(velm WIN32 src/app/main.cpp)
target_compile_options(velm PRIVATE ${VELM_WARNINGS})
target_link_libraries(velm PRIVATE velm_core)
target_link_options(velm PRIVATE -static -s)
velm_add_resources(velm)
# The tests' client fails on request (src/base/CrashTrigger.h); a tree whose client is a
# player's (system, modern or auto engine) leaves that out.
if(VELM_BROWSER_ENGINE STREQUAL "basic")
    target_compile_definitions(velm PRIVATE VELM_CRASH_TRIGGER)
endif()

# What players get: the same client with the auto browser engine (the modern runtime where it
# starts, else the system control), whatever engine this tree's VELM_BROWSER_ENGINE gives the
# tests. Its own CreateBrowser.cpp, compiled against a BrowserEngine.h that says "auto", defines
# every symbol of the library's copy, so the linker never takes that copy.
set(VELM_PLAYER_GENERATED ${VELM_GENERATED}/player)
set(VELM_BROWSER_ENGINE_UPPER AUTO)
configure_file(${CMAKE_SOURCE_DIR}/src/browser/BrowserEngine.h.in
    ${VELM_PLAYER_GENERATED}/BrowserEngine.h @ONLY)
add_executable(velm_player WIN32 src/app/main.cpp src/browser/CreateBrowser.cpp)
target_include_directories(velm_player BEFORE PRIVATE ${VELM_PLAYER_GENERATED})
target_compile_options(velm_player PRIVATE ${VELM_WARNINGS})
target_link_libraries(velm_player PRIVATE velm_core)
target_link_options(velm_player PRIVATE -static -s)
set_target_properties(velm_player PROPERTIES OUTPUT_NAME velm
    RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/player)
velm_add_resources(velm_player)
velm_code_sign(velm_player)

# Tests under Wine: every tests/win/*_test.cpp and tests/e2e/*_test.cpp is one executable and one
# test entry. Shared fixtures live in tests/support.
file(GLOB VELM_TEST_SUPPORT CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/support/*.cpp)
add_library(velm_test_support STATIC ${VELM_TEST_SUPPORT})
target_include_directories(velm_test_support PUBLIC ${CMAKE_SOURCE_DIR}/tests)
target_compile_definitions(velm_test_support PUBLIC
    VELM_SOURCE_DIR="${CMAKE_SOURCE_DIR}" VELM_BINARY_DIR="${CMAKE_BINARY_DIR}")
target_compile_options(velm_test_support PRIVATE ${VELM_WARNINGS})
target_link_libraries(velm_test_support PUBLIC velm_core gtest ws2_32)

function(velm_wine_test source)
    get_filename_component(name ${source} NAME_WE)
    get_filename_component(kind ${source} DIRECTORY)
    get_filename_component(kind ${kind} NAME)
    set(target ${kind}_${name})
    add_executable(${target} ${source})
    target_compile_options(${target} PRIVATE ${VELM_WARNINGS})
    target_link_libraries(${target} PRIVATE velm_test_support gtest_main)
    target_link_options(${target} PRIVATE -static)
    velm_add_resources(${target})
    add_test(NAME ${target} COMMAND ${target})
    set_tests_properties(${target} PROPERTIES TIMEOUT 300
        ENVIRONMENT "GTEST_OUTPUT=xml:Z:${CMAKE_BINARY_DIR}/test-results/gtest-${target}.xml")
    if(kind STREQUAL "e2e")
        add_dependencies(${target} velm)
        set_tests_properties(${target} PROPERTIES FIXTURES_REQUIRED demo_server RUN_SERIAL ON)
        set_property(TEST ${target} APPEND PROPERTY ENVIRONMENT
            "VELM_BROWSER_LOG=${CMAKE_BINARY_DIR}/browser.log")
    endif()
endfunction()

file(GLOB VELM_WIN_TESTS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/win/*_test.cpp)
file(GLOB VELM_E2E_TESTS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/e2e/*_test.cpp)
foreach(t ${VELM_WIN_TESTS} ${VELM_E2E_TESTS})
    velm_wine_test(${t})
endforeach()

# scripts/release's update check: drives a client of the previous release through its update.
add_executable(velm_release_update_check EXCLUDE_FROM_ALL tools/release_update_check.cpp)
target_compile_options(velm_release_update_check PRIVATE ${VELM_WARNINGS})
target_link_libraries(velm_release_update_check PRIVATE velm_test_support version)
target_link_options(velm_release_update_check PRIVATE -static)

# What the planted-DLL test leaves beside the programs: a DLL named like a system one.
add_library(velm_planted_dll MODULE tests/e2e/PlantedDll.c)
set_target_properties(velm_planted_dll PROPERTIES OUTPUT_NAME wininet PREFIX ""
    LIBRARY_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/planted)
target_compile_options(velm_planted_dll PRIVATE ${VELM_WARNINGS})
target_link_options(velm_planted_dll PRIVATE -static -s)
add_dependencies(e2e_planted_dll_test velm_planted_dll Update)
if(TARGET Update_crash_test)
    add_dependencies(e2e_crash_dump_test Update_crash_test velm_player)
endif()

# The demo server for the whole-program tests: started before them, stopped after. It serves this
# tree's signed release where this tree's client looks for it.
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    set(VELM_RELEASE_DIR_OPTION --release-dir-x64)
else()
    set(VELM_RELEASE_DIR_OPTION --release-dir)
endif()
set(VELM_DEMO_PIDFILE ${CMAKE_BINARY_DIR}/demo_server.pid)
add_test(NAME demo_server_start COMMAND Python3::Interpreter
    ${CMAKE_SOURCE_DIR}/tools/demo_server.py --port ${VELM_DEMO_PORT} --control --daemon
    --pidfile ${VELM_DEMO_PIDFILE} ${VELM_RELEASE_DIR_OPTION} ${CMAKE_BINARY_DIR}/release)
add_test(NAME demo_server_stop COMMAND Python3::Interpreter
    ${CMAKE_SOURCE_DIR}/tools/demo_server.py --stop --pidfile ${VELM_DEMO_PIDFILE})
set_tests_properties(demo_server_start PROPERTIES FIXTURES_SETUP demo_server)
set_tests_properties(demo_server_stop PROPERTIES FIXTURES_CLEANUP demo_server)

file(GLOB VELM_BENCH CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/bench/*.cpp)
foreach(b ${VELM_BENCH})
    get_filename_component(name ${b} NAME_WE)
    add_executable(bench_${name} ${b})
    target_compile_options(bench_${name} PRIVATE ${VELM_WARNINGS})
    target_link_libraries(bench_${name} PRIVATE velm_core)
    target_link_options(bench_${name} PRIVATE -static)
    velm_add_resources(bench_${name})
endforeach()
# The start-up benchmark's floor: a minimal program, on purpose none of the client's libraries or
# resources and a plain WinINet import (it runs from the build tree only).
add_executable(startup_floor WIN32 bench/floor/startup_floor.cpp)
target_include_directories(startup_floor PRIVATE ${CMAKE_SOURCE_DIR}/src ${VELM_GENERATED})
target_compile_definitions(startup_floor PRIVATE WINVER=0x0601 _WIN32_WINNT=0x0601 NOMINMAX STRICT)
target_compile_options(startup_floor PRIVATE ${VELM_WARNINGS})
target_link_libraries(startup_floor PRIVATE wininet)
target_link_options(startup_floor PRIVATE -static -s)
add_dependencies(bench_startup startup_floor velm)

include(${CMAKE_SOURCE_DIR}/cmake/FakeWebView2.cmake)
include(${CMAKE_SOURCE_DIR}/cmake/UpdateRelease.cmake)

# A build for real hosts that still trusts the development key must not configure at all.
set(VELM_KEY_CHECK_TREE ${CMAKE_BINARY_DIR}/key-check-tree)
add_test(NAME release_refuses_development_key COMMAND sh -c
    "rm -rf '${VELM_KEY_CHECK_TREE}' && '${CMAKE_COMMAND}' -S '${CMAKE_SOURCE_DIR}' -B '${VELM_KEY_CHECK_TREE}' -G Ninja -DCMAKE_TOOLCHAIN_FILE='${CMAKE_TOOLCHAIN_FILE}' -DVELM_STATIC_SERVER=http://static.example.com; status=$?; rm -rf '${VELM_KEY_CHECK_TREE}'; exit $status")
set_tests_properties(release_refuses_development_key PROPERTIES
    PASS_REGULAR_EXPRESSION "VELM_STATIC_SERVER=http://static.example.com is not the local demo server")
