# Resources embedded in the program: the set-up dialog's splash picture,
# drawn by a small generator at build time into a source of vorn_core.
add_executable(make_splash ${CMAKE_SOURCE_DIR}/tools/make_splash.cpp ${CMAKE_SOURCE_DIR}/shell/bitmap_font.cpp)
target_include_directories(make_splash PRIVATE ${CMAKE_SOURCE_DIR})

set(SPLASH_SOURCE ${CMAKE_BINARY_DIR}/generated/splash_image.cpp)
add_custom_command(
    OUTPUT ${SPLASH_SOURCE} ${CMAKE_BINARY_DIR}/generated/splash.ppm
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/generated
    COMMAND make_splash ${SPLASH_SOURCE} ${CMAKE_BINARY_DIR}/generated/splash.ppm
    DEPENDS make_splash
    COMMENT "Drawing the splash picture")
target_sources(vorn_core PRIVATE ${SPLASH_SOURCE})
