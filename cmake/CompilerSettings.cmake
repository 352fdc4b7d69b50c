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

if(WIN32)
    # The wide-character Windows calls, without the macros min and max, on Windows 10 and later;
    # and 64-bit file offsets in the C library.
    target_compile_definitions(byteloom_options INTERFACE
        UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0A00 _FILE_OFFSET_BITS=64)
    # GCC warns falsely of a std::optional's value being read uninitialized (GCC bug 80635).
    target_compile_options(byteloom_options INTERFACE -Wno-maybe-uninitialized)
endif()
