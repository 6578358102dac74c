# cmake -DSRC=<generated release folder> -DDST=<seed folder> -P PageSeeds.cmake
# The release's pages, as the content generator wrote them, become the page
# target's seeds; the folder is rebuilt so a page the generator dropped goes.
file(GLOB _pages "${SRC}/*.htm" "${SRC}/*.html")
if(NOT _pages)
  message(FATAL_ERROR "no pages in ${SRC}: the content generator has not run")
endif()
file(REMOVE_RECURSE "${DST}")
file(MAKE_DIRECTORY "${DST}")
file(COPY ${_pages} DESTINATION "${DST}")
