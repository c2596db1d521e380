# Compiler launcher, warnings and sanitizers shared by every target.
find_program(CCACHE_PROGRAM ccache)
if(CCACHE_PROGRAM)
  set(CMAKE_C_COMPILER_LAUNCHER ${CCACHE_PROGRAM})
  set(CMAKE_CXX_COMPILER_LAUNCHER ${CCACHE_PROGRAM})
endif()

if(NOT CMAKE_BUILD_TYPE AND NOT CMAKE_CONFIGURATION_TYPES)
  set(CMAKE_BUILD_TYPE RelWithDebInfo CACHE STRING "Build type" FORCE)
endif()

if(ORV_SANITIZE)
  set(ORV_SAN_FLAGS -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  add_compile_options(${ORV_SAN_FLAGS})
  add_link_options(-fsanitize=address,undefined)
endif()

# Warnings for our own code; generated code turns them off per target. The test build makes them
# errors, so no new warning lands.
option(ORV_WERROR "Treat warnings in our own code as errors" OFF)
set(ORV_WARNINGS -Wall -Wextra -Wno-unused-parameter)
if(ORV_WERROR)
  list(APPEND ORV_WARNINGS -Werror)
endif()

# orv_layer(<target>): the settings every application layer library shares. The layer exports
# its include/ folder only; sources and private headers stay beside the CMakeLists.txt. The
# public headers are listed as sources too, so that moc sees the classes they declare.
function(orv_layer target)
  set_target_properties(${target} PROPERTIES AUTOMOC ON)
  file(GLOB headers CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/include/*.h)
  target_sources(${target} PRIVATE ${headers})
  target_include_directories(${target}
    PUBLIC ${CMAKE_CURRENT_SOURCE_DIR}/include
    PRIVATE ${CMAKE_CURRENT_SOURCE_DIR})
  target_compile_options(${target} PRIVATE ${ORV_WARNINGS})
endfunction()
