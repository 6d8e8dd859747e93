# Shared part of the two mingw-w64 toolchains (posix thread model).
set(CMAKE_C_COMPILER ${NIMBRA_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${NIMBRA_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${NIMBRA_TRIPLET}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${NIMBRA_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
# Test executables run under Wine; only the 64-bit loader works on this machine.
if(NIMBRA_TRIPLET STREQUAL "x86_64-w64-mingw32")
  set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../tools/wine-run)
endif()
