# The system DLLs that are not among Windows' known DLLs (HKLM\SYSTEM\CurrentControlSet\Control\
# Session Manager\KnownDLLs, which always come from System32) are delay-loaded in every program:
# the loader would look for them in the program's own folder first, and Update.exe runs from the
# temporary folder. The delay-load helper asks src/base/DllSearch.cpp's hook, which loads from
# System32 only. cmake/delayload/<dll>.def lists the functions the programs call, with the i386
# stdcall sizes; a call of a function missing there fails to link (undefined __imp_ symbol): add
# it with the size `i686-w64-mingw32-nm /usr/i686-w64-mingw32/lib/lib<dll>.a` shows. A DLL first
# used later (shlwapi, say) gets a .def here and a place in this list, never a plain -l link.
# shell32 is a known DLL, delay-loaded for another reason: in the import table it is loaded and
# initialised before the program's first line (tens of milliseconds under Wine before the splash),
# and only the tray icon, opening a browser and the screenshot folder need it. The toolchain links
# -lshell32 by default, so a shell32 function missing from its .def links as a plain import:
# `objdump -p velm.exe` must show no SHELL32.dll among the plain imports.
set(VELM_DELAY_LOADED shell32 bcrypt comctl32 dbghelp gdiplus msimg32 urlmon wininet)

if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    set(machine i386:x86-64)
    set(symbol_prefix "")
else()
    set(machine i386)
    set(symbol_prefix "_")
endif()
set(VELM_DELAY_LIBS "")
set(VELM_DELAY_KEEP "")
foreach(dll ${VELM_DELAY_LOADED})
    set(def ${CMAKE_SOURCE_DIR}/cmake/delayload/${dll}.def)
    set(lib ${CMAKE_BINARY_DIR}/delayload/lib${dll}_delay.a)
    set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${def})
    file(READ ${def} text)
    if(CMAKE_SIZEOF_VOID_P EQUAL 8)
        # x86-64 has one calling convention and no size decorations.
        string(REGEX REPLACE "@[0-9]+" "" text "${text}")
    endif()
    file(WRITE ${CMAKE_BINARY_DIR}/delayload/${dll}.def "${text}")
    execute_process(
        COMMAND ${CMAKE_DLLTOOL} --machine ${machine} --kill-at
                --input-def ${CMAKE_BINARY_DIR}/delayload/${dll}.def --dllname ${dll}.dll
                --output-delaylib ${lib}
        RESULT_VARIABLE status ERROR_VARIABLE errors)
    if(NOT status EQUAL 0)
        message(FATAL_ERROR "dlltool could not make ${lib}: ${errors}")
    endif()
    list(APPEND VELM_DELAY_LIBS ${lib})
    if(NOT CMAKE_SIZEOF_VOID_P EQUAL 8)
        # The i386 linker drops a stub whose own symbol nothing names (calls go through __imp_),
        # and with it the code the delay table points at: each call would jump to address 0.
        string(REGEX MATCHALL "[A-Za-z_][A-Za-z0-9_]*@[0-9]+" functions "${text}")
        foreach(function ${functions})
            list(APPEND VELM_DELAY_KEEP "LINKER:--undefined=_${function}")
        endforeach()
    endif()
endforeach()

# The hook lives in velm_base; nothing in a program names it, so the link is told to keep it.
add_library(velm_delay_load INTERFACE)
target_link_libraries(velm_delay_load INTERFACE ${VELM_DELAY_LIBS})
target_link_options(velm_delay_load INTERFACE
    "LINKER:--undefined=${symbol_prefix}__pfnDliNotifyHook2" ${VELM_DELAY_KEEP})
