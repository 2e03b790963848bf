# Checks which channel peer a linked program carries: run with -DFILE=
# (the program), -DMARK= (a string only the simulation peers hold) and
# -DWANT=sim or -DWANT=board. A shipped program with a simulation peer in
# it would look for rqmsim on the board.
file(STRINGS "${FILE}" found LIMIT_COUNT 1 REGEX "${MARK}")
if(WANT STREQUAL "board" AND found)
  message(FATAL_ERROR "${FILE} is a shipped program and carries a simulation peer (\"${MARK}\")")
elseif(WANT STREQUAL "sim" AND NOT found)
  message(FATAL_ERROR "${FILE} is a simulation program without a simulation peer (\"${MARK}\")")
endif()
