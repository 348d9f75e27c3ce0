# The installed tree beside the programs: desktop entry, icons, metainfo, man pages and
# the sample scripts. Each file is staged into ${CMAKE_BINARY_DIR}/share first, so the
# build tree has the same layout as an installation (bin/ next to share/) and the program
# finds its data the same way in both; only the staged files named here are installed.

set(VELKORAN_DATA_DIR ${CMAKE_SOURCE_DIR}/data)
set(VELKORAN_STAGE ${CMAKE_BINARY_DIR}/share)
set(VELKORAN_ICON_SIZES 16 22 24 32 48 64 128 256)
set(VELKORAN_STAGED)

# velkoran_stage(<path below share/> <command...>): the command writes the staged file
# from the given dependency; the file is installed to the same place below share/.
function(velkoran_stage relative depends)
  set(to ${VELKORAN_STAGE}/${relative})
  get_filename_component(dir ${relative} DIRECTORY)
  add_custom_command(OUTPUT ${to}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${VELKORAN_STAGE}/${dir}
    ${ARGN}
    DEPENDS ${depends} VERBATIM)
  install(FILES ${to} DESTINATION ${CMAKE_INSTALL_DATADIR}/${dir})
  set(VELKORAN_STAGED ${VELKORAN_STAGED} ${to} PARENT_SCOPE)
endfunction()

function(velkoran_stage_copy relative from)
  velkoran_stage(${relative} ${from} COMMAND ${CMAKE_COMMAND} -E copy ${from} ${VELKORAN_STAGE}/${relative})
  set(VELKORAN_STAGED ${VELKORAN_STAGED} PARENT_SCOPE)
endfunction()

velkoran_stage_copy(applications/velkoran.desktop ${VELKORAN_DATA_DIR}/velkoran.desktop)
# The metainfo file is named by the component id, as the software centres look it up.
velkoran_stage_copy(metainfo/org.velkoran.velkoran.metainfo.xml ${VELKORAN_DATA_DIR}/org.velkoran.velkoran.metainfo.xml)
velkoran_stage_copy(icons/hicolor/scalable/apps/velkoran.svg ${VELKORAN_DATA_DIR}/icons/velkoran.svg)

# Bitmap icons for desktops that do not draw SVG, rendered from the one drawing.
find_program(VELKORAN_RSVG rsvg-convert)
if(VELKORAN_RSVG)
  foreach(size IN LISTS VELKORAN_ICON_SIZES)
    set(png icons/hicolor/${size}x${size}/apps/velkoran.png)
    velkoran_stage(${png} ${VELKORAN_DATA_DIR}/icons/velkoran.svg
      COMMAND ${VELKORAN_RSVG} -w ${size} -h ${size} -o ${VELKORAN_STAGE}/${png} ${VELKORAN_DATA_DIR}/icons/velkoran.svg)
  endforeach()
else()
  message(WARNING "rsvg-convert not found (Debian: librsvg2-bin): only the SVG icon is installed")
endif()

# Man pages carry the version and are compressed, as Debian installs them.
find_program(VELKORAN_GZIP gzip REQUIRED)
foreach(page velkoran.1 kestrin.1)
  configure_file(${VELKORAN_DATA_DIR}/man/${page} ${CMAKE_BINARY_DIR}/man/${page} @ONLY)
  velkoran_stage(man/man1/${page}.gz ${CMAKE_BINARY_DIR}/man/${page}
    COMMAND sh -c "${VELKORAN_GZIP} -9n -c \"$0\" > \"$1\"" ${CMAKE_BINARY_DIR}/man/${page} ${VELKORAN_STAGE}/man/man1/${page}.gz)
endforeach()

# The sample scripts.
file(GLOB_RECURSE VELKORAN_EXAMPLES CONFIGURE_DEPENDS RELATIVE ${CMAKE_SOURCE_DIR}/examples
  ${CMAKE_SOURCE_DIR}/examples/*)
foreach(example IN LISTS VELKORAN_EXAMPLES)
  velkoran_stage_copy(velkoran/examples/${example} ${CMAKE_SOURCE_DIR}/examples/${example})
endforeach()

add_custom_target(velkoran_data ALL DEPENDS ${VELKORAN_STAGED})
