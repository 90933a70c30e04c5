# Runs scdoc on one page at build time: cmake -DSCDOC=... -DENTREE=... -DSORTIE=... -P scdoc.cmake
execute_process(COMMAND ${SCDOC} INPUT_FILE ${ENTREE} OUTPUT_FILE ${SORTIE} RESULT_VARIABLE r)
if(NOT r EQUAL 0)
  file(REMOVE ${SORTIE})
  message(FATAL_ERROR "scdoc a échoué sur ${ENTREE}")
endif()
