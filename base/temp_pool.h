// The temporary memory pool: a 32 MiB stack of 16-byte aligned scratch
// blocks, released last-in-first-out to a mark.
#pragma once
#include <cstddef>

// A block of size bytes; "out of tempmalloc" when the pool cannot hold it.
void* tempmalloc(size_t size);
// The largest block tempmalloc can give now.
size_t tempAvailable();
// Releases everything from mark up; "tmpfree error" when mark is above the cursor.
void tmpfree(void* mark);
