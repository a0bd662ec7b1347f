# Fails when a file outside platform/ includes an SDL header.
file(GLOB_RECURSE sources RELATIVE ${ROOT}
  ${ROOT}/shell/* ${ROOT}/world/* ${ROOT}/levels/* ${ROOT}/render/* ${ROOT}/audio/*
  ${ROOT}/input/* ${ROOT}/persist/* ${ROOT}/recording/* ${ROOT}/tools/* ${ROOT}/tests/* ${ROOT}/bench/*)
set(offenders "")
foreach(f ${sources})
  if(f MATCHES "\\.(h|hpp|cpp|cc)$")
    file(STRINGS ${ROOT}/${f} hits REGEX "^[ \t]*#[ \t]*include[ \t]*[<\"]SDL")
    if(hits)
      list(APPEND offenders ${f})
    endif()
  endif()
endforeach()
if(offenders)
  message(FATAL_ERROR "Only platform/ may include SDL headers; found in: ${offenders}")
endif()
