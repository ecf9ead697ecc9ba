# Writes an art source with its {{key}} fields filled, as quillmere-makeart
# fills them before drawing: the scalable icon is the SVG itself.
#   cmake -DSOURCE=<svg> -DOUTPUT=<svg> "-DPARAMS=key=value|key=@file|..." -P fill-svg.cmake
# A value "@file" is that file's text, relative to the source's folder.
get_filename_component(base ${SOURCE} DIRECTORY)
file(READ ${SOURCE} svg)
string(REPLACE "|" ";" params "${PARAMS}")
foreach(round RANGE 3)
    foreach(param IN LISTS params)
        string(FIND "${param}" "=" eq)
        string(SUBSTRING "${param}" 0 ${eq} key)
        math(EXPR from "${eq} + 1")
        string(SUBSTRING "${param}" ${from} -1 value)
        if(value MATCHES "^@(.*)$")
            file(READ ${base}/${CMAKE_MATCH_1} value)
        endif()
        string(REPLACE "{{${key}}}" "${value}" svg "${svg}")
    endforeach()
endforeach()
if(svg MATCHES "{{([A-Za-z0-9_]+)}}")
    message(FATAL_ERROR "${SOURCE}: no value for {{${CMAKE_MATCH_1}}}")
endif()
file(WRITE ${OUTPUT} "${svg}")
