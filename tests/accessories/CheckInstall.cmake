# Installs the build into a scratch folder and checks that everything a
# desktop program needs arrived in its place.
#   cmake -DBUILD_DIR=... -DSTAGE=... -P CheckInstall.cmake
file(REMOVE_RECURSE ${STAGE})
execute_process(
  COMMAND ${CMAKE_COMMAND} -E env DESTDIR=${STAGE} ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix /usr
  RESULT_VARIABLE rc OUTPUT_QUIET)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "cmake --install failed: ${rc}")
endif()
set(expected
  usr/bin/quillo
  usr/share/quillo/help/ja/index.html
  usr/share/quillo/help/ja/support.html
  usr/share/quillo/help/ja/style.css
  usr/share/applications/quillo.desktop
  usr/share/metainfo/org.orvane.quillo.metainfo.xml
  usr/share/icons/hicolor/scalable/apps/quillo.svg)
foreach(size 16 22 24 32 48 64 128 256)
  list(APPEND expected usr/share/icons/hicolor/${size}x${size}/apps/quillo.png)
endforeach()
foreach(f IN LISTS expected)
  if(NOT EXISTS ${STAGE}/${f})
    message(FATAL_ERROR "not installed: ${f}")
  endif()
endforeach()
file(GLOB pages ${STAGE}/usr/share/quillo/help/ja/*.html)
list(LENGTH pages count)
if(count LESS 5)
  message(FATAL_ERROR "only ${count} help pages installed")
endif()
message(STATUS "installed: ${expected}")
