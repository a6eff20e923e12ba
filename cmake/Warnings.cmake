# Warnings for the project's own targets; -Werror in CI.
add_compile_options(-Wall -Wextra -Wpedantic -Wno-unused-parameter)
if(TESSALY_WERROR)
  add_compile_options(-Werror)
endif()
# Bounds-checked standard containers in every debug-ish build.
add_compile_definitions($<$<NOT:$<CONFIG:Release>>:_GLIBCXX_ASSERTIONS>)
