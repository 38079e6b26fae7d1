cmake_minimum_required(VERSION 3.25)

# Runs the built rtf-to-text on a fixture, on a file that is not RTF and on a missing file.
#   cmake -DTOOL=<rtf-to-text> -DDATA=<tests/rtf> -P check_tool.cmake

execute_process(COMMAND ${TOOL} ${DATA}/fixtures/table.rtf
                OUTPUT_VARIABLE text ERROR_VARIABLE errors RESULT_VARIABLE status)
file(READ ${DATA}/fixtures/table.txt expected)
if(NOT status EQUAL 0 OR NOT text STREQUAL expected OR NOT errors STREQUAL "")
    message(FATAL_ERROR "table.rtf: exit ${status}, stderr '${errors}', output:\n${text}")
endif()

execute_process(COMMAND ${TOOL} --runs ${DATA}/fixtures/styled.rtf OUTPUT_VARIABLE runs RESULT_VARIABLE status)
if(NOT status EQUAL 0 OR NOT runs MATCHES "paragraph centre" OR NOT runs MATCHES "bold font \"DejaVu Serif\"")
    message(FATAL_ERROR "--runs styled.rtf: exit ${status}, output:\n${runs}")
endif()

foreach(case "table.html|not an RTF document" "no-such-file.rtf|cannot open")
    string(REPLACE "|" ";" parts "${case}")
    list(GET parts 0 name)
    list(GET parts 1 message)
    execute_process(COMMAND ${TOOL} ${DATA}/fixtures/${name}
                    OUTPUT_VARIABLE text ERROR_VARIABLE errors RESULT_VARIABLE status)
    if(status EQUAL 0 OR NOT errors MATCHES "${message}" OR NOT text STREQUAL "")
        message(FATAL_ERROR "${name}: exit ${status}, stderr '${errors}', output '${text}'")
    endif()
endforeach()
