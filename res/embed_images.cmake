# Writes the picture files as C++ byte arrays with their resource ids, so the program carries
# them without any resource compiler. Called with IMAGE_DIR, OUTPUT and IMAGES, a list of
# "id;kind;file" triples flattened with "|" between triples.
string(REPLACE "|" ";" entries "${IMAGES}")
set(arrays "")
set(table "")
set(index 0)
foreach(entry IN LISTS entries)
  string(REPLACE "," ";" fields "${entry}")
  list(GET fields 0 id)
  list(GET fields 1 kind)
  list(GET fields 2 file)
  file(READ "${IMAGE_DIR}/${file}" hex HEX)
  string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
  string(APPEND arrays "const unsigned char kImage${index}[] = {${bytes}};\n")
  string(APPEND table "    {${id}, toolkit::ImageKind::${kind}, kImage${index}},\n")
  math(EXPR index "${index} + 1")
endforeach()
file(WRITE "${OUTPUT}.tmp" "// Generated from the picture files; do not edit.
#include \"res/resource.h\"
#include \"res/resource_module.h\"

namespace res {
namespace {

${arrays}
const toolkit::ImageResource kImages[] = {
${table}};

}  // namespace

std::span<const toolkit::ImageResource> EmbeddedImages() { return kImages; }

}  // namespace res
")
file(COPY_FILE "${OUTPUT}.tmp" "${OUTPUT}" ONLY_IF_DIFFERENT)
