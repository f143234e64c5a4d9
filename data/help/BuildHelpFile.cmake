# cmake -DSOURCE=<data/help> -DVARIANT=<n> -DWORK=<folder> -DOUTPUT=<Tervalo.chm> -P BuildHelpFile.cmake
#
# Builds the help file of one accounting-system version: the shared pages, with the version's own
# description of its export put in place of the marker <!--#EXPORT_SCREENS-->, zipped together with
# Contents.txt. The file is written beside its target and renamed, so a failed build leaves none.
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK})
set(variant_file ${SOURCE}/variants/${VARIANT}.htm)
if(NOT EXISTS ${variant_file})
  message(FATAL_ERROR "The help has no export description for version ${VARIANT}: ${variant_file}")
endif()
file(READ ${variant_file} export_screens)

file(GLOB pages RELATIVE ${SOURCE}/pages ${SOURCE}/pages/*)
foreach(page IN LISTS pages)
  if(page MATCHES "\\.htm$")
    file(READ ${SOURCE}/pages/${page} text)
    string(REPLACE "<!--#EXPORT_SCREENS-->" "${export_screens}" text "${text}")
    file(WRITE ${WORK}/${page} "${text}")
  else()
    file(COPY ${SOURCE}/pages/${page} DESTINATION ${WORK})
  endif()
endforeach()
file(COPY ${SOURCE}/Contents.txt DESTINATION ${WORK})

get_filename_component(output_dir ${OUTPUT} DIRECTORY)
file(MAKE_DIRECTORY ${output_dir})
execute_process(COMMAND ${CMAKE_COMMAND} -E tar cf ${OUTPUT}.part --format=zip -- Contents.txt ${pages}
  WORKING_DIRECTORY ${WORK} RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "Could not pack the help file ${OUTPUT}")
endif()
file(RENAME ${OUTPUT}.part ${OUTPUT})
