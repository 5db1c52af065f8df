# What `cmake --install` puts where (under CMAKE_INSTALL_PREFIX, /usr for
# the Debian package): the two programs, their data, the menu entry, the
# icon drawn from the splash picture and the manual pages. An executable
# in the installed bin folder reads the installed data (platform/data_folder.cpp).
install(TARGETS vorn vorn-capture RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(DIRECTORY ${CMAKE_SOURCE_DIR}/data/ DESTINATION ${CMAKE_INSTALL_DATADIR}/vorn/data)
install(FILES ${CMAKE_CURRENT_LIST_DIR}/vorn.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)

foreach(page vorn vorn-capture)
    configure_file(${CMAKE_CURRENT_LIST_DIR}/${page}.1.in ${CMAKE_BINARY_DIR}/man/${page}.1 @ONLY)
    install(FILES ${CMAKE_BINARY_DIR}/man/${page}.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endforeach()

# The icon: the four letters of the splash logo (56 x 64 cells from
# x = 26, 98, 170, 242 and y = 30, as generators/make_splash.cpp lays them out)
# cropped with their glow and set two over two on black, in the sizes of
# the icon theme.
find_program(IMAGEMAGICK_CONVERT convert)
if(IMAGEMAGICK_CONVERT)
    set(ICON_SIZES 48 128 256)
    set(SPLASH_PPM ${CMAKE_BINARY_DIR}/generated/splash.ppm)
    set(ICONS "")
    foreach(size ${ICON_SIZES})
        set(icon ${CMAKE_BINARY_DIR}/icons/${size}x${size}/apps/vorn.png)
        add_custom_command(
            OUTPUT ${icon}
            COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/icons/${size}x${size}/apps
            COMMAND ${IMAGEMAGICK_CONVERT}
                ( ${SPLASH_PPM} -crop 64x72+22+26 +repage ) ( ${SPLASH_PPM} -crop 64x72+94+26 +repage ) +append
                ( ${SPLASH_PPM} -crop 64x72+166+26 +repage ) ( ${SPLASH_PPM} -crop 64x72+238+26 +repage ) +append
                -append -background black -gravity center -extent 144x144
                -resize ${size}x${size} -strip -define png:exclude-chunks=date,time ${icon}
            DEPENDS ${SPLASH_PPM}
            COMMENT "Drawing the ${size} x ${size} icon"
            VERBATIM)
        list(APPEND ICONS ${icon})
        install(FILES ${icon} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
    endforeach()
    add_custom_target(vorn_icons ALL DEPENDS ${ICONS})
else()
    message(STATUS "ImageMagick's convert not found: no icon is installed")
endif()
