# zu_embed_file(<target> <symbol> <file> [DEPENDS <target>])
# Compiles <file> into <target> as constant data reachable through
#   extern "C" const unsigned char <symbol>[]; extern "C" const unsigned long long <symbol>_size;
# The bytes are pulled in with the assembler's .incbin, so large files cost no
# code generation.
function(zu_embed_file target symbol file)
  cmake_parse_arguments(EMB "" "" "DEPENDS" ${ARGN})
  set(asm ${CMAKE_CURRENT_BINARY_DIR}/embed_${symbol}.S)
  file(WRITE ${asm}.in
    "    .section .rodata\n"
    "    .global ${symbol}\n"
    "    .global ${symbol}_size\n"
    "    .balign 16\n"
    "${symbol}:\n"
    "    .incbin \"@ZU_EMBED_FILE@\"\n"
    "${symbol}_end:\n"
    "    .byte 0\n"
    "    .balign 8\n"
    "${symbol}_size:\n"
    "    .quad ${symbol}_end - ${symbol}\n"
    "    .section .note.GNU-stack,\"\",@progbits\n")
  set(ZU_EMBED_FILE ${file})
  configure_file(${asm}.in ${asm} @ONLY)
  # LANGUAGE C makes CMake pass "-x c"; the later "-x assembler" wins.
  set_source_files_properties(${asm} PROPERTIES LANGUAGE C OBJECT_DEPENDS "${file}"
                              COMPILE_OPTIONS "-x;assembler")
  target_sources(${target} PRIVATE ${asm})
  if(EMB_DEPENDS)
    add_dependencies(${target} ${EMB_DEPENDS})
  endif()
endfunction()
