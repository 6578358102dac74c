# The release's catalogue: pure data, no GUI. Included by app/CMakeLists.txt,
# and by content/ when the app folder has no CMakeLists yet.
if(NOT TARGET catalogue)
  korvane_library(catalogue SOURCES ${CMAKE_CURRENT_LIST_DIR}/Catalogue.cpp)
endif()
