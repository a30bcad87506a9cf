# The plug-in library: Sumbra.dll on Windows, Sumbra.so elsewhere.

# The operating-system layer: the Windows API itself, or its stand-ins.
if(WIN32)
  set(platform_sources platform/win32/text.cpp)
else()
  set(platform_sources platform/posix/text.cpp platform/posix/environment.cpp
      platform/posix/registry.cpp platform/posix/reg_file.cpp
      platform/posix/reg_file_units.cpp platform/posix/reg_file_data.cpp
      platform/posix/reg_file_cache.cpp)
endif()

# The plug-in's own flags: C-style, no exceptions, no RTTI. The platform layer is built once
# with them, and the plug-in and every test link those same objects.
set(plugin_flags -fno-exceptions -fno-rtti)
if(CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
  # Sumbra.dll starts without the C runtime's start-up code, which is what runs static
  # constructors and registers destructors: the plug-in must have none. The clang build (the
  # fuzzers) fails if one creeps in; gcc has no such warning.
  list(APPEND plugin_flags -Wglobal-constructors -Wexit-time-destructors)
endif()
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND NOT WIN32)
  # Frame sizes as the compiler lays them out, checked by the stack_usage test.
  list(APPEND plugin_flags -fstack-usage)
endif()

add_library(sumbra_platform STATIC ${platform_sources} platform/text_portable.cpp
            platform/utf8.cpp)
target_include_directories(sumbra_platform PUBLIC ${PROJECT_SOURCE_DIR})
target_compile_options(sumbra_platform PRIVATE ${plugin_flags})

# The plug-in's name, author and version as its code and its version resource read them.
set(generated ${CMAKE_CURRENT_BINARY_DIR}/generated)
string(TOLOWER ${PROJECT_NAME} sumbra_lower_name)
configure_file(identity/identity.h.in ${generated}/identity/identity.h @ONLY)

# The plug-in's own logic.
add_library(sumbra_plugin_objects OBJECT
  calc/key.cpp calc/trim.cpp calc/highlight.cpp shell/lifecycle.cpp)
target_include_directories(sumbra_plugin_objects PUBLIC ${PROJECT_SOURCE_DIR} ${generated})
target_compile_options(sumbra_plugin_objects PRIVATE ${plugin_flags})

# What the plug-in links its host services against: an import library made from Orvane.def on
# Windows, the minimal host under the host library's name elsewhere.
if(WIN32)
  set(orvane_import ${CMAKE_CURRENT_BINARY_DIR}/libOrvane.dll.a)
  add_custom_command(OUTPUT ${orvane_import}
    COMMAND ${CMAKE_DLLTOOL} -d ${PROJECT_SOURCE_DIR}/host/Orvane.def -l ${orvane_import}
    DEPENDS host/Orvane.def VERBATIM)
  add_custom_target(orvane_import_library DEPENDS ${orvane_import})
else()
  add_library(orvane_minimal SHARED host/minimal_host.cpp)
  target_include_directories(orvane_minimal PRIVATE ${PROJECT_SOURCE_DIR})
  set_target_properties(orvane_minimal PROPERTIES OUTPUT_NAME Orvane
    LIBRARY_OUTPUT_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}/minimal-host)
endif()

add_library(Sumbra SHARED $<TARGET_OBJECTS:sumbra_plugin_objects>)
target_link_libraries(Sumbra PRIVATE sumbra_platform)
set_target_properties(Sumbra PROPERTIES PREFIX "" SKIP_BUILD_RPATH ON)
if(WIN32)
  add_custom_target(build_stamp
    COMMAND ${CMAKE_COMMAND} -DOUTPUT=${CMAKE_CURRENT_BINARY_DIR}/stamp/build_stamp.h
            -P ${PROJECT_SOURCE_DIR}/cmake/BuildStamp.cmake
    BYPRODUCTS ${CMAKE_CURRENT_BINARY_DIR}/stamp/build_stamp.h VERBATIM)
  target_sources(Sumbra PRIVATE shell/dll_main.cpp shell/version.rc shell/Sumbra.def)
  set_source_files_properties(shell/version.rc PROPERTIES
    INCLUDE_DIRECTORIES "${CMAKE_CURRENT_BINARY_DIR}/stamp;${generated};${PROJECT_SOURCE_DIR}/shell"
    OBJECT_DEPENDS "${CMAKE_CURRENT_BINARY_DIR}/stamp/build_stamp.h;${PROJECT_SOURCE_DIR}/shell/Sumbra.manifest")
  target_compile_options(Sumbra PRIVATE $<$<COMPILE_LANGUAGE:CXX>:${plugin_flags}>)
  add_dependencies(Sumbra build_stamp orvane_import_library)
  target_link_libraries(Sumbra PRIVATE ${orvane_import} advapi32)
  # DllMain is the real entry point: no C runtime start-up code, so no TLS directory, no .CRT
  # section and none of the imports that code brings. msvcrt.dll starts itself when loaded.
  target_link_options(Sumbra PRIVATE -nostartfiles -Wl,--entry=DllMain)
else()
  target_link_libraries(Sumbra PRIVATE orvane_minimal)
  # Only the four exports are visible; the library stays loaded until the process ends, since
  # the environment it writes refers to its storage.
  target_link_options(Sumbra PRIVATE
    -Wl,--version-script=${PROJECT_SOURCE_DIR}/shell/exports.map -Wl,-z,nodelete -Wl,-z,defs)
  set_target_properties(Sumbra PROPERTIES LINK_DEPENDS ${PROJECT_SOURCE_DIR}/shell/exports.map)
endif()

# A fuzzing build links the plug-in's objects into the fuzzers instead.
if(SUMBRA_FUZZ)
  set_target_properties(Sumbra orvane_minimal PROPERTIES EXCLUDE_FROM_ALL ON)
endif()
