# TESSALY_SANITIZE=address,undefined or thread instruments every target of the build.
if(TESSALY_SANITIZE)
  add_compile_options(-fsanitize=${TESSALY_SANITIZE} -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=${TESSALY_SANITIZE})
endif()

# Fuzz builds give every library libFuzzer's coverage hooks; the fuzz targets add the driver.
if(TESSALY_FUZZ)
  add_compile_options(-fsanitize=fuzzer-no-link)
endif()
