# Install-time helper: writes CONTENT to a file named NAME and installs it
# (mode 0644) under DESTINATION in the prefix. The file is written first in a
# folder of its own per destination, so that two installations at once never
# share it; file(INSTALL) adds DESTDIR itself.
function(qm_install_filled content name destination out)
  string(MD5 staging "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}")
  set(folder "${out}/filled-${staging}-${name}")
  file(WRITE "${folder}/${name}" "${content}")
  file(INSTALL DESTINATION "${CMAKE_INSTALL_PREFIX}/${destination}" TYPE FILE
       PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ FILES "${folder}/${name}")
  file(REMOVE_RECURSE "${folder}")
endfunction()
