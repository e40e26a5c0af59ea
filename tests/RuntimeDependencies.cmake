# cmake -DPROGRAMS=a;b -DFORBIDDEN=regex -P RuntimeDependencies.cmake
# Fails when a program loads, directly or through another library, a shared
# library whose file name matches FORBIDDEN.
file(GET_RUNTIME_DEPENDENCIES
  EXECUTABLES ${PROGRAMS}
  RESOLVED_DEPENDENCIES_VAR resolved
  UNRESOLVED_DEPENDENCIES_VAR unresolved)
if(unresolved)
  message(FATAL_ERROR "Unresolved libraries: ${unresolved}")
endif()
set(found "")
foreach(library IN LISTS resolved)
  get_filename_component(name ${library} NAME)
  if(name MATCHES "${FORBIDDEN}")
    list(APPEND found ${library})
  endif()
endforeach()
if(found)
  message(FATAL_ERROR "Loaded but not allowed: ${found}")
endif()
list(LENGTH resolved count)
message(STATUS "${count} libraries, none matching ${FORBIDDEN}")
