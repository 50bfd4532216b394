# One interface target carries the compile settings every project target shares.
add_library(fundtally_compile_options INTERFACE)
target_compile_features(fundtally_compile_options INTERFACE cxx_std_20)
# The warnings cost nothing on clean code and catch real faults: a name that
# hides another, a cast that drops const or hides its kind, an override that
# is not one, a base deleted through a pointer without a virtual destructor.
target_compile_options(fundtally_compile_options INTERFACE
    $<$<CXX_COMPILER_ID:GNU,Clang>:-Wall -Wextra -Wpedantic -Wshadow -Wcast-qual -Wold-style-cast
                                    -Woverloaded-virtual -Wnon-virtual-dtor>)
# Off for a user's build, so that a newer compiler's new warning never stops
# it; the test and CI commands turn it on.
option(FUNDTALLY_WERROR "Treat the project's warnings as errors" OFF)
if(FUNDTALLY_WERROR)
    target_compile_options(fundtally_compile_options INTERFACE $<$<CXX_COMPILER_ID:GNU,Clang>:-Werror>)
endif()
target_compile_definitions(fundtally_compile_options INTERFACE
    QT_NO_KEYWORDS
    QT_NO_FOREACH
    QT_DISABLE_DEPRECATED_BEFORE=0x060400)

# AddressSanitizer and UndefinedBehaviorSanitizer over every project target;
# Qt and the system libraries stay as installed. Undefined behaviour stops the
# program so that a test run cannot pass over a report.
option(FUNDTALLY_SANITIZE "Build with AddressSanitizer and UndefinedBehaviorSanitizer" OFF)
set(_fundtally_sanitizers "")
if(FUNDTALLY_SANITIZE)
    set(_fundtally_sanitizers address,undefined)
endif()

# The fuzz build instruments the libraries for libFuzzer's coverage as well;
# the fuzz targets themselves link libFuzzer (tests/fuzz).
if(FUNDTALLY_FUZZ)
    if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
        message(FATAL_ERROR "FUNDTALLY_FUZZ needs clang (configure with CXX=clang++-14)")
    endif()
    set(_fundtally_sanitizers address,undefined)
    target_compile_options(fundtally_compile_options INTERFACE -fsanitize=fuzzer-no-link)
endif()

if(_fundtally_sanitizers)
    target_compile_options(fundtally_compile_options INTERFACE
        -fsanitize=${_fundtally_sanitizers} -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
    target_link_options(fundtally_compile_options INTERFACE
        -fsanitize=${_fundtally_sanitizers} -fno-sanitize-recover=undefined)
endif()
unset(_fundtally_sanitizers)
