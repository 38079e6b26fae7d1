cmake_minimum_required(VERSION 3.25)
# Copies the default settings files to DESTINATION, leaving any that already exist untouched.
foreach(name menu.dd caps.dd shift.dd)
    if(NOT EXISTS "${DESTINATION}/${name}")
        file(COPY "${SOURCE}/${name}" DESTINATION "${DESTINATION}")
    endif()
endforeach()
