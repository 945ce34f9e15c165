# vt_fpcform(VAR): builds fpcform (Free Pascal, a program of the build
# machine) into the current build tree when fpc is installed, and sets VAR to
# its path (empty without fpc).
function(vt_fpcform var)
  find_program(FPC fpc)
  if(NOT FPC)
    set(${var} "" PARENT_SCOPE)
    return()
  endif()
  set(source_dir ${PROJECT_SOURCE_DIR}/tests/compat)
  set(fpc_dir ${CMAKE_CURRENT_BINARY_DIR}/fpc)
  set(fpcform ${fpc_dir}/fpcform)
  # Units and objects go to the build tree; warnings are errors as in our C++.
  add_custom_command(OUTPUT ${fpcform}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${fpc_dir}/units
    COMMAND ${FPC} -Mobjfpc -O1 -Sew -vew -l- -Fu${source_dir}
            -FU${fpc_dir}/units -FE${fpc_dir} -o${fpcform}
            ${source_dir}/fpcform.pas
    DEPENDS ${source_dir}/fpcform.pas ${source_dir}/compat_components.pas ${source_dir}/compat_samples.pas
    COMMENT "fpc fpcform.pas"
    VERBATIM)
  add_custom_target(fpcform ALL DEPENDS ${fpcform})
  set(${var} ${fpcform} PARENT_SCOPE)
endfunction()
