# Copies the property dictionary beside the executables when it exists.
if(EXISTS "${SOURCE}/CSSKeywords.xml")
  file(COPY_FILE "${SOURCE}/CSSKeywords.xml" "${DEST}/CSSKeywords.xml" ONLY_IF_DIFFERENT)
endif()
