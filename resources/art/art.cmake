# Included from src/CMakeLists.txt, so that the generated files below are
# sources of quillmere_ui in the same folder.
#
# The launcher's pictures are drawn at build time: quillmere-makeart renders
# every entry of art.list from the SVG sources into the build folder, and a
# resource file written here lists them under their resource names, each with
# its twin drawn at twice the size for high-DPI screens. The Korean
# edition's font is copied from Debian's fonts-nanum; neither is committed.

set(ART_DIR ${PROJECT_SOURCE_DIR}/resources/art)
set(ART_OUT ${CMAKE_CURRENT_BINARY_DIR}/art)

add_executable(quillmere-makeart ${ART_DIR}/makeart.cpp)
target_link_libraries(quillmere-makeart PRIVATE Qt5::Gui Qt5::Svg)

set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${ART_DIR}/art.list)
# One list element per line: the parameters' ';' would split a line otherwise.
file(READ ${ART_DIR}/art.list art_text)
string(REPLACE ";" "," art_text "${art_text}")
string(REPLACE "\n" ";" art_lines "${art_text}")
set(art_outputs "")
set(art_prefixes "")
foreach(line IN LISTS art_lines)
    if(line MATCHES "^(/[A-Za-z0-9_/]*) *\\| *([^ |]+) *\\|")
        set(prefix ${CMAKE_MATCH_1})
        set(alias ${CMAKE_MATCH_2})
        set(aliases ${alias})
        # The twin for screens of device pixel ratio two, named as quillmere-makeart
        # names it: "@2x" before the suffix. Icon files and "hidpi=no" have none.
        if(NOT alias MATCHES "\\.ico$" AND NOT line MATCHES "[|,] *hidpi *= *no *(,|$)")
            if(alias MATCHES "^(.*)(\\.[^./]*)$")
                list(APPEND aliases "${CMAKE_MATCH_1}@2x${CMAKE_MATCH_2}")
            else()
                list(APPEND aliases "${alias}@2x")
            endif()
        endif()
        string(REPLACE "/" "_" key "${prefix}")
        if(NOT prefix IN_LIST art_prefixes)
            list(APPEND art_prefixes ${prefix})
            set(art_files_${key} "")
        endif()
        foreach(name IN LISTS aliases)
            string(APPEND art_files_${key} "        <file alias=\"${name}\">art${prefix}/${name}</file>\n")
            list(APPEND art_outputs ${ART_OUT}${prefix}/${name})
        endforeach()
    endif()
endforeach()

set(qrc "<!DOCTYPE RCC>\n<RCC version=\"1.0\">\n")
foreach(prefix IN LISTS art_prefixes)
    string(REPLACE "/" "_" key "${prefix}")
    string(APPEND qrc "    <qresource prefix=\"${prefix}\">\n${art_files_${key}}    </qresource>\n")
endforeach()
string(APPEND qrc "</RCC>\n")
file(CONFIGURE OUTPUT ${CMAKE_CURRENT_BINARY_DIR}/ui_art.qrc CONTENT "${qrc}" @ONLY)

file(GLOB art_sources CONFIGURE_DEPENDS ${ART_DIR}/*.svg ${ART_DIR}/glyphs/*)
# Fonts come from fontconfig; the offscreen platform needs no display, and a
# sanitized build must not fail the build on the font libraries' leaks.
add_custom_command(
    OUTPUT ${art_outputs}
    COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen ASAN_OPTIONS=detect_leaks=0
            $<TARGET_FILE:quillmere-makeart> ${ART_DIR}/art.list ${ART_OUT}
    DEPENDS quillmere-makeart ${ART_DIR}/art.list ${art_sources}
    COMMENT "Drawing the launcher's pictures"
    VERBATIM)

find_file(QUILLMERE_NANUM_MYEONGJO_BOLD NanumMyeongjoBold.ttf
    PATHS /usr/share/fonts/truetype/nanum NO_DEFAULT_PATH)
if(NOT QUILLMERE_NANUM_MYEONGJO_BOLD)
    message(FATAL_ERROR "NanumMyeongjoBold.ttf not found: install fonts-nanum (scripts/bootstrap)")
endif()
configure_file(${QUILLMERE_NANUM_MYEONGJO_BOLD} ${CMAKE_CURRENT_BINARY_DIR}/fonts/NanumMyeongjoBold.ttf COPYONLY)
file(CONFIGURE OUTPUT ${CMAKE_CURRENT_BINARY_DIR}/ui_fonts.qrc CONTENT [[<!DOCTYPE RCC>
<RCC version="1.0">
    <qresource prefix="/fonts">
        <file alias="NanumMyeongjoBold.ttf">fonts/NanumMyeongjoBold.ttf</file>
    </qresource>
</RCC>
]])

target_sources(quillmere_ui PRIVATE ${art_outputs}
    ${CMAKE_CURRENT_BINARY_DIR}/ui_art.qrc ${CMAKE_CURRENT_BINARY_DIR}/ui_fonts.qrc)
set_property(TARGET quillmere_ui APPEND PROPERTY QUILLMERE_UI_RESOURCES ui_art ui_fonts)
