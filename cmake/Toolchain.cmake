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

# Warnings for our own code; generated code turns them off per target.
set(ORV_WARNINGS -Wall -Wextra -Wno-unused-parameter)
