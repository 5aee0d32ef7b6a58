# The installed layout, relative to any prefix (and DESTDIR): bin/tessary (the launcher),
# libexec/tessary/tessary-app, lib/tessary/libtessary-recognition.so (Sources/Tessary), and under
# share/ the desktop entry, AppStream metainfo, hicolor icons and the man page made here from data/.
# Every file that names the application id gets it from TESSARY_APP_ID.
if(NOT TESSARY_BUILD_APP)
    return()
endif()
include(GNUInstallDirs)

# The date of the release PROJECT_VERSION names, for the AppStream metainfo; move both together.
set(TESSARY_RELEASE_DATE "2026-12-08")

find_program(TESSARY_RSVG_CONVERT rsvg-convert REQUIRED)
find_program(TESSARY_SCDOC scdoc REQUIRED)

set(data_in ${PROJECT_SOURCE_DIR}/data)
set(data_out ${PROJECT_BINARY_DIR}/data)
configure_file(${data_in}/tessary.desktop.in ${data_out}/${TESSARY_APP_ID}.desktop @ONLY)
configure_file(${data_in}/tessary.metainfo.xml.in ${data_out}/${TESSARY_APP_ID}.metainfo.xml @ONLY)
configure_file(${data_in}/tessary.1.scd ${data_out}/tessary.1.scd @ONLY)

add_custom_command(OUTPUT ${data_out}/tessary.1
    COMMAND sh -c "\"$1\" < \"$2\" > \"$3\"" scdoc ${TESSARY_SCDOC} ${data_out}/tessary.1.scd ${data_out}/tessary.1
    DEPENDS ${data_out}/tessary.1.scd
    COMMENT "Man page tessary(1)"
    VERBATIM)

# PNG renderings of the scalable icon for hosts and toolkits that do not draw SVG.
set(TESSARY_ICON_SIZES 16 22 24 32 48 64 128 256 512)
set(icon_outputs)
foreach(size IN LISTS TESSARY_ICON_SIZES)
    set(png ${data_out}/icons/${size}x${size}/${TESSARY_APP_ID}.png)
    add_custom_command(OUTPUT ${png}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${data_out}/icons/${size}x${size}
        COMMAND ${TESSARY_RSVG_CONVERT} --width=${size} --height=${size} --output=${png} ${data_in}/icons/app.svg
        DEPENDS ${data_in}/icons/app.svg
        VERBATIM)
    list(APPEND icon_outputs ${png})
    install(FILES ${png} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
endforeach()
add_custom_target(tessary-desktop-data ALL DEPENDS ${data_out}/tessary.1 ${icon_outputs})

install(FILES ${data_out}/${TESSARY_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${data_out}/${TESSARY_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${data_in}/icons/app.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps
    RENAME ${TESSARY_APP_ID}.svg)
install(FILES ${data_in}/icons/app-symbolic.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/symbolic/apps
    RENAME ${TESSARY_APP_ID}-symbolic.svg)
install(FILES ${data_out}/tessary.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
