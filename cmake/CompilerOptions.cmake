# Warnings and source options per compiler family. GCC and Clang take the -W
# family; MSVC has its own, and reads sources as UTF-8 (they hold Chinese
# literals) only when told, whatever the code page of the build machine.
if(MSVC)
    add_compile_options(/W4 /utf-8)
else()
    add_compile_options(-Wall -Wextra -Wpedantic)
endif()

if(WIN32)
    # <windows.h> (ODBC, window activation) would otherwise define min and max
    # as macros and break std::min, std::max and Qt's own headers.
    add_compile_definitions(NOMINMAX WIN32_LEAN_AND_MEAN)
endif()
