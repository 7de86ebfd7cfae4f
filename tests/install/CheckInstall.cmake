# Installs the build into a scratch root (as a package would, prefix /usr
# under DESTDIR), checks the installed tree's layout and starts the
# installed korvel-css. Run by ctest with BUILD, ROOT, VERSION and STYLESHEET (a fixture
# without its .css) set.

file(REMOVE_RECURSE "${ROOT}")
execute_process(
  COMMAND ${CMAKE_COMMAND} -E env DESTDIR=${ROOT} ${CMAKE_COMMAND} --install "${BUILD}" --prefix /usr
  RESULT_VARIABLE status OUTPUT_QUIET ERROR_VARIABLE errors)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "cmake --install failed (${status}): ${errors}")
endif()

set(usr "${ROOT}/usr")
set(expected
  bin/korvel
  bin/korvel-css
  share/korvel/CSSKeywords.xml
  share/korvel/exempleCSS/index.html
  share/korvel/exempleCSS/styles.css
  share/korvel/exempleCSS/Images/logo.png
  share/applications/org.korvel.Korvel.desktop
  share/metainfo/org.korvel.Korvel.metainfo.xml
  share/icons/hicolor/scalable/apps/org.korvel.Korvel.svg
  share/icons/hicolor/48x48/apps/org.korvel.Korvel.png
  share/icons/hicolor/256x256/apps/org.korvel.Korvel.png
  share/man/man1/korvel.1
  share/man/man1/korvel-css.1)
foreach(path IN LISTS expected)
  if(NOT EXISTS "${usr}/${path}")
    message(FATAL_ERROR "not installed: ${path}")
  endif()
endforeach()

# The window finds its data at ../share/korvel/ from its executable: nothing
# of it may be installed beside the executable, where a build tree keeps it.
file(GLOB beside RELATIVE "${usr}/bin" "${usr}/bin/*")
list(SORT beside)
if(NOT beside STREQUAL "korvel;korvel-css")
  message(FATAL_ERROR "bin/ holds more than the two programs: ${beside}")
endif()
if(NOT EXISTS "${usr}/bin/../share/korvel/CSSKeywords.xml")
  message(FATAL_ERROR "the dictionary is not at ../share/korvel/ from bin/")
endif()

# Nothing of the build tree (tests, benchmarks, scratch folders) is installed.
file(GLOB_RECURSE installed RELATIVE "${usr}" "${usr}/*")
foreach(path IN LISTS installed)
  if(path MATCHES "(_test|_bench|ImageTemp|\\.data-copied)")
    message(FATAL_ERROR "installed by mistake: ${path}")
  endif()
endforeach()

execute_process(COMMAND "${usr}/bin/korvel-css" --version
  RESULT_VARIABLE status OUTPUT_VARIABLE version)
if(NOT status EQUAL 0 OR NOT version MATCHES "^korvel-css ${VERSION}\n$")
  message(FATAL_ERROR "korvel-css --version said \"${version}\" (${status})")
endif()
execute_process(COMMAND "${usr}/bin/korvel" --version
  RESULT_VARIABLE status OUTPUT_VARIABLE version)
if(NOT status EQUAL 0 OR NOT version MATCHES "^korvel ${VERSION}\n$")
  message(FATAL_ERROR "korvel --version said \"${version}\" (${status})")
endif()

# The installed korvel-css reads a stylesheet and writes Korvel's layout of
# it, the fixture's saved twin.
set(written "${ROOT}/written.css")
execute_process(COMMAND "${usr}/bin/korvel-css" -o "${written}" "${STYLESHEET}.css"
  RESULT_VARIABLE status ERROR_VARIABLE errors)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "the installed korvel-css failed (${status}): ${errors}")
endif()
file(READ "${written}" writtenText)
file(READ "${STYLESHEET}.saved.css" expectedText)
if(NOT writtenText STREQUAL expectedText)
  message(FATAL_ERROR "the installed korvel-css wrote:\n${writtenText}")
endif()
file(REMOVE_RECURSE "${ROOT}")
