# cmake -DCHMCMD=... -DSOURCE=help/chm -DWORK=dir -DOUTPUT=bin/Trimwell.chm -P CompileHelp.cmake
# chmcmd writes beside its project file, so it works on a copy of the sources.
file(REMOVE_RECURSE ${WORK})
file(COPY ${SOURCE}/ DESTINATION ${WORK})
execute_process(COMMAND ${CHMCMD} --verbosity 1 Trimwell.hhp WORKING_DIRECTORY ${WORK}
    RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
file(WRITE ${WORK}/chmcmd.log "${output}")
if(NOT result EQUAL 0 OR NOT EXISTS ${WORK}/Trimwell.chm)
    message(FATAL_ERROR "chmcmd failed (${result}):\n${output}")
endif()
get_filename_component(folder ${OUTPUT} DIRECTORY)
file(MAKE_DIRECTORY ${folder})
file(COPY_FILE ${WORK}/Trimwell.chm ${OUTPUT})
