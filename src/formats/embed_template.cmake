# Writes OUTPUT, a C++ source that defines catalogueTemplate() with the bytes
# of INPUT (src/formats/catalogue.html); run at build time by src/formats/CMakeLists.txt.
#   cmake -DINPUT=catalogue.html -DOUTPUT=catalogue_template.cpp -P embed_template.cmake
file(READ "${INPUT}" hex HEX)
string(LENGTH "${hex}" digits)
if(digits EQUAL 0)
  message(FATAL_ERROR "${INPUT} is empty")
endif()
math(EXPR size "${digits} / 2")
# Sixteen bytes a line.
set(lines "")
set(at 0)
while(at LESS digits)
  string(SUBSTRING "${hex}" ${at} 32 piece)
  string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," piece "${piece}")
  string(APPEND lines "    ${piece}\n")
  math(EXPR at "${at} + 32")
endwhile()
file(WRITE "${OUTPUT}"
  "// Generated from src/formats/catalogue.html by src/formats/embed_template.cmake; do not edit.\n"
  "#include \"formats/catalogue_template.h\"\n\n"
  "namespace {\n\n"
  "const unsigned char kTemplate[${size}] = {\n${lines}};\n\n"
  "}  // namespace\n\n"
  "std::string_view catalogueTemplate() {\n"
  "  return std::string_view(reinterpret_cast<const char*>(kTemplate), sizeof kTemplate);\n"
  "}\n")
