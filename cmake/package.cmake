# What cmake --install puts under the prefix for a host of the API: the
# libraries (the programs install beside their targets), the public headers
# (rqm_public_headers), a CMake package of the exported targets and
# pkg-config files.
#
#   find_package(rqm CONFIG REQUIRED)
#   target_link_libraries(my_host PRIVATE rqm::api rqm::peer_sim)
#
# rqm::api is the API with rqmcli's profiles, rqm::api_hf with
# rqmcli-hf's; the channel's peer is the host's choice: rqm::peer_kernel
# (the driver on the board), rqm::peer_sim (rqmsim on netlink) or
# rqm::peer_unix (rqmsim on Unix datagrams, for ARM programs under qemu).
include(CMakePackageConfigHelpers)
set(RQM_INSTALL_CMAKEDIR ${CMAKE_INSTALL_LIBDIR}/cmake/rqm)
set(RQM_INSTALL_PKGCONFIGDIR ${CMAKE_INSTALL_LIBDIR}/pkgconfig)

get_property(exported GLOBAL PROPERTY RQM_EXPORTED_TARGETS)
install(TARGETS ${exported} EXPORT rqmTargets ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR})
install(EXPORT rqmTargets NAMESPACE rqm:: DESTINATION ${RQM_INSTALL_CMAKEDIR})
configure_package_config_file(${CMAKE_CURRENT_LIST_DIR}/rqmConfig.cmake.in
  ${CMAKE_BINARY_DIR}/package/rqmConfig.cmake INSTALL_DESTINATION ${RQM_INSTALL_CMAKEDIR})
write_basic_package_version_file(${CMAKE_BINARY_DIR}/package/rqmConfigVersion.cmake
  COMPATIBILITY SameMajorVersion)
install(FILES ${CMAKE_BINARY_DIR}/package/rqmConfig.cmake ${CMAKE_BINARY_DIR}/package/rqmConfigVersion.cmake
  DESTINATION ${RQM_INSTALL_CMAKEDIR})

# pkg-config: rqm (or rqm-hf) for the API, and one file per peer, named
# together: pkg-config --cflags --libs rqm rqm-peer-sim. The files find the
# prefix from where they lie, so that an install under another --prefix
# than the configured one works. A profile and a peer are each one
# -Wl,... word: pkg-config drops a word it has given before, and a
# --whole-archive of its own per file keeps each file's archives whole in
# whatever order the files are named.
file(RELATIVE_PATH RQM_PC_PREFIX /prefix/${RQM_INSTALL_PKGCONFIGDIR} /prefix)
string(REGEX REPLACE "/$" "" RQM_PC_PREFIX "${RQM_PC_PREFIX}")
set(pc_files
  # file            archives linked whole                                 archives
  "rqm             rqm_api_profile_rqmcli,rqm_transport_profile_rqmcli  rqm_api_core,rqm_transport_core,rqm_common"
  "rqm-hf          rqm_api_profile_hf,rqm_transport_profile_hf          rqm_api_core,rqm_transport_core,rqm_common"
  "rqm-peer-kernel rqm_netlink_peer_kernel                              -"
  "rqm-peer-sim    rqm_netlink_peer_sim                                 -"
  "rqm-peer-unix   rqm_netlink_peer_unix                                -")
foreach(row ${pc_files})
  string(REGEX MATCHALL "[^ ]+" f "${row}")
  list(GET f 0 RQM_PC_NAME)
  list(GET f 1 whole)
  list(GET f 2 plain)
  string(REPLACE "," ",-l" whole "${whole}")
  set(RQM_PC_LIBS "-Wl,--whole-archive,-l${whole},--no-whole-archive")
  if(RQM_PC_NAME MATCHES "^rqm(-hf)?$")
    string(REPLACE "," " -l" plain "-l${plain}")
    string(APPEND RQM_PC_LIBS " ${plain} -pthread")
    set(RQM_PC_CFLAGS "-I\${includedir}/rqm")
    set(profiles "rqmcli's")
    if(RQM_PC_NAME STREQUAL "rqm-hf")
      set(profiles "rqmcli-hf's")
    endif()
    set(RQM_PC_DESCRIPTION "The RF test API with ${profiles} profiles; link one channel peer with it (rqm-peer-*)")
  else()
    set(RQM_PC_CFLAGS "")
    set(RQM_PC_DESCRIPTION "Channel peer of the rqm API (${RQM_PC_NAME})")
  endif()
  configure_file(${CMAKE_CURRENT_LIST_DIR}/rqm.pc.in ${CMAKE_BINARY_DIR}/package/${RQM_PC_NAME}.pc @ONLY)
  install(FILES ${CMAKE_BINARY_DIR}/package/${RQM_PC_NAME}.pc DESTINATION ${RQM_INSTALL_PKGCONFIGDIR})
endforeach()
