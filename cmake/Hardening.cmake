# The builds that are shipped get the hardening that Debian gives its own packages: checked
# buffer functions, stack protectors, and relocations made read-only once the program has loaded.
# Debug builds, which the tests and the debugger use, stay as the compiler makes them.
if(CMAKE_CXX_COMPILER_ID MATCHES "GNU|Clang" AND NOT APPLE AND NOT WIN32)
    set(tolvaren_shipped_build "$<CONFIG:Release,RelWithDebInfo,MinSizeRel>")
    add_compile_options(
        "$<${tolvaren_shipped_build}:-U_FORTIFY_SOURCE;-D_FORTIFY_SOURCE=2;-fstack-protector-strong>")
    add_link_options("$<${tolvaren_shipped_build}:LINKER:-z,relro;LINKER:-z,now>")
endif()
