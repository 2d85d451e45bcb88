# FFmpeg (through pkg-config) and SDL 2, as imported targets:
# folio::ffmpeg (libavformat, libavcodec, libavutil, libswscale,
# libswresample) and SDL2::SDL2.
find_package(PkgConfig REQUIRED)
pkg_check_modules(FFMPEG REQUIRED IMPORTED_TARGET GLOBAL
  libavformat>=59 libavcodec>=59 libavutil>=57 libswscale>=6 libswresample>=4)
if(NOT TARGET folio::ffmpeg)
  add_library(folio::ffmpeg ALIAS PkgConfig::FFMPEG)
endif()
find_package(SDL2 2.26 REQUIRED CONFIG)
