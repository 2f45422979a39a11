# The executable's version block, made at build time from the project version
# and the values below, embedded in the quindle executable and read back from
# the file on disk (the about box and the window caption show it).
set(QUINDLE_VERSION_LANGUAGE 0809)   # English (United Kingdom)
set(QUINDLE_VERSION_CODEPAGE 04E4)   # Windows Latin 1
set(QUINDLE_COMPANY_NAME "Ardlow Ltd")
set(QUINDLE_INTERNAL_NAME "Vantorel")
set(QUINDLE_PRODUCT_VERSION "1.0.0.0")

add_executable(versionblockgen ${CMAKE_CURRENT_LIST_DIR}/versionblockgen/versionblockgen.cpp)
target_link_libraries(versionblockgen PRIVATE helpcore)
set_target_properties(versionblockgen PROPERTIES
  RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tools AUTOMOC OFF AUTOUIC OFF AUTORCC OFF)

set(QUINDLE_VERSION_SOURCE ${CMAKE_BINARY_DIR}/generated/versionimage.cpp)
add_custom_command(
  OUTPUT ${QUINDLE_VERSION_SOURCE}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/generated
  COMMAND versionblockgen ${QUINDLE_VERSION_SOURCE}
          ${QUINDLE_VERSION_LANGUAGE} ${QUINDLE_VERSION_CODEPAGE}
          ${PROJECT_VERSION} ${QUINDLE_PRODUCT_VERSION}
          "Comments="
          "CompanyName=${QUINDLE_COMPANY_NAME}"
          "FileDescription="
          "FileVersion=${PROJECT_VERSION}"
          "InternalName=${QUINDLE_INTERNAL_NAME}"
          "LegalCopyright="
          "LegalTrademarks="
          "OriginalFilename="
          "ProductName="
          "ProductVersion=${QUINDLE_PRODUCT_VERSION}"
  DEPENDS versionblockgen
  COMMENT "Writing the version block ${PROJECT_VERSION}"
  VERBATIM)
# Objects, not an archive: the linker keeps the block although no code refers to it.
add_library(versionimage OBJECT ${QUINDLE_VERSION_SOURCE})
set_target_properties(versionimage PROPERTIES AUTOMOC OFF AUTOUIC OFF AUTORCC OFF)
target_link_libraries(quindle PRIVATE versionimage)
target_compile_definitions(quindle PRIVATE QUINDLE_VERSION="${PROJECT_VERSION}")
