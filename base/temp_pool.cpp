// The temporary memory pool: one static 32 MiB block and a bump cursor.
#include "base/temp_pool.h"

#include <cstdint>

#include "base/fatal.h"

static constexpr size_t poolSize = 33554432;
alignas(16) static unsigned char pool[poolSize];
static unsigned char* cursor = pool;

// Offset of the next block: the cursor rounded up to 16 bytes.
static size_t nextOffset()
{
    return ((size_t)(cursor - pool) + 15) & ~(size_t)15;
}

size_t tempAvailable()
{
    return poolSize - nextOffset();
}

void* tempmalloc(size_t size)
{
    // The cursor stays aligned even when the allocation then fails.
    size_t offset = nextOffset();
    cursor = pool + offset;
    if (poolSize - offset < size)
        fatalError("out of tempmalloc");
    unsigned char* block = cursor;
    cursor += size;
    return block;
}

void tmpfree(void* mark)
{
    // Comparing as integers keeps a foreign pointer a checked error rather
    // than an undefined pointer comparison.
    uintptr_t at = (uintptr_t)mark;
    if (at > (uintptr_t)cursor || at < (uintptr_t)pool)
        fatalError("tmpfree error");
    cursor = (unsigned char*)mark;
}
