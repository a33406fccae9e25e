# cmake -DKIT=<kit folder> -DTO=<folder> -P CopyKit.cmake
# Copies the assembled sample kit's files into a folder, leaving out what
# CMake itself keeps in the kit's build folder.
file(COPY ${KIT}/ DESTINATION ${TO}
     PATTERN CMakeFiles EXCLUDE
     PATTERN cmake_install.cmake EXCLUDE)
