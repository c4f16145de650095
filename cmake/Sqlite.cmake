# SQLite's official amalgamation, fetched once into the build tree and compiled into
# both builds. The only registries these machines reach are Debian's and npm's: the
# npm package sqlite3@6.0.1 carries the official autoconf tarball, so we take it
# from there and check both archives against pinned SHA-256 sums.
set(NETVANE_SQLITE_NPM_PACKAGE "sqlite3@6.0.1")
set(NETVANE_SQLITE_NPM_SHA256 "ab8d044a93e05bd031d7ea75547c7fa60387cdc259d27f93c0e3e2832c4b1df9")
set(NETVANE_SQLITE_TARBALL "sqlite-autoconf-3520000")
set(NETVANE_SQLITE_TARBALL_SHA256 "f6b50b0c103392af32a8be15b2b9d25959de9a00a70c3979128aafeaa5338b3f")

# Shared by every preset: build/deps beside build/native, build/win32 and build/win64.
set(NETVANE_DEPS_DIR "${CMAKE_SOURCE_DIR}/build/deps" CACHE PATH "Downloaded dependencies")
set(NETVANE_SQLITE_DIR "${NETVANE_DEPS_DIR}/${NETVANE_SQLITE_TARBALL}")

function(netvane_check_sha256 file expected)
    file(SHA256 "${file}" actual)
    if(NOT actual STREQUAL expected)
        message(FATAL_ERROR "SHA-256 mismatch for ${file}: expected ${expected}, got ${actual}")
    endif()
endfunction()

if(NOT EXISTS "${NETVANE_SQLITE_DIR}/sqlite3.c")
    set(work "${NETVANE_DEPS_DIR}/sqlite-fetch")
    file(REMOVE_RECURSE "${work}")
    file(MAKE_DIRECTORY "${work}")
    message(STATUS "Fetching SQLite through npm pack ${NETVANE_SQLITE_NPM_PACKAGE}")
    execute_process(COMMAND npm pack ${NETVANE_SQLITE_NPM_PACKAGE} --silent
                    WORKING_DIRECTORY "${work}" RESULT_VARIABLE rc OUTPUT_VARIABLE out)
    if(NOT rc EQUAL 0 OR NOT EXISTS "${work}/sqlite3-6.0.1.tgz")
        message(FATAL_ERROR "npm pack ${NETVANE_SQLITE_NPM_PACKAGE} failed (${rc}): ${out}")
    endif()
    netvane_check_sha256("${work}/sqlite3-6.0.1.tgz" "${NETVANE_SQLITE_NPM_SHA256}")
    file(ARCHIVE_EXTRACT INPUT "${work}/sqlite3-6.0.1.tgz" DESTINATION "${work}"
         PATTERNS "package/deps/${NETVANE_SQLITE_TARBALL}.tar.gz")
    set(tarball "${work}/package/deps/${NETVANE_SQLITE_TARBALL}.tar.gz")
    netvane_check_sha256("${tarball}" "${NETVANE_SQLITE_TARBALL_SHA256}")
    file(ARCHIVE_EXTRACT INPUT "${tarball}" DESTINATION "${work}"
         PATTERNS "${NETVANE_SQLITE_TARBALL}/sqlite3.c" "${NETVANE_SQLITE_TARBALL}/sqlite3.h")
    file(REMOVE_RECURSE "${NETVANE_SQLITE_DIR}")
    file(RENAME "${work}/${NETVANE_SQLITE_TARBALL}" "${NETVANE_SQLITE_DIR}")
    file(REMOVE_RECURSE "${work}")
endif()

add_library(sqlite3 STATIC "${NETVANE_SQLITE_DIR}/sqlite3.c")
target_include_directories(sqlite3 SYSTEM PUBLIC "${NETVANE_SQLITE_DIR}")
# Features the store never uses are left out, in every build alike.
target_compile_definitions(sqlite3 PRIVATE
    SQLITE_DQS=0 SQLITE_OMIT_LOAD_EXTENSION SQLITE_DEFAULT_FOREIGN_KEYS=1 SQLITE_THREADSAFE=1
    SQLITE_OMIT_DEPRECATED SQLITE_OMIT_SHARED_CACHE SQLITE_OMIT_JSON SQLITE_OMIT_PROGRESS_CALLBACK
    SQLITE_OMIT_GET_TABLE SQLITE_OMIT_TCL_VARIABLE SQLITE_DEFAULT_MEMSTATUS=0
    SQLITE_DEFAULT_CACHE_SIZE=-256
    # No memory set aside per connection ahead of use: the store's few statements do not
    # need the small-allocation pool or the preallocated pages, and the start pays for both.
    SQLITE_DEFAULT_LOOKASIDE=0,0 SQLITE_DEFAULT_PCACHE_INITSZ=0)
# In the shipped program SQLite is optimised for size: it is half the executable at -O3,
# and a settings list of a few rows never notices the difference.
if(WIN32)
    target_compile_options(sqlite3 PRIVATE $<$<CONFIG:Release>:-Os>)
endif()
# Third-party code: build it quietly and without our sanitizers.
target_compile_options(sqlite3 PRIVATE -w)
set_target_properties(sqlite3 PROPERTIES C_STANDARD 11 POSITION_INDEPENDENT_CODE ON)
