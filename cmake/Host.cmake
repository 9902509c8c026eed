option(VELM_FUZZ "Build the libFuzzer targets (needs clang)" OFF)

# Native build: the window-free logic and its tests under AddressSanitizer and UBSan.
set(VELM_SANITIZE -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=all)
if(VELM_FUZZ)
    # Coverage for the fuzzers reaches into the logic they drive.
    list(APPEND VELM_SANITIZE -fsanitize=fuzzer-no-link)
endif()

find_package(Python3 REQUIRED COMPONENTS Interpreter)

add_library(velm_logic STATIC ${VELM_LOGIC_SOURCES})
target_include_directories(velm_logic PUBLIC ${CMAKE_SOURCE_DIR}/src ${VELM_GENERATED})
target_compile_options(velm_logic PRIVATE ${VELM_WARNINGS} ${VELM_SANITIZE})
target_link_options(velm_logic PUBLIC ${VELM_SANITIZE})

if(NOT VELM_FUZZ)
file(GLOB VELM_HOST_TESTS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/host/*.cpp)
add_executable(host_tests ${VELM_HOST_TESTS})
target_compile_options(host_tests PRIVATE ${VELM_WARNINGS} ${VELM_SANITIZE})
target_link_libraries(host_tests PRIVATE velm_logic gtest gtest_main)
add_test(NAME host_tests COMMAND host_tests)
set_tests_properties(host_tests PROPERTIES
    ENVIRONMENT "GTEST_OUTPUT=xml:${CMAKE_BINARY_DIR}/test-results/gtest-host_tests.xml")

# The signing tool applies the client's rules: the same hostile manifests through both.
add_executable(manifest_verdict ${CMAKE_SOURCE_DIR}/tests/host/rules/manifest_verdict.cpp)
target_compile_options(manifest_verdict PRIVATE ${VELM_WARNINGS} ${VELM_SANITIZE})
target_link_libraries(manifest_verdict PRIVATE velm_logic)
add_test(NAME manifest_rules COMMAND Python3::Interpreter
    ${CMAKE_SOURCE_DIR}/tests/host/rules/manifest_rules_test.py ${CMAKE_SOURCE_DIR}
    $<TARGET_FILE:manifest_verdict>)

# Each folder of src/ includes only its own layer and the layers it declares below it.
add_test(NAME layers COMMAND Python3::Interpreter ${CMAKE_SOURCE_DIR}/tools/check_layers.py
    ${CMAKE_SOURCE_DIR})

# A release with a bad configuration stops before it builds anything.
add_test(NAME release_config COMMAND Python3::Interpreter
    ${CMAKE_SOURCE_DIR}/tests/release/release_config_test.py ${CMAKE_SOURCE_DIR})
# Two whole releases of this working tree, the update from the first to the second under Wine,
# and a second build of one target compared byte for byte. Slow (it builds the product three
# times over): label "slow", so `ctest -LE slow` leaves it out while developing.
add_test(NAME release COMMAND Python3::Interpreter
    ${CMAKE_SOURCE_DIR}/tests/release/release_test.py ${CMAKE_SOURCE_DIR})
set_tests_properties(release PROPERTIES TIMEOUT 2700 LABELS slow)

# Every C++ file follows the repository's .clang-format.
find_program(CLANG_FORMAT clang-format)
if(CLANG_FORMAT)
    add_test(NAME format COMMAND ${CMAKE_SOURCE_DIR}/scripts/format --check)
endif()
endif()

# Fuzzers (clang's libFuzzer): a build tree configured with clang++ and -DVELM_FUZZ=ON builds each
# fuzz/*_fuzz.cpp; as tests they run briefly over their committed seed corpus.
set(VELM_FUZZ_SECONDS 10 CACHE STRING "How long each fuzzer runs as a test")
if(VELM_FUZZ)
    file(GLOB VELM_FUZZERS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/fuzz/*_fuzz.cpp)
    foreach(f ${VELM_FUZZERS})
        get_filename_component(name ${f} NAME_WE)
        string(REGEX REPLACE "_fuzz$" "" corpus ${name})
        add_executable(${name} ${f})
        target_compile_options(${name} PRIVATE ${VELM_WARNINGS} ${VELM_SANITIZE}
            -fsanitize=fuzzer)
        target_link_options(${name} PRIVATE -fsanitize=fuzzer)
        target_link_libraries(${name} PRIVATE velm_logic)
        set(work ${CMAKE_BINARY_DIR}/fuzz-work/${corpus})
        add_test(NAME ${name} COMMAND ${CMAKE_COMMAND} -E env
            sh -c "mkdir -p '${work}' && exec $<TARGET_FILE:${name}> -max_total_time=${VELM_FUZZ_SECONDS} -print_final_stats=0 '${work}' '${CMAKE_SOURCE_DIR}/fuzz/corpus/${corpus}'")
    endforeach()
endif()
