# The web page: vorn.js, vorn.wasm and vorn.data (data/ and the font files,
# preloaded into the page's file system at /) in VORN_WEB_PAGE_DIR, with
# index.html made from shell.html beside them.
set(VORN_WEB_PAGE_DIR ${CMAKE_BINARY_DIR}/vorn CACHE PATH "Folder of the web page")
# Liberation Sans: bold for the outline font, regular for the dialog.
set(VORN_WEB_FONT /usr/share/fonts/truetype/liberation/LiberationSans-Bold.ttf)
set(VORN_WEB_DIALOG_FONT /usr/share/fonts/truetype/liberation/LiberationSans-Regular.ttf)

# The dialog on the canvas: ImGui's OpenGL ES 3 renderer, a source file of
# Debian's Dear ImGui package (the version the library was built from).
set(IMGUI_OPENGL3 /usr/share/doc/libimgui-dev/examples/backends/imgui_impl_opengl3.cpp)
add_executable(vorn ${CMAKE_SOURCE_DIR}/app/main_web.cpp ${CMAKE_SOURCE_DIR}/app/setup_dialog_web.cpp ${IMGUI_OPENGL3})
set_source_files_properties(${IMGUI_OPENGL3} PROPERTIES COMPILE_OPTIONS -w)
target_compile_definitions(vorn PRIVATE IMGUI_IMPL_OPENGL_ES3)
target_include_directories(vorn PRIVATE /usr/include/imgui/backends)
target_link_libraries(vorn PRIVATE vorn_core)
set_target_properties(vorn PROPERTIES SUFFIX .js RUNTIME_OUTPUT_DIRECTORY ${VORN_WEB_PAGE_DIR})
target_link_options(vorn PRIVATE
    # WebGL 2 only: the shader backend needs OpenGL ES 3.0.
    -sMIN_WEBGL_VERSION=2 -sMAX_WEBGL_VERSION=2 -sFULL_ES3=1
    # The program's static tables take about 70 MB, the decoded music 43 MB.
    -sINITIAL_MEMORY=192MB -sALLOW_MEMORY_GROWTH=1 -sENVIRONMENT=web
    # The page calls main when "Run" is pressed, which starts Web Audio.
    -sINVOKE_RUN=0 "-sEXPORTED_RUNTIME_METHODS=['callMain']"
    # What SDL's Web Audio code calls (from a file: the names begin with a
    # dollar sign, which CMake's link rule would mangle).
    -sDEFAULT_LIBRARY_FUNCS_TO_INCLUDE=@${CMAKE_SOURCE_DIR}/tools/web/library_funcs.json
    # (SHELL: keeps CMake from merging the repeated option.)
    "SHELL:--preload-file ${CMAKE_SOURCE_DIR}/data@/data"
    "SHELL:--preload-file ${VORN_WEB_FONT}@/fonts/LiberationSans-Bold.ttf"
    "SHELL:--preload-file ${VORN_WEB_DIALOG_FONT}@/fonts/LiberationSans-Regular.ttf")
file(GLOB VORN_WEB_DATA CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/data/*)
set_property(TARGET vorn APPEND PROPERTY LINK_DEPENDS ${VORN_WEB_DATA})
# index.html is written after each link (the files' sizes change) and when
# shell.html does: `vorn-page` is the page as a whole.
add_custom_command(OUTPUT ${VORN_WEB_PAGE_DIR}/index.html
    COMMAND ${CMAKE_COMMAND} -DSHELL=${CMAKE_SOURCE_DIR}/tools/web/shell.html -DPAGE=${VORN_WEB_PAGE_DIR}
        -P ${CMAKE_SOURCE_DIR}/tools/web/index_html.cmake
    DEPENDS vorn ${CMAKE_SOURCE_DIR}/tools/web/shell.html ${CMAKE_SOURCE_DIR}/tools/web/index_html.cmake)
add_custom_target(vorn-page ALL DEPENDS ${VORN_WEB_PAGE_DIR}/index.html)
