# Helpers shared by the folders' CMakeLists.

# kelvor_layer(<target> DEPS <targets...> [PRIVATE_LIBS <libs...>])
# One static library of every .cpp in the calling folder. Include paths are the
# repository root only; third-party headers come through PRIVATE_LIBS, so a layer
# that is not given Qt cannot include it.
function(kelvor_layer target)
  cmake_parse_arguments(ARG "" "" "DEPS;PRIVATE_LIBS;PUBLIC_LIBS" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  if(NOT sources)
    # A layer that holds only headers so far.
    add_library(${target} INTERFACE)
    target_include_directories(${target} INTERFACE ${PROJECT_SOURCE_DIR})
    target_link_libraries(${target} INTERFACE ${ARG_DEPS} ${ARG_PUBLIC_LIBS})
    return()
  endif()
  add_library(${target} STATIC ${sources})
  target_include_directories(${target} PUBLIC ${PROJECT_SOURCE_DIR})
  target_link_libraries(${target} PUBLIC ${ARG_DEPS} ${ARG_PUBLIC_LIBS} PRIVATE ${ARG_PRIVATE_LIBS})
endfunction()
