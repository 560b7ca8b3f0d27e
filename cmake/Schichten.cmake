# The layers as the compiler sees them. Every library exports the source root,
# so `#include "output/Export.h"` compiles in any target whether or not it links
# vivarix_output, and a header-only include would cross a layer unseen. Here
# each target of the program gets a list of what it may include: the headers of
# itself and of every library it links (directly, or through a dependency's
# public links). cmake/schichten_pruefen.cmake compares that with the includes
# in its sources at every build, so a layer break fails the build.
#
# A header belongs to the target whose sources hold the file of the same name
# (bild/Metaformat.h to vivarix_metaformat); a header without such a file to
# every library of its folder; Version.h to vivarix_version.

# Direct links of a target, then the public links of each library it reaches.
function(vivarix_schichten_huelle ziel ergebnis)
  set(huelle ${ziel})
  get_target_property(offen ${ziel} LINK_LIBRARIES)
  while(offen)
    list(POP_FRONT offen naechstes)
    if(NOT naechstes MATCHES "^vivarix" OR NOT TARGET ${naechstes} OR naechstes IN_LIST huelle)
      continue()
    endif()
    list(APPEND huelle ${naechstes})
    get_target_property(weiter ${naechstes} INTERFACE_LINK_LIBRARIES)
    if(weiter)
      list(APPEND offen ${weiter})
    endif()
  endwhile()
  set(${ergebnis} ${huelle} PARENT_SCOPE)
endfunction()

function(vivarix_schichten_ziele ordner ergebnis)
  get_property(ziele DIRECTORY ${ordner} PROPERTY BUILDSYSTEM_TARGETS)
  set(alle)
  foreach(ziel IN LISTS ziele)
    get_target_property(art ${ziel} TYPE)
    if(art MATCHES "^(STATIC_LIBRARY|SHARED_LIBRARY|MODULE_LIBRARY|OBJECT_LIBRARY|EXECUTABLE|INTERFACE_LIBRARY)$")
      list(APPEND alle ${ziel})
    endif()
  endforeach()
  get_property(unterordner DIRECTORY ${ordner} PROPERTY SUBDIRECTORIES)
  foreach(unter IN LISTS unterordner)
    vivarix_schichten_ziele(${unter} weitere)
    list(APPEND alle ${weitere})
  endforeach()
  set(${ergebnis} ${alle} PARENT_SCOPE)
endfunction()

function(vivarix_schichten_beschreiben datei)
  vivarix_schichten_ziele(${PROJECT_SOURCE_DIR} ziele)
  set(text "set(ziele)\nset(\"eigner__Version\" vivarix_version)\n")
  set(alle_quellen)
  foreach(ziel IN LISTS ziele)
    get_target_property(art ${ziel} TYPE)
    get_target_property(ort ${ziel} SOURCE_DIR)
    file(RELATIVE_PATH ordner ${PROJECT_SOURCE_DIR} ${ort})
    if(art STREQUAL "INTERFACE_LIBRARY")
      continue()
    endif()
    if(NOT art STREQUAL "EXECUTABLE")
      string(APPEND text "list(APPEND \"ordner__${ordner}\" ${ziel})\n")
    endif()
    get_target_property(quellen ${ziel} SOURCES)
    set(eigene)
    foreach(q IN LISTS quellen)
      if(NOT IS_ABSOLUTE ${q})
        set(q ${ort}/${q})
      endif()
      file(RELATIVE_PATH rel ${PROJECT_SOURCE_DIR} ${q})
      if(rel MATCHES "^\\.\\." OR NOT rel MATCHES "\\.(cpp|h)$")
        continue() # generated in the build folder
      endif()
      list(APPEND eigene ${rel})
      string(REGEX REPLACE "\\.(cpp|h)$" "" stamm ${rel})
      string(APPEND text "list(APPEND \"eigner__${stamm}\" ${ziel})\n")
    endforeach()
    vivarix_schichten_huelle(${ziel} huelle)
    string(APPEND text "list(APPEND ziele ${ziel})\nset(\"quellen__${ziel}\" ${eigene})\nset(\"huelle__${ziel}\" ${huelle})\n")
    list(APPEND alle_quellen ${eigene})
  endforeach()
  file(CONFIGURE OUTPUT ${datei} CONTENT "${text}")
  set(vivarix_schichten_quellen ${alle_quellen} PARENT_SCOPE)
endfunction()

set(vivarix_schichten_liste ${PROJECT_BINARY_DIR}/schichten.cmake)
vivarix_schichten_beschreiben(${vivarix_schichten_liste})
# Headers include headers: every header of the program's folders counts.
file(GLOB_RECURSE vivarix_schichten_koepfe CONFIGURE_DEPENDS
     LIST_DIRECTORIES false RELATIVE ${PROJECT_SOURCE_DIR} ${PROJECT_SOURCE_DIR}/*.h)
list(FILTER vivarix_schichten_koepfe EXCLUDE REGEX "^(tests|bench|fuzz|build[^/]*)/")
list(TRANSFORM vivarix_schichten_quellen PREPEND ${PROJECT_SOURCE_DIR}/)
list(TRANSFORM vivarix_schichten_koepfe PREPEND ${PROJECT_SOURCE_DIR}/)
set(vivarix_schichten_pruefer ${PROJECT_SOURCE_DIR}/cmake/schichten_pruefen.cmake)
add_custom_command(
  OUTPUT ${PROJECT_BINARY_DIR}/schichten.geprueft
  COMMAND ${CMAKE_COMMAND} -DLISTE=${vivarix_schichten_liste} -DWURZEL=${PROJECT_SOURCE_DIR}
          -P ${vivarix_schichten_pruefer}
  COMMAND ${CMAKE_COMMAND} -E touch ${PROJECT_BINARY_DIR}/schichten.geprueft
  DEPENDS ${vivarix_schichten_pruefer} ${vivarix_schichten_liste} ${vivarix_schichten_quellen}
          ${vivarix_schichten_koepfe}
  COMMENT "Checking each target's includes against what it links"
  VERBATIM)
add_custom_target(vivarix_schichten ALL DEPENDS ${PROJECT_BINARY_DIR}/schichten.geprueft)
