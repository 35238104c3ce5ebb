cmake_policy(SET CMP0057 NEW)
# Instrument text (Windows-1252) and paths (UTF-8) reach Qt only through display/QtText.h. Any other
# conversion between byte strings and QString in the program's Qt-side code fails this check.
file(GLOB_RECURSE sources ${SOURCE_DIR}/app/*.cpp ${SOURCE_DIR}/app/*.h ${SOURCE_DIR}/display/*.cpp
     ${SOURCE_DIR}/display/*.h ${SOURCE_DIR}/editors/ui/*.cpp ${SOURCE_DIR}/editors/ui/*.h
     ${SOURCE_DIR}/link/ui/*.cpp ${SOURCE_DIR}/link/ui/*.h ${SOURCE_DIR}/cli/*.cpp)
set(allowed display/QtText.cpp app/HelpDocument.cpp app/ManualShots.cpp)  # the codec; build tools reading argv
set(found "")
foreach(f ${sources})
  file(RELATIVE_PATH rel ${SOURCE_DIR} ${f})
  if(rel IN_LIST allowed)
    continue()
  endif()
  file(STRINGS ${f} lines REGEX "fromStdString|toStdString|fromLatin1|toLatin1|fromLocal8Bit|toLocal8Bit|fromUtf8|toUtf8\\(")
  foreach(l ${lines})
    string(APPEND found "${rel}: ${l}\n")
  endforeach()
endforeach()
if(found)
  message(FATAL_ERROR "Convert through FromCp1252/ToCp1252 (instrument text) or FromUtf8/ToUtf8 (paths):\n${found}")
endif()
