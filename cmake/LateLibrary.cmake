# vestrial_late_library(TARGET DEFINE PKG LIBRARY_NAME): TARGET calls the
# library LIBRARY_NAME of the pkg-config module PKG (found already with
# pkg_check_modules(PKG ...)) through platform/CLateLibrary, loading it on first
# use instead of linking it. TARGET gets the module's headers and DEFINE, the
# quoted name the dynamic loader knows the library by (its SONAME, read from
# the file the linker would have used), so a newer ABI of the library is a
# configure-time change, not a silent mismatch.
function(vestrial_late_library target define pkg library_name)
  set(file "")
  foreach(candidate IN LISTS ${pkg}_LINK_LIBRARIES)
    get_filename_component(base ${candidate} NAME)
    if(base MATCHES "^lib${library_name}\\.so")
      set(file ${candidate})
    endif()
  endforeach()
  if(NOT file)
    message(FATAL_ERROR "${pkg}: no lib${library_name}.so among ${${pkg}_LINK_LIBRARIES}")
  endif()
  execute_process(COMMAND ${CMAKE_OBJDUMP} -p ${file} OUTPUT_VARIABLE headers RESULT_VARIABLE failed)
  if(failed OR NOT headers MATCHES "SONAME[ \t]+([^ \t\r\n]+)")
    message(FATAL_ERROR "Cannot read the SONAME of ${file} with ${CMAKE_OBJDUMP}")
  endif()
  target_compile_definitions(${target} PRIVATE ${define}="${CMAKE_MATCH_1}")
  target_include_directories(${target} SYSTEM PRIVATE ${${pkg}_INCLUDE_DIRS})
  target_compile_options(${target} PRIVATE ${${pkg}_CFLAGS_OTHER})
endfunction()
