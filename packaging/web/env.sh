# Sourced by the web build's scripts: what Debian's emscripten needs to run
# here. Its node finds the compiler's JavaScript modules in Debian's node
# folder; node 20's own fetch() must stay off, or the generated loaders take
# it for a browser's and fail to read local files.
export NODE_PATH=/usr/share/nodejs
case " $NODE_OPTIONS " in
*" --no-experimental-fetch "*) ;;
*) export NODE_OPTIONS="${NODE_OPTIONS:+$NODE_OPTIONS }--no-experimental-fetch" ;;
esac
