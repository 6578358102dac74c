# cmake -DSRC=<generated artwork file> -DDST=<copy> -P CopyArtwork.cmake
if(EXISTS "${SRC}")
  configure_file("${SRC}" "${DST}" COPYONLY)
else()
  message(WARNING "${SRC} was not generated; embedding an empty stand-in")
  file(WRITE "${DST}" "")
endif()
