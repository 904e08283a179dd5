# Part of the install: writes bitsplit.pc from bitsplit_pc_template into
# bitsplit_pc_destination under the prefix being installed to, with that
# prefix in pkg-config's escapes (a backslash before each space, quote and
# backslash).
string(REGEX REPLACE "([\\\\ '\"])" "\\\\\\1" escaped_prefix "${CMAKE_INSTALL_PREFIX}")
file(READ "${bitsplit_pc_template}" pc_text)
string(REPLACE "%PREFIX%" "${escaped_prefix}" pc_text "${pc_text}")
get_filename_component(pc_work_dir "${bitsplit_pc_template}" DIRECTORY)
file(WRITE "${pc_work_dir}/pkgconfig/bitsplit.pc" "${pc_text}")
file(INSTALL "${pc_work_dir}/pkgconfig/bitsplit.pc"
  DESTINATION "${CMAKE_INSTALL_PREFIX}/${bitsplit_pc_destination}")
