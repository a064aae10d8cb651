# mbed TLS (crypto only: RSA, bignum, base64, ASN.1/DER, PEM, SHA) for the ADB toolkit.
# Windows build: from its Debian source tarball, built with our toolchain (scripts/setup fetches it).
# Native build: Debian's libmbedtls-dev, the same 2.28 release.
if(TARGET mossgate::mbedcrypto)
    return()
endif()

if(MOSSGATE_WINDOWS)
    include(ExternalProject)
    file(GLOB _mbedtls_tarball "${MOSSGATE_THIRD_PARTY_CACHE}/mbedtls_*.orig.tar.*")
    list(FILTER _mbedtls_tarball EXCLUDE REGEX "\\.sha256$")
    if(NOT _mbedtls_tarball)
        message(FATAL_ERROR "mbedtls sources missing in ${MOSSGATE_THIRD_PARTY_CACHE}; run scripts/setup")
    endif()
    set(_prefix ${CMAKE_BINARY_DIR}/third_party)
    ExternalProject_Add(mbedtls_build
        URL ${_mbedtls_tarball}
        CMAKE_ARGS -DCMAKE_TOOLCHAIN_FILE=${CMAKE_TOOLCHAIN_FILE} -DCMAKE_BUILD_TYPE=Release
            -DCMAKE_INSTALL_PREFIX=${_prefix} -DCMAKE_INSTALL_LIBDIR=${_prefix}/lib
            -DCMAKE_INSTALL_INCLUDEDIR=${_prefix}/include
            -DENABLE_PROGRAMS=OFF -DENABLE_TESTING=OFF -DMBEDTLS_FATAL_WARNINGS=OFF
            -DUSE_STATIC_MBEDTLS_LIBRARY=ON -DUSE_SHARED_MBEDTLS_LIBRARY=OFF
        BUILD_BYPRODUCTS ${_prefix}/lib/libmbedcrypto.a
        DOWNLOAD_EXTRACT_TIMESTAMP ON)
    file(MAKE_DIRECTORY ${_prefix}/include)
    add_library(mossgate_mbedcrypto STATIC IMPORTED GLOBAL)
    # The entropy source of mbed TLS on Windows is CryptGenRandom (advapi32).
    set_target_properties(mossgate_mbedcrypto PROPERTIES IMPORTED_LOCATION ${_prefix}/lib/libmbedcrypto.a
        INTERFACE_INCLUDE_DIRECTORIES ${_prefix}/include INTERFACE_LINK_LIBRARIES advapi32)
    add_dependencies(mossgate_mbedcrypto mbedtls_build)
else()
    find_library(MOSSGATE_MBEDCRYPTO NAMES mbedcrypto REQUIRED)
    find_path(MOSSGATE_MBEDTLS_INCLUDE mbedtls/rsa.h REQUIRED)
    add_library(mossgate_mbedcrypto UNKNOWN IMPORTED GLOBAL)
    set_target_properties(mossgate_mbedcrypto PROPERTIES IMPORTED_LOCATION ${MOSSGATE_MBEDCRYPTO}
        INTERFACE_INCLUDE_DIRECTORIES ${MOSSGATE_MBEDTLS_INCLUDE})
endif()
add_library(mossgate::mbedcrypto ALIAS mossgate_mbedcrypto)
