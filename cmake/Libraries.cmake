# nbr_library(<name> SOURCES <files...> [PUBLIC <targets...>] [PRIVATE <targets...>])
#
# One static library of the program's code, one folder of src/ (a ui/
# sub-folder is a library of its own). Its headers are reached through an
# include root of its own in the build tree, which holds links to that
# library's headers alone: a file sees the headers of the libraries it links
# and no others, so an include from a lower layer to a higher one fails to
# compile. Files are named from src/ ("report/ReportGrids.h") as they are
# included.
function(nbr_library name)
    cmake_parse_arguments(PARSE_ARGV 1 arg "" "" "SOURCES;PUBLIC;PRIVATE")
    add_library(${name} STATIC ${arg_SOURCES})
    set(root ${PROJECT_BINARY_DIR}/include/${name})
    foreach(file IN LISTS arg_SOURCES)
        if(file MATCHES "\\.h$")
            get_filename_component(folder ${root}/${file} DIRECTORY)
            file(MAKE_DIRECTORY ${folder})
            # A link keeps the compiler's messages and an editor's jumps on
            # the real file; where links cannot be made (Windows without the
            # privilege) a copy is made, refreshed whenever CMake runs again.
            file(CREATE_LINK ${CMAKE_CURRENT_SOURCE_DIR}/${file} ${root}/${file}
                 SYMBOLIC COPY_ON_ERROR)
            set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS
                         ${CMAKE_CURRENT_SOURCE_DIR}/${file})
        endif()
    endforeach()
    target_include_directories(${name} PUBLIC ${root})
    target_link_libraries(${name} PUBLIC ${arg_PUBLIC} PRIVATE ${arg_PRIVATE})
endfunction()
