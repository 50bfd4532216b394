# fundtally_add_test(<name> SOURCES <files...> LIBRARIES <targets...> [ARGS <args...>])
#
# Builds a QtTest executable and registers it with CTest. Tests run on the
# offscreen platform with no desktop theme plugin (such plugins can pull
# native dialogs into an offscreen run and hang it) and with no proxy, so
# loopback servers are reached directly. The user's configuration folder is a
# scratch one, so no test reads or writes the real ~/.config.
function(fundtally_add_test name)
    cmake_parse_arguments(PARSE_ARGV 1 ARG "" "" "SOURCES;LIBRARIES;ARGS")
    add_executable(${name} ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE
        fundtally_compile_options Qt6::Test ${ARG_LIBRARIES})
    add_test(NAME ${name} COMMAND ${name} ${ARG_ARGS})
    set_tests_properties(${name} PROPERTIES
        ENVIRONMENT "QT_QPA_PLATFORM=offscreen;XDG_CONFIG_HOME=${CMAKE_BINARY_DIR}/test-config"
        ENVIRONMENT_MODIFICATION
            "QT_QPA_PLATFORMTHEME=unset:;http_proxy=unset:;https_proxy=unset:;HTTP_PROXY=unset:;HTTPS_PROXY=unset:;all_proxy=unset:;ALL_PROXY=unset:;FUNDTALLY_QUOTE_HOST=unset:"
        TIMEOUT 300)
endfunction()
