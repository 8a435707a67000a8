# Third-party libraries, found once for every layer.
find_package(PkgConfig REQUIRED)
find_package(Threads REQUIRED)
find_package(fmt REQUIRED)
find_package(Qt6 REQUIRED COMPONENTS Core Gui Widgets PrintSupport Test)
# The relationships diagram is written as SVG.
find_package(Qt6 REQUIRED COMPONENTS Svg)
# The media player's devices play through Qt Multimedia (GStreamer on Linux).
find_package(Qt6 REQUIRED COMPONENTS Multimedia MultimediaWidgets)
find_package(ICU REQUIRED COMPONENTS uc i18n data)
find_package(OpenSSL REQUIRED COMPONENTS Crypto)
pkg_check_modules(SODIUM REQUIRED IMPORTED_TARGET libsodium)
# The reader of genuine .mdb/.accdb files that the engine imports (run in a child process).
pkg_check_modules(LIBMDB REQUIRED IMPORTED_TARGET libmdb)
# ODBC workspaces open data sources through the driver manager.
pkg_check_modules(ODBC REQUIRED IMPORTED_TARGET odbc)
# ... and its settings (a data source's own values, read where the driver read them).
pkg_check_modules(ODBCINST REQUIRED IMPORTED_TARGET odbcinst)
# PostgreSQL's client library: the bulk copy its ODBC driver does not offer (jet/odbc/server_copy).
pkg_check_modules(LIBPQ REQUIRED IMPORTED_TARGET libpq)

# SQLCipher is the engine's SQLite: linked statically so that its symbols never meet a
# system libsqlite3 loaded into the same process (an ODBC driver, for instance).
find_library(SQLCIPHER_STATIC NAMES libsqlcipher.a REQUIRED)
find_path(SQLCIPHER_INCLUDE_DIR sqlcipher/sqlite3.h REQUIRED)
add_library(qb_sqlcipher INTERFACE)
target_include_directories(qb_sqlcipher INTERFACE ${SQLCIPHER_INCLUDE_DIR})
target_compile_definitions(qb_sqlcipher INTERFACE SQLITE_HAS_CODEC)
target_link_libraries(qb_sqlcipher INTERFACE ${SQLCIPHER_STATIC} OpenSSL::Crypto Threads::Threads ${CMAKE_DL_LIBS} m)

if(QB_BUILD_TESTS)
  find_package(GTest REQUIRED)
endif()

# Every layer includes headers by their path below src/ ("core/format.h").
set(QB_SRC_DIR ${CMAKE_SOURCE_DIR}/src)

# qb_layer(NAME DIR [GLOBS...]): a static library of every .cpp under DIR (and the extra globs).
function(qb_layer name dir)
  file(GLOB_RECURSE sources CONFIGURE_DEPENDS ${dir}/*.cpp)
  # Headers are listed too, so that moc always sees the Q_OBJECT classes among them.
  file(GLOB_RECURSE headers CONFIGURE_DEPENDS ${dir}/*.h)
  if(NOT sources)
    # A layer with no code yet still links, so the layers above it can be built.
    set(sources ${CMAKE_CURRENT_BINARY_DIR}/${name}_empty.cpp)
    file(WRITE ${sources} "")
  endif()
  add_library(${name} STATIC ${sources} ${headers})
  target_include_directories(${name} PUBLIC ${QB_SRC_DIR})
endfunction()
