# The tests' stand-in for the modern web runtime (tests/fakewebview2), laid out the way an
# installed runtime is: <root>\<version>\EBWebView\<x86|x64>\EmbeddedBrowserWebView.dll.
#   fakewebview2/current/<version>/...  the fake
#   fakewebview2/old/70.0.100.0/...     the same DLL under a version below the loader's floor
#   fakewebview2/noentry/<version>/...  a build without the runtime's entry point
# Tests register a root in the Wine prefix's registry (tests/support/FakeWebView2Runtime.h).
set(VELM_FAKE_WEBVIEW2_VERSION 138.0.3351.48)
set(VELM_FAKE_WEBVIEW2_OLD_VERSION 70.0.100.0)
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    set(VELM_FAKE_WEBVIEW2_ARCH x64)
else()
    set(VELM_FAKE_WEBVIEW2_ARCH x86)
endif()
set(VELM_FAKE_WEBVIEW2_ROOT ${CMAKE_BINARY_DIR}/fakewebview2)
foreach(variant current noentry)
    set(target velm_fake_webview2_${variant})
    add_library(${target} MODULE ${CMAKE_SOURCE_DIR}/tests/fakewebview2/FakeWebView2.cpp)
    target_include_directories(${target} PRIVATE ${CMAKE_SOURCE_DIR}/src)
    target_compile_definitions(${target} PRIVATE WINVER=0x0601 _WIN32_WINNT=0x0601 NOMINMAX STRICT)
    target_compile_options(${target} PRIVATE ${VELM_WARNINGS})
    target_link_libraries(${target} PRIVATE ole32 uuid user32 gdi32)
    # Undecorated export names on i386 too, as the runtime's own DLL has them.
    target_link_options(${target} PRIVATE -static -s -Wl,--kill-at)
    set_target_properties(${target} PROPERTIES OUTPUT_NAME EmbeddedBrowserWebView PREFIX ""
        LIBRARY_OUTPUT_DIRECTORY
        ${VELM_FAKE_WEBVIEW2_ROOT}/${variant}/${VELM_FAKE_WEBVIEW2_VERSION}/EBWebView/${VELM_FAKE_WEBVIEW2_ARCH})
endforeach()
target_compile_definitions(velm_fake_webview2_noentry PRIVATE VELM_FAKE_NO_ENTRY)
set(VELM_FAKE_WEBVIEW2_OLD_DIR
    ${VELM_FAKE_WEBVIEW2_ROOT}/old/${VELM_FAKE_WEBVIEW2_OLD_VERSION}/EBWebView/${VELM_FAKE_WEBVIEW2_ARCH})
add_custom_command(TARGET velm_fake_webview2_current POST_BUILD
    COMMAND ${CMAKE_COMMAND} -E make_directory ${VELM_FAKE_WEBVIEW2_OLD_DIR}
    COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:velm_fake_webview2_current>
            ${VELM_FAKE_WEBVIEW2_OLD_DIR}/
    VERBATIM)
add_custom_target(velm_fake_webview2 DEPENDS velm_fake_webview2_current velm_fake_webview2_noentry)
target_compile_definitions(velm_test_support PUBLIC
    VELM_FAKE_WEBVIEW2_VERSION="${VELM_FAKE_WEBVIEW2_VERSION}"
    VELM_FAKE_WEBVIEW2_OLD_VERSION="${VELM_FAKE_WEBVIEW2_OLD_VERSION}")

# The slot test takes every interface and method of our declarations from a table generated
# from the header, and compares them with the copy of the runtime's slot list kept beside the fake.
set(VELM_SLOT_TABLE ${VELM_GENERATED}/WebView2SlotTable.inc)
add_custom_command(OUTPUT ${VELM_SLOT_TABLE}
    COMMAND Python3::Interpreter ${CMAKE_SOURCE_DIR}/tests/fakewebview2/slot_table.py
            ${CMAKE_SOURCE_DIR}/src/browser/WebView2.h ${VELM_SLOT_TABLE}
    DEPENDS ${CMAKE_SOURCE_DIR}/src/browser/WebView2.h
            ${CMAKE_SOURCE_DIR}/tests/fakewebview2/slot_table.py
    COMMENT "WebView2 slot table"
    VERBATIM)
if(TARGET win_webview2_slots_test)
    target_sources(win_webview2_slots_test PRIVATE ${VELM_SLOT_TABLE})
endif()

# Every test that drives the modern engine needs the fake built.
foreach(t win_modern_browser_test e2e_modern_session_test)
    if(TARGET ${t})
        add_dependencies(${t} velm_fake_webview2)
    endif()
endforeach()

# The players' client's own log line when it falls back: Wine keeps no event log and prints its
# entries on the program's standard error with WINEDEBUG=err+eventlog, which only a shell sees.
if(TARGET e2e_modern_session_test)
    add_dependencies(e2e_modern_session_test velm_player)
    add_test(NAME e2e_player_fallback_log COMMAND sh -c
        "out=$(WINEDEBUG=err+eventlog \"$0\" \"$1\" --gtest_filter=PlayersClient.Without* 2>&1); status=$?; printf '%s\\n' \"$out\"; [ $status -eq 0 ] && printf '%s' \"$out\" | grep -q 'Browser engine: system, the WebView2 runtime did not start'"
        ${CMAKE_CROSSCOMPILING_EMULATOR} $<TARGET_FILE:e2e_modern_session_test>)
    set_tests_properties(e2e_player_fallback_log PROPERTIES TIMEOUT 120
        FIXTURES_REQUIRED demo_server RUN_SERIAL ON)
endif()
