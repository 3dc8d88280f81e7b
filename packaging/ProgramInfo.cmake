# SPDX-License-Identifier: GPL-3.0-or-later

# The program's name, version, home page and ids are stated once, in
# store/settings/ProgramInfo.h, for the program itself; the build reads them from there into
# PROGRAM_NAME, PROGRAM_VERSION, PROGRAM_HOME_PAGE, PROGRAM_ID and PROGRAM_FILE_NAME.
set(program_info_header ${CMAKE_CURRENT_LIST_DIR}/../store/settings/ProgramInfo.h)
file(READ ${program_info_header} program_info)
foreach(pair NAME=ProgramName VERSION=ProgramVersion HOME_PAGE=HomePage ID=ProgramId
             FILE_NAME=ProgramFileName)
  string(REPLACE "=" ";" pair ${pair})
  list(GET pair 0 variable)
  list(GET pair 1 constant)
  if(NOT program_info MATCHES "constexpr const char\\* ${constant} = \"([^\"]+)\";")
    message(FATAL_ERROR "store/settings/ProgramInfo.h does not define ${constant}")
  endif()
  set(PROGRAM_${variable} "${CMAKE_MATCH_1}")
endforeach()
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${program_info_header})
