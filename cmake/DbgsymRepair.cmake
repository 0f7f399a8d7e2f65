# Run by cpack after the packages are made (CPACK_POST_BUILD_SCRIPTS): CMake
# 3.25 writes the -dbgsym package's md5sums with the build machine's absolute
# paths, leaves its debug files executable and gives it no documentation
# folder. This rebuilds it as debhelper would make it: md5sums of the files
# it holds, files 0644, and /usr/share/doc/<name>-dbgsym a link to the
# package it belongs to.
find_program(DPKG_DEB dpkg-deb REQUIRED)
foreach(package ${CPACK_PACKAGE_FILES})
    if(NOT package MATCHES "/([^/_]+)-dbgsym_[^/]*\\.ddeb$")
        continue()
    endif()
    set(name "${CMAKE_MATCH_1}")
    set(tree "${package}.d")
    file(REMOVE_RECURSE "${tree}")
    execute_process(COMMAND "${DPKG_DEB}" -R "${package}" "${tree}" COMMAND_ERROR_IS_FATAL ANY)

    file(GLOB_RECURSE files LIST_DIRECTORIES false RELATIVE "${tree}" "${tree}/usr/*")
    set(md5sums "")
    foreach(file ${files})
        file(CHMOD "${tree}/${file}" FILE_PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
        file(MD5 "${tree}/${file}" md5)
        string(APPEND md5sums "${md5}  ${file}\n")
    endforeach()
    file(WRITE "${tree}/DEBIAN/md5sums" "${md5sums}")
    file(MAKE_DIRECTORY "${tree}/usr/share/doc")
    file(CREATE_LINK "${name}" "${tree}/usr/share/doc/${name}-dbgsym" SYMBOLIC)

    execute_process(COMMAND "${DPKG_DEB}" --root-owner-group -b "${tree}" "${package}"
                    OUTPUT_QUIET COMMAND_ERROR_IS_FATAL ANY)
    file(REMOVE_RECURSE "${tree}")
endforeach()
