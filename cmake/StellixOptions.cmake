# Common compile settings for every target of the project.
function(stellix_target_defaults target)
  target_compile_options(${target} PRIVATE -Wall -Wextra)
  if(STELLIX_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
endfunction()

# Reproducible arithmetic: no fused multiply-add contraction anywhere in the audio code.
add_compile_options(-ffp-contract=off)

if(STELLIX_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=all)
  add_link_options(-fsanitize=address,undefined)
endif()
