# fundtally_add_test(<name> SOURCES <files...> LIBRARIES <targets...> [ARGS <args...>])
#
# Builds a QtTest executable and registers it with CTest. Tests run on the
# offscreen platform with no desktop theme plugin (such plugins can pull
# native dialogs into an offscreen run and hang it) and with no proxy, so
# loopback servers are reached directly. The offscreen screen is a desktop's
# (tests/desktopscreen.json), so windows show as they do on one unless a test
# picks another. The user's configuration folder is a scratch one, so no
# test reads or writes the real ~/.config.
function(fundtally_add_test name)
    cmake_parse_arguments(PARSE_ARGV 1 ARG "" "" "SOURCES;LIBRARIES;ARGS")
    add_executable(${name} ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE
        fundtally_compile_options Qt6::Test ${ARG_LIBRARIES})
    fundtally_add_test_run(${name} ${name} ARGS ${ARG_ARGS})
endfunction()

# fundtally_add_test_run(<name> <test executable> [ARGS <args...>] [ENVIRONMENT <VAR=value...>])
#
# Registers one more run of a test executable, in the same surroundings as
# fundtally_add_test and with the given variables besides.
function(fundtally_add_test_run name executable)
    cmake_parse_arguments(PARSE_ARGV 2 ARG "" "" "ARGS;ENVIRONMENT")
    add_test(NAME ${name} COMMAND ${executable} ${ARG_ARGS})
    set(environment
        "QT_QPA_PLATFORM=offscreen:configfile=${PROJECT_SOURCE_DIR}/tests/desktopscreen.json"
        "XDG_CONFIG_HOME=${CMAKE_BINARY_DIR}/test-config"
        ${ARG_ENVIRONMENT})
    set_tests_properties(${name} PROPERTIES
        ENVIRONMENT "${environment}"
        ENVIRONMENT_MODIFICATION
            "QT_QPA_PLATFORMTHEME=unset:;http_proxy=unset:;https_proxy=unset:;HTTP_PROXY=unset:;HTTPS_PROXY=unset:;all_proxy=unset:;ALL_PROXY=unset:;FUNDTALLY_QUOTE_HOST=unset:"
        TIMEOUT 300)
endfunction()
