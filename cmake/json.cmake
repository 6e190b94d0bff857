# JSON for nlohmann from Debian's nlohmann-json3-dev (header-only), for both builds. The Windows
# build must not see the host's /usr/include (its C library headers would shadow MinGW's), so the
# target exposes a build-tree folder holding only a link to the library's own folder.
set(TAVRINE_JSON_HEADERS /usr/include/nlohmann CACHE PATH "Folder of nlohmann/json.hpp (nlohmann-json3-dev)")
if(NOT EXISTS ${TAVRINE_JSON_HEADERS}/json.hpp)
    message(FATAL_ERROR "nlohmann/json.hpp is missing: install nlohmann-json3-dev (scripts/bootstrap.sh)")
endif()
set(tavrine_json_include ${CMAKE_BINARY_DIR}/json-include)
file(MAKE_DIRECTORY ${tavrine_json_include})
file(CREATE_LINK ${TAVRINE_JSON_HEADERS} ${tavrine_json_include}/nlohmann SYMBOLIC)

add_library(tavrine_json INTERFACE)
target_include_directories(tavrine_json SYSTEM INTERFACE ${tavrine_json_include})
add_library(tavrine::json ALIAS tavrine_json)
