# Writes OUT, a C++ file that registers each file of FILES (a ;-list) as a resource named
# after the file without its extension: BMP files as pictures, .dlg files as dialog
# templates. Run by the build with cmake -P.
set(body "")
set(calls "")
set(index 0)
foreach(file IN LISTS FILES)
  get_filename_component(name "${file}" NAME_WE)
  get_filename_component(extension "${file}" LAST_EXT)
  set(register registerResource)
  if(extension STREQUAL ".dlg")
    set(register registerDialogResource)
  endif()
  file(READ "${file}" hex HEX)
  string(LENGTH "${hex}" hexLength)
  math(EXPR size "${hexLength} / 2")
  string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
  string(REGEX REPLACE "((0x..,){32})" "\\1\n" bytes "${bytes}")
  string(APPEND body "const uint8_t kData${index}[${size}] = {\n${bytes}};\n")
  string(APPEND calls "    ${register}(\"${name}\", std::span<const uint8_t>(kData${index}, ${size}));\n")
  math(EXPR index "${index} + 1")
endforeach()
file(WRITE "${OUT}.tmp" "// Generated from resources/*.bmp and resources/dialogs/*.dlg by embed.cmake; do not edit.
#include \"embeddedResources.h\"

#include <cstdint>
#include <span>

#include \"Resources.h\"

namespace {
${body}}  // namespace

void registerEmbeddedResources() {
    static bool done = false;
    if (done) return;
    done = true;
${calls}}
")
file(COPY_FILE "${OUT}.tmp" "${OUT}" ONLY_IF_DIFFERENT)
