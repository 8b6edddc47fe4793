# One static library per source folder: every *.cpp of the folder except
# main.cpp and the *_test.cpp files, which form the folder's test program.
#
# The layers are kept by the include path: a library publishes only its own
# folder, through a tree of its own under the build folder that holds that
# one folder at its place in the source tree (out/include/volq_fs/platform/fs
# -> platform/fs). A file therefore sees its own folder and those of the
# libraries it depends on, and an include of any other folder does not
# compile.
function(volq_publish_folder target scope)
  file(RELATIVE_PATH rel ${PROJECT_SOURCE_DIR} ${CMAKE_CURRENT_SOURCE_DIR})
  set(tree ${CMAKE_BINARY_DIR}/include/${target})
  get_filename_component(parent ${tree}/${rel} DIRECTORY)
  file(MAKE_DIRECTORY ${parent})
  if(NOT EXISTS ${tree}/${rel})
    file(CREATE_LINK ${CMAKE_CURRENT_SOURCE_DIR} ${tree}/${rel} SYMBOLIC)
  endif()
  target_include_directories(${target} ${scope} ${tree})
endfunction()

function(volq_library name)
  cmake_parse_arguments(ARG "" "" "DEPS;TEST_DEPS" ${ARGN})
  file(GLOB srcs CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  list(FILTER srcs EXCLUDE REGEX "(_test|/main)\\.cpp$")
  if(srcs)
    add_library(${name} STATIC ${srcs})
    volq_publish_folder(${name} PUBLIC)
    target_link_libraries(${name} PUBLIC ${ARG_DEPS})
  else()
    add_library(${name} INTERFACE)
    volq_publish_folder(${name} INTERFACE)
    target_link_libraries(${name} INTERFACE ${ARG_DEPS})
  endif()
  file(GLOB tests CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*_test.cpp)
  if(tests)
    add_executable(${name}_test ${tests})
    target_link_libraries(${name}_test PRIVATE ${name} ${ARG_TEST_DEPS} GTest::gtest_main GTest::gmock)
    # Unit tests: the maintainer's fast loop runs these alone (label fast).
    gtest_discover_tests(${name}_test DISCOVERY_TIMEOUT 60
                         PROPERTIES LABELS fast ENVIRONMENT "TMPDIR=${VOLQ_TEST_TMPDIR}")
  endif()
endfunction()
