# cmake -DVERSION=1.30 -DMETAINFO=file.metainfo.xml -DPAGES=page;page
#       -DCHANGELOG=debian/changelog -P check-version.cmake
# Fails unless the newest release of the metadata and the newest entry of the
# changelog are VERSION and every manual page names VERSION in its title line.
file(READ ${METAINFO} metainfo)
string(REGEX MATCH "<release [^>]*version=\"([^\"]*)\"" found "${metainfo}")
if(NOT CMAKE_MATCH_1 STREQUAL VERSION)
  message(FATAL_ERROR "${METAINFO}: the newest release is \"${CMAKE_MATCH_1}\", not ${VERSION}")
endif()
foreach(page IN LISTS PAGES)
  file(STRINGS ${page} title ENCODING UTF-8 REGEX "^\\.TH ")
  if(NOT title MATCHES " ${VERSION}\"")
    message(FATAL_ERROR "${page}: the title line \"${title}\" does not name version ${VERSION}")
  endif()
endforeach()
file(STRINGS ${CHANGELOG} top LIMIT_COUNT 1)
if(NOT top MATCHES "^tsumugi \\(${VERSION}\\) ")
  message(FATAL_ERROR "${CHANGELOG}: the newest entry \"${top}\" is not version ${VERSION}")
endif()
