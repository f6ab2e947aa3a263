# tessely_version_record(TARGET FILE DESCRIPTION): gives the Windows program TARGET, whose file is FILE, the
# program's version record, made from the project's version.

# The record's texts give the minor number in two digits and the revision in four: "3.02.0002".
string(REGEX REPLACE "^([0-9])$" "0\\1" _tessely_minor ${PROJECT_VERSION_MINOR})
string(REGEX REPLACE "^([0-9]+)$" "000\\1" _tessely_revision ${PROJECT_VERSION_PATCH})
string(REGEX REPLACE "^0*([0-9][0-9][0-9][0-9])$" "\\1" _tessely_revision ${_tessely_revision})
set(TESSELY_VERSION_RECORD_TEXT ${PROJECT_VERSION_MAJOR}.${_tessely_minor}.${_tessely_revision})

function(tessely_version_record target file description)
  set(TESSELY_RECORD_FILE ${file})
  set(TESSELY_RECORD_DESCRIPTION ${description})
  set(rc ${CMAKE_CURRENT_BINARY_DIR}/${target}-version.rc)
  configure_file(${PROJECT_SOURCE_DIR}/cmake/version-record.rc.in ${rc} @ONLY)
  target_sources(${target} PRIVATE ${rc})
endfunction()
