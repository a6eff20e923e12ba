# Warnings for the project's own targets; -Werror in CI.
add_compile_options(-Wall -Wextra -Wpedantic -Wno-unused-parameter)
if(TESSALY_WERROR)
  add_compile_options(-Werror)
endif()
# Bounds-checked standard containers in every debug-ish build.
add_compile_definitions($<$<NOT:$<CONFIG:Release>>:_GLIBCXX_ASSERTIONS>)
# GCC 12 reports -Wrestrict inside std::basic_string's own inlined code at -O2 (a known false
# positive of that compiler); it says nothing about our code.
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
  add_compile_options(-Wno-restrict)
endif()
