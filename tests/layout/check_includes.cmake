cmake_minimum_required(VERSION 3.25)

# Fails when a file under the window-free libraries includes anything but our own headers and the
# standard library: no toolkit, no operating-system header.
#   cmake -DROOT=<source dir> -P check_includes.cmake

set(standard_headers
    algorithm any array atomic bit bitset cassert cctype cerrno cfloat charconv chrono cinttypes climits
    cmath compare concepts cstddef cstdint cstdio cstdlib cstring ctime cwchar deque exception filesystem
    fstream functional initializer_list iomanip ios iosfwd iostream istream iterator limits list map memory
    mutex new numeric optional ostream random ranges ratio regex set span sstream stdexcept streambuf string
    string_view system_error tuple type_traits unordered_map unordered_set utility variant vector)

set(failures "")
foreach(folder keypad settings rtf)
    file(GLOB_RECURSE sources "${ROOT}/${folder}/*.h" "${ROOT}/${folder}/*.cpp" "${ROOT}/${folder}/*.in")
    foreach(source IN LISTS sources)
        file(STRINGS "${source}" lines REGEX "^[ \t]*#[ \t]*include")
        foreach(line IN LISTS lines)
            if(line MATCHES "<([^>]+)>")
                if(NOT CMAKE_MATCH_1 IN_LIST standard_headers)
                    list(APPEND failures "${source}: ${line}")
                endif()
            elseif(line MATCHES "\"([^\"]+)\"")
                if(NOT CMAKE_MATCH_1 MATCHES "^(keypad|settings|rtf)/")
                    list(APPEND failures "${source}: ${line}")
                endif()
            endif()
        endforeach()
    endforeach()
endforeach()

if(failures)
    list(JOIN failures "\n" report)
    message(FATAL_ERROR "Headers outside the standard library in the window-free code:\n${report}")
endif()
