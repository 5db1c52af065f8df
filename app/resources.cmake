# Resources embedded in the program: the set-up dialog's splash picture,
# drawn by a small generator at build time into a source of vorn_app.
set(MAKE_SPLASH_SOURCES ${CMAKE_SOURCE_DIR}/generators/make_splash.cpp ${CMAKE_SOURCE_DIR}/platform/bitmap_font.cpp)
if(CMAKE_CROSSCOMPILING)
    # The generator runs here, so the build machine's compiler makes it.
    set(MAKE_SPLASH ${CMAKE_BINARY_DIR}/host/make_splash)
    add_custom_command(
        OUTPUT ${MAKE_SPLASH}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/host
        COMMAND c++ -std=c++20 -O2 -ffp-contract=off -I${CMAKE_SOURCE_DIR} ${MAKE_SPLASH_SOURCES} -o ${MAKE_SPLASH}
        DEPENDS ${MAKE_SPLASH_SOURCES}
        COMMENT "Building the splash generator for the build machine")
else()
    add_executable(make_splash ${MAKE_SPLASH_SOURCES})
    target_include_directories(make_splash PRIVATE ${CMAKE_SOURCE_DIR})
    set(MAKE_SPLASH make_splash)
endif()

set(SPLASH_SOURCE ${CMAKE_BINARY_DIR}/generated/splash_image.cpp)
add_custom_command(
    OUTPUT ${SPLASH_SOURCE} ${CMAKE_BINARY_DIR}/generated/splash.ppm
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/generated
    COMMAND ${MAKE_SPLASH} ${SPLASH_SOURCE} ${CMAKE_BINARY_DIR}/generated/splash.ppm
    DEPENDS ${MAKE_SPLASH}
    COMMENT "Drawing the splash picture")
# The generator runs for a target of this folder; the app library, in its
# own folder, waits for it.
add_custom_target(vorn_splash DEPENDS ${SPLASH_SOURCE})
target_sources(vorn_app PRIVATE ${SPLASH_SOURCE})
add_dependencies(vorn_app vorn_splash)
