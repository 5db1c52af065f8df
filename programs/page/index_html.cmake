# Writes the page's index.html from shell.html with the sizes of vorn.js,
# vorn.wasm and vorn.data written in, for the page's download progress.
# cmake -DSHELL=shell.html -DPAGE=<page folder> -P index_html.cmake
foreach(name js wasm data)
    file(SIZE ${PAGE}/vorn.${name} size)
    string(TOUPPER ${name} key)
    set(VORN_${key}_BYTES ${size})
endforeach()
configure_file(${SHELL} ${PAGE}/index.html @ONLY)
