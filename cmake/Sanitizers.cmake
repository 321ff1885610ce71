# The builds that look for memory and undefined-behaviour faults. Each lives in a build
# folder of its own (scripts/test --sanitize, scripts/fuzz), so the everyday build stays
# uninstrumented.
if(KORAVEL_SANITIZE AND KORAVEL_FUZZ)
    message(FATAL_ERROR "KORAVEL_SANITIZE and KORAVEL_FUZZ are separate builds")
endif()

if(KORAVEL_SANITIZE)
    # Undefined behaviour aborts like a memory fault, so a test cannot pass over it.
    set(_koravel_san -fsanitize=address,undefined -fno-sanitize-recover=undefined
        -fno-omit-frame-pointer)
    add_compile_options(${_koravel_san})
    add_link_options(${_koravel_san})
    # The SQLite ODBC driver loads unixODBC's installer library at each connection and
    # unloads it again, so the leaks it leaves there would be reported without a name (and
    # could not be told from ours). Linked in, it stays loaded and they carry its name.
    add_link_options(LINKER:--push-state,--no-as-needed -lodbcinst LINKER:--pop-state)
endif()

if(KORAVEL_FUZZ)
    if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
        message(FATAL_ERROR "KORAVEL_FUZZ needs clang (libFuzzer): configure with "
                            "-DCMAKE_CXX_COMPILER=clang++")
    endif()
    # Every library the targets reach is instrumented for coverage and checked for memory
    # faults; only the targets themselves link the fuzzing engine (tests/fuzz).
    set(_koravel_san -fsanitize=address,undefined -fno-sanitize-recover=undefined
        -fno-omit-frame-pointer)
    add_compile_options(-fsanitize=fuzzer-no-link ${_koravel_san})
    add_link_options(${_koravel_san})
    set(KORAVEL_BUILD_TESTS OFF CACHE BOOL "" FORCE)
    set(KORAVEL_BUILD_BENCH OFF CACHE BOOL "" FORCE)
endif()
