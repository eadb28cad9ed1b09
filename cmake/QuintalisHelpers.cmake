# Common settings for every target of the program.
function(quintalis_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic)
  if(QUINTALIS_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
  # Every float rounding of the transform and the screens is part of their
  # results: no fused multiply-add.
  target_compile_options(${target} PRIVATE -ffp-contract=off)
endfunction()

# add_core_library(name SOURCES ... [DEPENDS ...])
# A Qt-free static library rooted at src/, with the warning set and an alias.
function(add_core_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPENDS" ${ARGN})
  add_library(${name} STATIC ${ARG_SOURCES})
  add_library(quintalis::${name} ALIAS ${name})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
  target_link_libraries(${name} PUBLIC ${ARG_DEPENDS})
  set_target_properties(${name} PROPERTIES AUTOMOC OFF AUTOUIC OFF AUTORCC OFF)
  quintalis_warnings(${name})
endfunction()
