include(${CMAKE_CURRENT_LIST_DIR}/Floors.cmake)

# ostrel_library(<name> DEPS <ostrel libs...> SYSTEM <other libs...>)
# Builds every .cpp below the calling folder into the static library
# ostrel_<name>; headers are reached as <name>/<file>.h from the root. DEPS
# name the folders below it that it uses (cmake/Floors.cmake says which
# may be named); the floor check runs before it is compiled.
function(ostrel_library name)
  cmake_parse_arguments(ARG "" "" "DEPS;SYSTEM" ${ARGN})
  foreach(dep IN LISTS ARG_DEPS)
    string(REGEX REPLACE "^ostrel_" "" folder "${dep}")
    if(NOT folder IN_LIST OSTREL_BELOW_${name})
      message(FATAL_ERROR "${name}/ may not link ${dep}: it is not on a floor below (cmake/Floors.cmake)")
    endif()
  endforeach()
  file(GLOB_RECURSE srcs CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  add_library(ostrel_${name} STATIC ${srcs})
  target_include_directories(ostrel_${name} PUBLIC ${PROJECT_SOURCE_DIR})
  target_link_libraries(ostrel_${name} PUBLIC ${ARG_DEPS} ${ARG_SYSTEM})
  add_dependencies(ostrel_${name} ostrel_floors)
endfunction()

# The floor check as a build step: it runs again whenever a file of a
# folder changes, and a failure stops the build.
function(ostrel_floor_check)
  set(files "")
  foreach(floor IN LISTS OSTREL_FLOORS)
    file(GLOB_RECURSE some CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/${floor}/*.cpp
         ${PROJECT_SOURCE_DIR}/${floor}/*.h)
    list(APPEND files ${some})
  endforeach()
  set(stamp ${PROJECT_BINARY_DIR}/floors.stamp)
  add_custom_command(OUTPUT ${stamp}
    COMMAND ${CMAKE_COMMAND} -DSOURCE_DIR=${PROJECT_SOURCE_DIR} -DSTAMP=${stamp}
            -P ${PROJECT_SOURCE_DIR}/cmake/CheckFloors.cmake
    DEPENDS ${files} ${PROJECT_SOURCE_DIR}/cmake/CheckFloors.cmake
            ${PROJECT_SOURCE_DIR}/cmake/Floors.cmake
    COMMENT "Checking that every include points down a floor"
    VERBATIM)
  add_custom_target(ostrel_floors ALL DEPENDS ${stamp})
endfunction()

# ostrel_test_folder(<folder> DEPS <libs...>)
# One GoogleTest program per folder of tests/, named test_<folder>; each
# runs in a folder of its own (tests/support/sandbox.cpp).
function(ostrel_test_folder folder)
  cmake_parse_arguments(ARG "" "" "DEPS" ${ARGN})
  file(GLOB_RECURSE srcs CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/${folder}/*.cpp)
  if(NOT srcs)
    return()
  endif()
  add_executable(test_${folder} ${srcs} ${PROJECT_SOURCE_DIR}/tests/support/lsan_suppressions.cpp
                 ${PROJECT_SOURCE_DIR}/tests/support/sandbox.cpp)
  target_include_directories(test_${folder} PRIVATE ${CMAKE_CURRENT_SOURCE_DIR})
  target_link_libraries(test_${folder} PRIVATE ${ARG_DEPS} ostrel_testsupport
                        GTest::gtest GTest::gtest_main GTest::gmock)
  target_compile_definitions(test_${folder} PRIVATE
    OSTREL_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
  gtest_discover_tests(test_${folder}
    WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}
    DISCOVERY_TIMEOUT 60
    PROPERTIES ENVIRONMENT "OSTREL_SOURCE_DIR=${PROJECT_SOURCE_DIR}" TIMEOUT 600)
endfunction()
