# 32-bit ARM, fully static, for the shipped programs. The float ABI is the
# only difference between the two trees and comes with the triplet, which
# the preset gives: arm-linux-gnueabi (soft-float, rqmcli) or
# arm-linux-gnueabihf (hard-float, rqmcli-hf).
if(NOT RQM_ARM_TRIPLET)
  message(FATAL_ERROR "RQM_ARM_TRIPLET must name the ARM triplet")
endif()
# try_compile projects run this file again and need the triplet too.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES RQM_ARM_TRIPLET)
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR arm)
set(CMAKE_C_COMPILER ${RQM_ARM_TRIPLET}-gcc)
set(CMAKE_CXX_COMPILER ${RQM_ARM_TRIPLET}-g++)
set(CMAKE_FIND_ROOT_PATH /usr/${RQM_ARM_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
set(CMAKE_CROSSCOMPILING_EMULATOR qemu-arm-static)
set(THREADS_PREFER_PTHREAD_FLAG ON)
