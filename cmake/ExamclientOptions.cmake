# Compiler settings shared by every target of the project.

# The system's own texts are GBK bytes in the binary. GB18030 gives the same bytes as
# GBK for every GBK character and, unlike GBK, survives libstdc++'s <chrono> ("µ").
add_compile_options("$<$<COMPILE_LANGUAGE:CXX>:-fexec-charset=GB18030>")

add_compile_options(-Wall -Wextra -Wpedantic "$<$<COMPILE_LANGUAGE:CXX>:-Wold-style-cast>")
if(EXAMCLIENT_WERROR)
    add_compile_options(-Werror)
endif()

if(EXAMCLIENT_SANITIZE)
    add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
    add_link_options(-fsanitize=address,undefined)
endif()

# Adds a library target `examclient_<name>` whose headers are included as "<dir>/file.h".
function(examclient_library name)
    add_library(examclient_${name} ${ARGN})
    target_include_directories(examclient_${name} PUBLIC ${PROJECT_SOURCE_DIR})
endfunction()
