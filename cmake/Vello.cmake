# Small helpers shared by every CMakeLists.txt of the project.

# A GUI program with a wWinMain entry point.
function(vello_gui_program target)
  add_executable(${target} WIN32 ${ARGN})
  target_link_options(${target} PRIVATE -municode)
endfunction()

# Source folders that optional parts of the tree add; a folder without a
# CMakeLists.txt yet is skipped, so work can land folder by folder.
function(vello_add_subdirectories)
  foreach(dir ${ARGN})
    if(EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/${dir}/CMakeLists.txt)
      add_subdirectory(${dir})
    endif()
  endforeach()
endfunction()
