// The movie's bytes come from the committed file itself (MERVANTIS_SPLASH_MOVIE_FILE, set by
// the build), so no copy of them lives in the sources. Nothing else is in this file: the
// assembler statement switches sections, which the compiler would not know about.
#include "assets/splash_movie.h"

#define MERVANTIS_TEXT(x) #x
#define MERVANTIS_SYMBOL(prefix, name) MERVANTIS_TEXT(prefix) #name
// C names carry the platform's prefix: an underscore on 32-bit Windows, none on 64-bit.
#define MERVANTIS_C_NAME(name) MERVANTIS_SYMBOL(__USER_LABEL_PREFIX__, name)

asm(".section .rdata,\"dr\"\n"
    ".balign 16\n"
    ".globl " MERVANTIS_C_NAME(splashMovie) "\n"
    MERVANTIS_C_NAME(splashMovie) ":\n"
    ".incbin \"" MERVANTIS_SPLASH_MOVIE_FILE "\"\n"
    "1:\n"
    ".balign 4\n"
    ".globl " MERVANTIS_C_NAME(splashMovieSize) "\n"
    MERVANTIS_C_NAME(splashMovieSize) ":\n"
    ".long 1b - " MERVANTIS_C_NAME(splashMovie) "\n"
    ".text\n");
