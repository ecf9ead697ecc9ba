# Fuzz target of the archive worker. Included from tests/fuzz/CMakeLists.txt when
# QUILLMERE_FUZZ is on (clang++). The extractor's own sources are compiled into the target so
# that libFuzzer sees its branches; the rest comes from quillmere_core.
# Run: extract_fuzz -max_total_time=300 -max_len=65536 <corpus folder>
#      (seed the corpus with tests/fuzz/extract_seeds.sh <corpus folder>)
add_executable(extract_fuzz
    ${CMAKE_CURRENT_LIST_DIR}/extract_fuzz.cpp
    ${PROJECT_SOURCE_DIR}/src/extract/archiveextractor.cpp
    ${PROJECT_SOURCE_DIR}/src/extract/folderwriter.cpp)
target_compile_options(extract_fuzz PRIVATE -fsanitize=fuzzer,address,undefined)
target_link_options(extract_fuzz PRIVATE -fsanitize=fuzzer,address,undefined)
target_link_libraries(extract_fuzz PRIVATE quillmere_core)
