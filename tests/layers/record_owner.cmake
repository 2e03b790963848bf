# Fails when a source of the layers names the tool-state record outside its
# owners: the record itself (common/driver_data.*) and the front end's
# keepers of tool state. The layers under the front end take the words
# they need through the record's accessors, the handlers through the
# profile's kept-state operations.
#   cmake -DROOT=<source tree> -P record_owner.cmake
cmake_minimum_required(VERSION 3.25)
set(owners common/driver_data.h common/driver_data.cpp cli/kept_record.cpp)
set(found "")
foreach(layer common transport api cli hf)
  file(GLOB_RECURSE files RELATIVE ${ROOT} ${ROOT}/${layer}/*.cpp ${ROOT}/${layer}/*.h)
  foreach(f ${files})
    if(f IN_LIST owners)
      continue()
    endif()
    file(STRINGS ${ROOT}/${f} hits REGEX "g_driver_data")
    if(hits)
      list(APPEND found ${f})
    endif()
  endforeach()
endforeach()
if(found)
  message(FATAL_ERROR "the tool-state record is named outside its owners: ${found}")
endif()
