# cmake -DPO4A=<po4a> -DSOURCE_DIR=<data/> -DBINARY_DIR=<output folder> -DOUTPUT=<page> -P translate_man.cmake
# Writes OUTPUT, a translated manual page's template, with po4a and po/po4a.cfg, or fails. po4a only
# leaves out a page below its --keep threshold, with a message and no error, so the check is here.
file(REMOVE ${OUTPUT})
file(MAKE_DIRECTORY ${BINARY_DIR})
execute_process(
    COMMAND ${PO4A} --no-update --srcdir ${SOURCE_DIR} --destdir ${BINARY_DIR} ${SOURCE_DIR}/po/po4a.cfg
    COMMAND_ERROR_IS_FATAL ANY)
if(NOT EXISTS ${OUTPUT})
    cmake_path(GET OUTPUT PARENT_PATH language)
    cmake_path(GET language FILENAME language)
    message(FATAL_ERROR "data/po/${language}.po does not translate every string of data/brivadoro.6.in, or "
        "marks some fuzzy. Run `cmake --build <build folder> --target update_man_translation`, then fill "
        "in the empty and fuzzy msgstr entries of data/po/${language}.po: docs/translations.md says how.")
endif()
