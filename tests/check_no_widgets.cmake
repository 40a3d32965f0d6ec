# Fails when the executable EXE loads Qt Gui or Qt Widgets, directly or through
# any library it links.
execute_process(COMMAND ldd ${EXE} OUTPUT_VARIABLE libraries RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "ldd cannot read ${EXE}")
endif()
if(NOT libraries MATCHES "libQt5Core")
  message(FATAL_ERROR "no Qt libraries found for ${EXE}:\n${libraries}")
endif()
if(libraries MATCHES "libQt5(Gui|Widgets)")
  message(FATAL_ERROR "${EXE} loads a GUI library:\n${libraries}")
endif()
