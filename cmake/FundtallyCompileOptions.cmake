# One interface target carries the compile settings every project target shares.
add_library(fundtally_compile_options INTERFACE)
target_compile_features(fundtally_compile_options INTERFACE cxx_std_20)
target_compile_options(fundtally_compile_options INTERFACE
    $<$<CXX_COMPILER_ID:GNU,Clang>:-Wall -Wextra -Wpedantic>)
target_compile_definitions(fundtally_compile_options INTERFACE
    QT_NO_KEYWORDS
    QT_NO_FOREACH
    QT_DISABLE_DEPRECATED_BEFORE=0x060400)
