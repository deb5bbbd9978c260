# Writes the bold face with only the characters the page can need: those of
# the texts given (the story and the page) and of typing in Russian and Latin.
#   cmake -DPYFTSUBSET=... -DFONT=face.ttf -DTEXTS="a;b" -DWORK=dir -DOUTPUT=face.woff2 -P subset_face.cmake
set(all "")
foreach(f IN LISTS TEXTS)
  file(READ ${f} text)
  string(APPEND all "${text}")
endforeach()
file(WRITE ${WORK}/face-texts.txt "${all}")
execute_process(
  COMMAND ${PYFTSUBSET} ${FONT} --text-file=${WORK}/face-texts.txt
          --unicodes=U+0020-007E,U+00A0,U+00AB,U+00BB,U+0401,U+0410-044F,U+0451,U+2013,U+2014,U+2026,U+2116
          --flavor=woff2 --layout-features=kern --no-hinting --desubroutinize --output-file=${OUTPUT}
  RESULT_VARIABLE failed ERROR_VARIABLE complaints)
if(failed)
  message(FATAL_ERROR "pyftsubset failed: ${complaints}")
endif()
