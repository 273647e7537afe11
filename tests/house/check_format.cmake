# Fails when a source file differs from what clang-format makes of it under
# the tree's .clang-format, and names the files. Run by CTest:
#   cmake -DCLANG_FORMAT=... -DSOURCE_DIR=... -DFOLDERS=a,b,... -P check_format.cmake
# FOLDERS is every room and every other folder with sources, from the root
# CMakeLists.txt; commas, since a list would split the test's command.
string(REPLACE "," ";" folders "${FOLDERS}")
set(files)
foreach(folder IN LISTS folders)
  file(GLOB_RECURSE found RELATIVE ${SOURCE_DIR} ${SOURCE_DIR}/${folder}/*.cpp ${SOURCE_DIR}/${folder}/*.h)
  list(APPEND files ${found})
endforeach()
list(LENGTH files count)
if(count LESS 100)
  message(FATAL_ERROR "only ${count} source files found under ${SOURCE_DIR}")
endif()
execute_process(COMMAND ${CLANG_FORMAT} --dry-run -Werror ${files}
                WORKING_DIRECTORY ${SOURCE_DIR} RESULT_VARIABLE result ERROR_VARIABLE report)
if(NOT result EQUAL 0)
  string(REGEX MATCHALL "[^\n:]+:[0-9]+:[0-9]+: error" places "${report}")
  set(drifted)
  foreach(place IN LISTS places)
    string(REGEX REPLACE ":[0-9]+:[0-9]+: error$" "" source "${place}")
    list(APPEND drifted ${source})
  endforeach()
  list(REMOVE_DUPLICATES drifted)
  list(JOIN drifted "\n  " listing)
  message(FATAL_ERROR "not formatted (clang-format -i FILE mends it):\n  ${listing}")
endif()
message(STATUS "${count} source files formatted")
