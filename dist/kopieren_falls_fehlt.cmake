# cmake -DQUELLE=<file> -DZIEL=<file> -P kopieren_falls_fehlt.cmake
# Copies QUELLE to ZIEL only when ZIEL does not exist yet, so a file the keeper
# has edited there (or deliberately replaced by a link) is never overwritten.
if(NOT DEFINED QUELLE OR NOT DEFINED ZIEL)
  message(FATAL_ERROR "kopieren_falls_fehlt: QUELLE und ZIEL angeben")
endif()
if(EXISTS "${ZIEL}" OR IS_SYMLINK "${ZIEL}")
  return()
endif()
get_filename_component(ordner "${ZIEL}" DIRECTORY)
get_filename_component(name "${ZIEL}" NAME)
file(MAKE_DIRECTORY "${ordner}")
# Copied under a temporary name first and renamed, so an interrupted build
# never leaves half a settings file behind.
file(COPY_FILE "${QUELLE}" "${ordner}/.${name}.neu")
file(RENAME "${ordner}/.${name}.neu" "${ZIEL}")
