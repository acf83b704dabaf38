# Compiler settings shared by every target of the project.
# orvel_target_defaults(<target> [TEST])
function(orvel_target_defaults target)
    target_compile_features(${target} PUBLIC cxx_std_17)
    set_target_properties(${target} PROPERTIES CXX_EXTENSIONS OFF)
    target_compile_options(${target} PRIVATE -Wall -Wextra)
    if(NOT "TEST" IN_LIST ARGN)
        # Program code names its encodings; tests write plain UTF-8 literals.
        target_compile_definitions(${target} PRIVATE QT_NO_CAST_FROM_ASCII)
    endif()
endfunction()
