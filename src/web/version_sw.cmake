# Writes the service worker with @VERSION@ replaced by a digest of the site's
# files:  cmake -DTEMPLATE=sw.js -DOUTPUT=site/sw.js -DFILES="a;b;..." -P version_sw.cmake
set(all "")
foreach(f IN LISTS FILES)
  file(SHA256 ${f} digest)
  string(APPEND all ${digest})
endforeach()
string(SHA256 version "${all}")
string(SUBSTRING ${version} 0 16 VERSION)
configure_file(${TEMPLATE} ${OUTPUT} @ONLY)
