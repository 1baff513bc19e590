#pragma once
// Whether the fast paths use SSE2 (every x86-64 has it). A portable build
// (FIELD_PORTABLE) takes the plain paths everywhere, so that they are built and
// tested too: their results are the same bits.

#if defined(__SSE2__) && !defined(FIELD_PORTABLE)
#define FIELD_SSE2 1
#include <emmintrin.h>
#else
#define FIELD_SSE2 0
#endif
