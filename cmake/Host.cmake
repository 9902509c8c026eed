# Native build: the window-free logic and its tests under AddressSanitizer and UBSan.
set(VELM_SANITIZE -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=all)

add_library(velm_logic STATIC ${VELM_LOGIC_SOURCES})
target_include_directories(velm_logic PUBLIC ${CMAKE_SOURCE_DIR}/src ${VELM_GENERATED})
target_compile_options(velm_logic PRIVATE ${VELM_WARNINGS} ${VELM_SANITIZE})
target_link_options(velm_logic PUBLIC ${VELM_SANITIZE})

file(GLOB VELM_HOST_TESTS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/host/*.cpp)
add_executable(host_tests ${VELM_HOST_TESTS})
target_compile_options(host_tests PRIVATE ${VELM_WARNINGS} ${VELM_SANITIZE})
target_link_libraries(host_tests PRIVATE velm_logic gtest gtest_main)
add_test(NAME host_tests COMMAND host_tests)
set_tests_properties(host_tests PROPERTIES
    ENVIRONMENT "GTEST_OUTPUT=xml:${CMAKE_BINARY_DIR}/../test-results/gtest-host_tests.xml")

# Every C++ file follows the repository's .clang-format.
find_program(CLANG_FORMAT clang-format)
if(CLANG_FORMAT)
    add_test(NAME format COMMAND ${CMAKE_SOURCE_DIR}/scripts/format --check)
endif()
