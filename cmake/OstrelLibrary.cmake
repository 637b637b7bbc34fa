# ostrel_library(<name> DEPS <libs...>)
# Builds every .cpp below the calling folder into the static library
# ostrel_<name>; headers are reached as <name>/<file>.h from the root.
function(ostrel_library name)
  cmake_parse_arguments(ARG "" "" "DEPS;SYSTEM" ${ARGN})
  file(GLOB_RECURSE srcs CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  if(srcs)
    add_library(ostrel_${name} STATIC ${srcs})
    target_include_directories(ostrel_${name} PUBLIC ${PROJECT_SOURCE_DIR})
    target_link_libraries(ostrel_${name} PUBLIC ${ARG_DEPS} ${ARG_SYSTEM})
  else()
    add_library(ostrel_${name} INTERFACE)
    target_include_directories(ostrel_${name} INTERFACE ${PROJECT_SOURCE_DIR})
    target_link_libraries(ostrel_${name} INTERFACE ${ARG_DEPS} ${ARG_SYSTEM})
  endif()
endfunction()

# ostrel_test_folder(<folder> DEPS <libs...>)
# One GoogleTest program per folder of tests/, named test_<folder>.
function(ostrel_test_folder folder)
  cmake_parse_arguments(ARG "" "" "DEPS" ${ARGN})
  file(GLOB_RECURSE srcs CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/${folder}/*.cpp)
  if(NOT srcs)
    return()
  endif()
  add_executable(test_${folder} ${srcs} ${PROJECT_SOURCE_DIR}/tests/support/lsan_suppressions.cpp)
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
