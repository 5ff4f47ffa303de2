# Turns the user guide into one web page: cmake -DCMARK=... -DINPUT=guide.md -DOUTPUT=guide.html
# -DTITLE=... -P guide-html.cmake. cmark makes the body; the headings get the ids the guide's
# own links (#checking-a-dump) point at, formed as GitHub forms them.
execute_process(COMMAND ${CMARK} --to html ${INPUT} OUTPUT_VARIABLE body RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "cmark could not read ${INPUT}")
endif()
string(REGEX MATCHALL "<h[1-6]>[^<]*</h[1-6]>" headings "${body}")
foreach(heading IN LISTS headings)
  string(REGEX REPLACE "^<h([1-6])>([^<]*)</h[1-6]>$" "\\1" level "${heading}")
  string(REGEX REPLACE "^<h[1-6]>([^<]*)</h[1-6]>$" "\\1" text "${heading}")
  string(TOLOWER "${text}" id)
  string(REGEX REPLACE "[^a-z0-9 _-]" "" id "${id}")
  string(REPLACE " " "-" id "${id}")
  string(REPLACE "${heading}" "<h${level} id=\"${id}\">${text}</h${level}>" body "${body}")
endforeach()
file(WRITE ${OUTPUT} "<!DOCTYPE html>
<html lang=\"en\">
<head>
<meta charset=\"utf-8\">
<title>${TITLE}</title>
<style>
body { font-family: 'Segoe UI', sans-serif; max-width: 52em; margin: 2em auto; padding: 0 1em; line-height: 1.45; }
pre, code { font-family: Consolas, monospace; background: #f3f3f3; }
pre { padding: 0.6em; overflow-x: auto; }
table { border-collapse: collapse; }
th, td { border: 1px solid #ccc; padding: 0.3em 0.6em; vertical-align: top; text-align: left; }
</style>
</head>
<body>
${body}</body>
</html>
")
