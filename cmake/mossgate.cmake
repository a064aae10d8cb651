# Project-wide settings shared by both builds.

# Product code: texts are GBK in the executable, written as UTF-8 in the sources.
function(mossgate_product_target target)
    # -Werror=switch: a routine or kind left out of a switch over its enum does not compile.
    target_compile_options(${target} PRIVATE -Wall -Wextra -Werror=switch)
    if(MOSSGATE_WINDOWS)
        target_compile_options(${target} PRIVATE -finput-charset=UTF-8 -fexec-charset=GBK)
        target_compile_definitions(${target} PRIVATE WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601 WINVER=0x0601)
    else()
        target_compile_options(${target} PRIVATE -finput-charset=UTF-8 -fexec-charset=GBK ${MOSSGATE_SANITIZE})
        target_link_options(${target} PRIVATE ${MOSSGATE_SANITIZE})
    endif()
endfunction()

if(MOSSGATE_WINDOWS)
    include(${CMAKE_CURRENT_LIST_DIR}/third_party.cmake)
else()
    set(MOSSGATE_SANITIZE -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=all)
    find_package(PNG REQUIRED)
    find_package(JPEG REQUIRED)
    add_library(mossgate::png ALIAS PNG::PNG)
    add_library(mossgate::jpeg ALIAS JPEG::JPEG)
    # Reading packages: ZIP through minizip, bundle descriptions through nlohmann-json.
    find_package(PkgConfig REQUIRED)
    pkg_check_modules(MINIZIP REQUIRED IMPORTED_TARGET minizip)
    add_library(mossgate::minizip ALIAS PkgConfig::MINIZIP)
    find_package(nlohmann_json 3 REQUIRED)
    # Where the Windows build lives; the Wine and end-to-end tests run what it made.
    set(MOSSGATE_WIN32_DIR ${CMAKE_BINARY_DIR}/win32 CACHE PATH "Binary folder of the Windows build")
endif()
