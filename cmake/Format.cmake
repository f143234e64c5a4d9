# `format` applies clang-format to every C++ file; `format-check` fails on any difference.
find_program(CLANG_FORMAT clang-format)
if(CLANG_FORMAT)
  file(GLOB_RECURSE TERVALO_FORMAT_FILES CONFIGURE_DEPENDS
    ${PROJECT_SOURCE_DIR}/src/*.cpp ${PROJECT_SOURCE_DIR}/src/*.h
    ${PROJECT_SOURCE_DIR}/tests/*.cpp ${PROJECT_SOURCE_DIR}/tests/*.h
    ${PROJECT_SOURCE_DIR}/bench/*.cpp ${PROJECT_SOURCE_DIR}/bench/*.h
    ${PROJECT_SOURCE_DIR}/tools/*.cpp ${PROJECT_SOURCE_DIR}/tools/*.h
    ${PROJECT_SOURCE_DIR}/fuzz/*.cpp ${PROJECT_SOURCE_DIR}/fuzz/*.h)
  add_custom_target(format COMMAND ${CLANG_FORMAT} -i ${TERVALO_FORMAT_FILES}
    WORKING_DIRECTORY ${PROJECT_SOURCE_DIR} COMMENT "clang-format -i")
  add_custom_target(format-check COMMAND ${CLANG_FORMAT} --dry-run -Werror ${TERVALO_FORMAT_FILES}
    WORKING_DIRECTORY ${PROJECT_SOURCE_DIR} COMMENT "clang-format --dry-run")
endif()
