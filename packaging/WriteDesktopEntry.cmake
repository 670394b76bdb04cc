# cmake -DMIME_TOOL=... -DTEMPLATE=... -DOUTPUT=... -P WriteDesktopEntry.cmake
# Writes the desktop entry from its template, with the MimeType list that vistrel-mime-types
# derives from the media types Vistrel identifies and the file list's patterns.
execute_process(COMMAND ${MIME_TOOL}
                OUTPUT_VARIABLE VISTREL_MIME_TYPES
                ERROR_VARIABLE error
                RESULT_VARIABLE result
                OUTPUT_STRIP_TRAILING_WHITESPACE)
if(NOT result EQUAL 0 OR VISTREL_MIME_TYPES STREQUAL "")
  message(FATAL_ERROR "vistrel-mime-types failed (${result}): ${error}")
endif()
configure_file(${TEMPLATE} ${OUTPUT} @ONLY)
