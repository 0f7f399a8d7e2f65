# Linux builds that are optimised (the package is made from one) get the
# hardening Debian builds its own packages with: stack protector, checked libc
# calls, control-flow protection where the compiler has it, relocations made
# read-only and bound at start, position-independent executables. Debug builds
# go without: _FORTIFY_SOURCE needs optimisation, and the sanitizers check
# more than these.
if(NOT CMAKE_SYSTEM_NAME STREQUAL "Linux" OR MSVC)
    return()
endif()

include(CheckCXXCompilerFlag)
include(CheckPIESupported)
check_cxx_compiler_flag(-fcf-protection NBR_HAVE_CF_PROTECTION)
check_pie_supported()

set(optimised "$<NOT:$<CONFIG:Debug>>")
add_compile_options("$<${optimised}:-fstack-protector-strong;-D_FORTIFY_SOURCE=2>")
if(NBR_HAVE_CF_PROTECTION)
    add_compile_options("$<${optimised}:-fcf-protection>")
endif()
add_link_options("$<${optimised}:-Wl,-z,relro,-z,now>")
set(CMAKE_POSITION_INDEPENDENT_CODE ON)
