# Manual pages of the three programs, made by help2man from their --help and
# --version, so a page never says other than its program; in a UTF-8 locale,
# as help2man would turn the Chinese into question marks. Debian wants them
# compressed without a time stamp.
if(WIN32)
    return()
endif()

find_program(NBR_HELP2MAN help2man REQUIRED)
find_program(NBR_GZIP gzip REQUIRED)

set(NBR_MAN_NAME_nbreport "非预算报销月报")
set(NBR_MAN_NAME_nbreport-export "无窗口导出非预算报销月报和报销明细")
set(NBR_MAN_NAME_nbreport-make-demo "生成 nbreport 的演示数据库")
set(pages)
foreach(program nbreport nbreport-export nbreport-make-demo)
    # The NAME line comes from an include file: help2man reads those as UTF-8
    # text, but takes --name as bytes and would encode them a second time.
    # groff cannot space out Chinese text to the right margin: ragged right.
    set(page "${CMAKE_BINARY_DIR}/man/${program}.1")
    file(CONFIGURE OUTPUT "${page}.h2m" @ONLY
         CONTENT "[NAME]\n${program} \\- ${NBR_MAN_NAME_${program}}\n[<DESCRIPTION]\n.ad l\n")
    add_custom_command(OUTPUT "${page}.gz"
        COMMAND "${NBR_HELP2MAN}" --no-info --locale=C.UTF-8 --section=1
                "--include=${page}.h2m" "--output=${page}" "$<TARGET_FILE:${program}>"
        COMMAND "${NBR_GZIP}" -9nf "${page}"
        DEPENDS ${program} "${page}.h2m"
        COMMENT "Manual page of ${program}")
    list(APPEND pages "${page}.gz")
endforeach()
add_custom_target(nbreport-man-pages ALL DEPENDS ${pages})
install(FILES ${pages} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
