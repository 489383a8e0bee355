# cmake -DCHMCMD=... -DSOURCE=help/chm -DWORK=dir -DOUTPUT=bin/Trimwell.chm
#       [-DICONV=... -DCODEPAGE=CP932 -DCHARSET=shift_jis] -P CompileHelp.cmake
# chmcmd writes beside its project file, so it works on a copy of the sources; the project file in SOURCE
# names the compiled file, which is copied to OUTPUT.
# With CODEPAGE the UTF-8 sources are recoded first: the help viewer reads the contents, the index and the
# window title in the code page of the file's language, and chmcmd's full-text indexer fails on multi-byte
# UTF-8 text. The pages then declare CHARSET, the web name of that code page.
file(REMOVE_RECURSE ${WORK})
file(COPY ${SOURCE}/ DESTINATION ${WORK})
if(DEFINED CODEPAGE)
    file(GLOB texts ${WORK}/*.html ${WORK}/*.hhc ${WORK}/*.hhk ${WORK}/*.hhp)
    foreach(text ${texts})
        file(READ ${text} content)
        string(REPLACE "charset=utf-8" "charset=${CHARSET}" content "${content}")
        file(WRITE ${text}.utf8 "${content}")
        execute_process(COMMAND ${ICONV} -f UTF-8 -t ${CODEPAGE} ${text}.utf8 OUTPUT_FILE ${text}
            RESULT_VARIABLE result ERROR_VARIABLE output)
        file(REMOVE ${text}.utf8)
        if(NOT result EQUAL 0)
            message(FATAL_ERROR "${text} cannot be written in ${CODEPAGE}:\n${output}")
        endif()
    endforeach()
endif()
file(GLOB project RELATIVE ${WORK} ${WORK}/*.hhp)
file(STRINGS ${WORK}/${project} compiled REGEX "^Compiled file=")
string(REGEX REPLACE "^Compiled file=" "" compiled "${compiled}")
execute_process(COMMAND ${CHMCMD} --verbosity 1 ${project} WORKING_DIRECTORY ${WORK}
    RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
file(WRITE ${WORK}/chmcmd.log "${output}")
if(NOT result EQUAL 0 OR NOT EXISTS ${WORK}/${compiled})
    message(FATAL_ERROR "chmcmd failed (${result}):\n${output}")
endif()
get_filename_component(folder ${OUTPUT} DIRECTORY)
file(MAKE_DIRECTORY ${folder})
file(COPY_FILE ${WORK}/${compiled} ${OUTPUT})
