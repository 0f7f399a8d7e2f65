# Warnings and source options per compiler family. GCC and Clang take the -W
# family; MSVC has its own, and reads sources as UTF-8 (they hold Chinese
# literals) only when told, whatever the code page of the build machine.
option(NBR_WARNINGS_AS_ERRORS "Fail the build on any compiler warning (CI turns this on)" OFF)
set(NBR_SANITIZERS "" CACHE STRING
    "Comma-separated -fsanitize= list for GCC and Clang, e.g. address,undefined (preset asan)")

if(MSVC)
    add_compile_options(/W4 /utf-8)
    if(NBR_WARNINGS_AS_ERRORS)
        add_compile_options(/WX)
    endif()
else()
    add_compile_options(-Wall -Wextra -Wpedantic)
    if(NBR_WARNINGS_AS_ERRORS)
        add_compile_options(-Werror)
    endif()
    if(NBR_SANITIZERS)
        # Every finding stops the program, so a test that provokes one fails;
        # whole stack traces need the frame pointers.
        add_compile_options(-fsanitize=${NBR_SANITIZERS} -fno-sanitize-recover=all
                            -fno-omit-frame-pointer)
        add_link_options(-fsanitize=${NBR_SANITIZERS})
    endif()
endif()

if(WIN32)
    # <windows.h> (ODBC, window activation) would otherwise define min and max
    # as macros and break std::min, std::max and Qt's own headers.
    add_compile_definitions(NOMINMAX WIN32_LEAN_AND_MEAN)
endif()
