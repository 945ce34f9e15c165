# vt_compile_movie(TXT SWF): compiles a movie description into a SWF file at
# build time with swfc. In the Windows build swfc is a Windows program and
# runs through the cross-compiling emulator (Wine), so its file names are
# given on Wine's drive Z:, which maps the host's root folder.
function(vt_compile_movie txt swf)
  get_filename_component(dir ${swf} DIRECTORY)
  get_filename_component(name ${swf} NAME)
  if(WIN32)
    set(in Z:${txt})
    set(out Z:${swf})
  else()
    set(in ${txt})
    set(out ${swf})
  endif()
  add_custom_command(OUTPUT ${swf}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${dir}
    COMMAND swfc ${in} ${out}
    DEPENDS swfc ${txt}
    COMMENT "swfc ${name}"
    VERBATIM)
endfunction()
