# Warnings and sanitizers shared by every Byteloom target, applied through byteloom_options.
add_library(byteloom_options INTERFACE)

target_compile_options(byteloom_options INTERFACE
    -Wall -Wextra -Wpedantic -Wshadow -Wconversion -Wsign-conversion
    -Wnon-virtual-dtor -Wold-style-cast -Woverloaded-virtual)
# GCC 12 warns falsely about std::string concatenation at -O2 and above (GCC bug 105329).
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
    target_compile_options(byteloom_options INTERFACE -Wno-restrict)
endif()
if(BYTELOOM_WERROR)
    target_compile_options(byteloom_options INTERFACE -Werror)
endif()

if(BYTELOOM_BUILD_FUZZERS)
    target_compile_options(byteloom_options INTERFACE -fsanitize=fuzzer-no-link)
endif()

if(BYTELOOM_SANITIZE)
    # The standard library checks its own indexes too: an index past a vector's size that is
    # still inside its storage goes unseen by the address sanitizer.
    target_compile_definitions(byteloom_options INTERFACE _GLIBCXX_ASSERTIONS)
    target_compile_options(byteloom_options INTERFACE
        -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
    target_link_options(byteloom_options INTERFACE -fsanitize=address,undefined)
endif()
