# Checks the layering of the sources: a file in src/<layer>, tests/<layer> or
# tools/ includes project headers only from its own layer and the layers below
# it, and the plain layers (and the plain tools) include no Qt header.
# Run as: cmake -DROOT=<source dir> -P layers_check.cmake
set(layers core game collections settings languages board viewer lists app)
set(plain core game collections)
# Tools without Qt and the highest layer each may use; the others (board
# pictures, piece data) use Qt. The fuzz targets also read language files.
set(plain_tools brevaro-pgn:collections brevaro-bench:collections load-bench:collections
                fuzz:languages)

set(errors "")
function(check_file file allowed_top qt_allowed)
  file(STRINGS ${file} lines REGEX "^[ \t]*#[ \t]*include")
  list(FIND layers ${allowed_top} top)
  foreach(line IN LISTS lines)
    if(line MATCHES "#[ \t]*include[ \t]*\"([a-z_]+)/")
      list(FIND layers ${CMAKE_MATCH_1} used)
      if(used EQUAL -1 OR used GREATER top)
        file(RELATIVE_PATH rel ${ROOT} ${file})
        set(errors "${errors}\n  ${rel}: ${line}" PARENT_SCOPE)
      endif()
    elseif(NOT qt_allowed AND line MATCHES "#[ \t]*include[ \t]*<Q")
      file(RELATIVE_PATH rel ${ROOT} ${file})
      set(errors "${errors}\n  ${rel}: ${line} (no Qt here)" PARENT_SCOPE)
    endif()
  endforeach()
endfunction()

foreach(layer IN LISTS layers)
  list(FIND plain ${layer} is_plain)
  if(is_plain EQUAL -1)
    set(qt ON)
  else()
    set(qt OFF)
  endif()
  file(GLOB_RECURSE files ${ROOT}/src/${layer}/*.h ${ROOT}/src/${layer}/*.cpp
                          ${ROOT}/tests/${layer}/*.h ${ROOT}/tests/${layer}/*.cpp)
  foreach(f IN LISTS files)
    check_file(${f} ${layer} ${qt})
  endforeach()
endforeach()
foreach(entry IN LISTS plain_tools)
  string(REPLACE ":" ";" parts ${entry})
  list(GET parts 0 tool)
  list(GET parts 1 top)
  file(GLOB_RECURSE files ${ROOT}/tools/${tool}/*.h ${ROOT}/tools/${tool}/*.cpp)
  foreach(f IN LISTS files)
    check_file(${f} ${top} OFF)
  endforeach()
endforeach()

if(errors)
  message(FATAL_ERROR "Includes against the layer order:${errors}")
endif()
message(STATUS "layers: every include follows the layer order")
