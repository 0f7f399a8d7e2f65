# Install rules: `cmake --install build --prefix P`.
#
# The program reads MDI.BMP from its own folder and, unless DBConfig's
# HandOverDir says otherwise, writes the logout hand-over file there, so the
# program, the headless export and the picture share one program folder.
# Elsewhere P/bin gets links into it, and the desktop gets an entry and icons;
# on Windows the folder is the prefix itself, with Qt and the libraries beside
# the programs.
include(GNUInstallDirs)
# Folders as a package wants them, whatever the umask of the build.
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

if(WIN32)
    set(NBR_INSTALL_PROGRAMDIR "." CACHE STRING "Program folder, relative to the prefix")
else()
    set(NBR_INSTALL_PROGRAMDIR "lib/nbreport" CACHE STRING "Program folder, relative to the prefix")
endif()
set(NBR_PROGRAMS nbreport nbreport-export)

set(NBR_RUNTIME_DEPENDENCIES)
if(WIN32)
    # The DLLs of xlsxwriter, minizip, zlib … from vcpkg; Windows' own stay out.
    set(NBR_RUNTIME_DEPENDENCIES RUNTIME_DEPENDENCIES
        DIRECTORIES "${VCPKG_INSTALLED_DIR}/${VCPKG_TARGET_TRIPLET}/bin"
        PRE_EXCLUDE_REGEXES "^api-ms-" "^ext-ms-"
        POST_EXCLUDE_REGEXES "[/\\\\][Ss]ystem32[/\\\\]")
endif()
install(TARGETS ${NBR_PROGRAMS} ${NBR_RUNTIME_DEPENDENCIES}
        RUNTIME DESTINATION ${NBR_INSTALL_PROGRAMDIR})
install(FILES ${CMAKE_SOURCE_DIR}/assets/MDI.BMP DESTINATION ${NBR_INSTALL_PROGRAMDIR})

if(WIN32)
    # Qt's DLLs, plugins and Chinese texts beside the programs. windeployqt
    # merges the catalogues into translations/qt_zh_CN.qm; qtbase_zh_CN.qm is
    # added as it is, for a program that loads the Qt Base catalogue by name.
    find_program(NBR_WINDEPLOYQT windeployqt REQUIRED HINTS
        "${QT6_INSTALL_PREFIX}/${QT6_INSTALL_BINS}"
        "${VCPKG_INSTALLED_DIR}/${VCPKG_TARGET_TRIPLET}/tools/Qt6/bin")
    set(programFiles)
    foreach(program ${NBR_PROGRAMS})
        string(APPEND programFiles
               " \"\${CMAKE_INSTALL_PREFIX}/${NBR_INSTALL_PROGRAMDIR}/${program}.exe\"")
    endforeach()
    install(CODE "execute_process(COMMAND \"${NBR_WINDEPLOYQT}\" --translations zh_CN
                  ${programFiles} COMMAND_ERROR_IS_FATAL ANY)")
    install(FILES "${QT6_INSTALL_PREFIX}/${QT6_INSTALL_TRANSLATIONS}/qtbase_zh_CN.qm"
            DESTINATION ${NBR_INSTALL_PROGRAMDIR}/translations)
    return()
endif()

# The demo maker too, so that the program can be tried without a server.
install(TARGETS nbreport-make-demo RUNTIME DESTINATION ${NBR_INSTALL_PROGRAMDIR})

# The links on the PATH are relative, so the tree can move as a whole (and
# into a package). Qt finds the program's folder through the link's target.
file(RELATIVE_PATH toProgramDir "${CMAKE_INSTALL_FULL_BINDIR}"
     "${CMAKE_INSTALL_PREFIX}/${NBR_INSTALL_PROGRAMDIR}")
foreach(program ${NBR_PROGRAMS} nbreport-make-demo)
    set(link "${CMAKE_BINARY_DIR}/path-links/${program}")
    file(MAKE_DIRECTORY "${CMAKE_BINARY_DIR}/path-links")
    file(CREATE_LINK "${toProgramDir}/${program}" "${link}" SYMBOLIC)
    install(FILES "${link}" DESTINATION ${CMAKE_INSTALL_BINDIR})
endforeach()

install(FILES ${CMAKE_SOURCE_DIR}/packaging/nbreport.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
foreach(size 16 32 48 256)
    install(FILES ${CMAKE_SOURCE_DIR}/assets/program-icon-${size}.png
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
            RENAME nbreport.png)
endforeach()
