# libpng, libjpeg-turbo and minizip (zlib's contrib/minizip) from their Debian source tarballs, built
# with our toolchain; zlib itself comes from Debian's libz-mingw-w64-dev, nlohmann-json (headers only)
# from nlohmann-json3-dev. scripts/setup fetches the tarballs.
include(ExternalProject)

set(MOSSGATE_THIRD_PARTY_CACHE "${CMAKE_SOURCE_DIR}/build/third_party" CACHE PATH
    "Folder holding the Debian source tarballs of libpng1.6 and libjpeg-turbo")
file(GLOB _png_tarball "${MOSSGATE_THIRD_PARTY_CACHE}/libpng1.6_*.orig.tar.*")
file(GLOB _jpeg_tarball "${MOSSGATE_THIRD_PARTY_CACHE}/libjpeg-turbo_*.orig.tar.*")
list(FILTER _png_tarball EXCLUDE REGEX "\\.sha256$")
list(FILTER _jpeg_tarball EXCLUDE REGEX "\\.sha256$")
if(NOT _png_tarball OR NOT _jpeg_tarball)
    message(FATAL_ERROR "libpng/libjpeg-turbo sources missing in ${MOSSGATE_THIRD_PARTY_CACHE}; run scripts/setup")
endif()

set(_prefix ${CMAKE_BINARY_DIR}/third_party)
set(_common_args
    -DCMAKE_TOOLCHAIN_FILE=${CMAKE_TOOLCHAIN_FILE}
    -DCMAKE_BUILD_TYPE=Release
    -DCMAKE_INSTALL_PREFIX=${_prefix}
    -DCMAKE_INSTALL_LIBDIR=${_prefix}/lib
    -DCMAKE_INSTALL_INCLUDEDIR=${_prefix}/include
    -DCMAKE_POSITION_INDEPENDENT_CODE=OFF)

find_library(MOSSGATE_ZLIB NAMES libz.a z REQUIRED)

ExternalProject_Add(libpng_build
    URL ${_png_tarball}
    CMAKE_ARGS ${_common_args} -DPNG_SHARED=OFF -DPNG_STATIC=ON -DPNG_TESTS=OFF -DPNG_EXECUTABLES=OFF
        -DPNG_BUILD_ZLIB=OFF -DZLIB_LIBRARY=${MOSSGATE_ZLIB} -DZLIB_INCLUDE_DIR=/usr/i686-w64-mingw32/include
        -DSKIP_INSTALL_PROGRAMS=ON -DSKIP_INSTALL_FILES=ON
    BUILD_BYPRODUCTS ${_prefix}/lib/libpng16.a
    DOWNLOAD_EXTRACT_TIMESTAMP ON)

ExternalProject_Add(libjpeg_build
    URL ${_jpeg_tarball}
    CMAKE_ARGS ${_common_args} -DENABLE_SHARED=OFF -DENABLE_STATIC=ON -DWITH_SIMD=OFF -DWITH_TURBOJPEG=OFF
        -DWITH_JAVA=OFF
    BUILD_BYPRODUCTS ${_prefix}/lib/libjpeg.a
    DOWNLOAD_EXTRACT_TIMESTAMP ON)

file(MAKE_DIRECTORY ${_prefix}/include)

add_library(mossgate_png STATIC IMPORTED GLOBAL)
set_target_properties(mossgate_png PROPERTIES IMPORTED_LOCATION ${_prefix}/lib/libpng16.a
    INTERFACE_INCLUDE_DIRECTORIES ${_prefix}/include INTERFACE_LINK_LIBRARIES ${MOSSGATE_ZLIB})
add_dependencies(mossgate_png libpng_build)
add_library(mossgate::png ALIAS mossgate_png)

add_library(mossgate_jpeg STATIC IMPORTED GLOBAL)
set_target_properties(mossgate_jpeg PROPERTIES IMPORTED_LOCATION ${_prefix}/lib/libjpeg.a
    INTERFACE_INCLUDE_DIRECTORIES ${_prefix}/include)
add_dependencies(mossgate_jpeg libjpeg_build)
add_library(mossgate::jpeg ALIAS mossgate_jpeg)

# minizip: its sources unpacked from zlib's tarball and built as part of this build.
file(GLOB _zlib_tarball "${MOSSGATE_THIRD_PARTY_CACHE}/zlib_*.orig.tar.*")
list(FILTER _zlib_tarball EXCLUDE REGEX "\\.sha256$")
if(NOT _zlib_tarball)
    message(FATAL_ERROR "zlib sources missing in ${MOSSGATE_THIRD_PARTY_CACHE}; run scripts/setup")
endif()
set(_minizip_unpacked ${CMAKE_BINARY_DIR}/third_party/zlib-src)
if(NOT EXISTS ${_minizip_unpacked}/stamp)
    file(ARCHIVE_EXTRACT INPUT ${_zlib_tarball} DESTINATION ${_minizip_unpacked} PATTERNS "*/contrib/minizip/*")
    file(TOUCH ${_minizip_unpacked}/stamp)
endif()
file(GLOB _minizip_dir ${_minizip_unpacked}/*/contrib/minizip)
add_library(mossgate_minizip STATIC ${_minizip_dir}/unzip.c ${_minizip_dir}/ioapi.c)
target_include_directories(mossgate_minizip SYSTEM PUBLIC ${_minizip_dir})
target_compile_options(mossgate_minizip PRIVATE -w)
target_link_libraries(mossgate_minizip PUBLIC ${MOSSGATE_ZLIB})
add_library(mossgate::minizip ALIAS mossgate_minizip)

# nlohmann-json's headers, copied beside the others: the host's /usr/include must not reach mingw.
file(COPY /usr/include/nlohmann DESTINATION ${_prefix}/include)
add_library(nlohmann_json::nlohmann_json INTERFACE IMPORTED GLOBAL)
set_target_properties(nlohmann_json::nlohmann_json PROPERTIES INTERFACE_INCLUDE_DIRECTORIES ${_prefix}/include)
